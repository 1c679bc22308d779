// A stand-in for the sibling desktop client, for tests of the navigator's
// external action. It takes the bus window of the client's class and
// answers as the real client would: reads section CONTEXT of its INI file,
// writes a page into InitURL of section CONTEXT of the navigator's
// configuration file and posts the hand-over message back to the window in
// ReturnHandle. It answers once at the start when the INI asks for a fresh
// start (ACTION=0), and again for every hand-over message it receives.
//
// The page written is "TALOR:3,1,DEMO,index.html?FREEPAR0=<DATA>&FREEPAR1=
// <USERNAME>&FREEPAR2=<how>", `how` being "start" or "message".
//
// Environment:
//   TALOR_STANDIN_CLIENT_INI     the client's INI file (default ctalorb.ini)
//   TALOR_STANDIN_NAVIGATOR_INI  the navigator's configuration file
//   TALOR_STANDIN_BUS_DIR        the message bus directory (default: the user's)
//   TALOR_STANDIN_LIFETIME_MS    how long it runs (default 10000)

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/bus_directory.h"
#include "platform/event_loop.h"
#include "platform/loop_timer.h"
#include "platform/message_bus.h"
#include "platform/window_messages.h"
#include "shell/ini_file.h"
#include "text/url_coding.h"

namespace {

using namespace talor;

std::string Environment(const char* name, std::string fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? std::string(value) : fallback;
}

class StandIn {
 public:
  StandIn(const MessageBus& bus, WindowHandle handle)
      : bus_(bus),
        handle_(handle),
        clientIni_(Environment("TALOR_STANDIN_CLIENT_INI", "ctalorb.ini")),
        navigatorIni_(Environment("TALOR_STANDIN_NAVIGATOR_INI", "")) {}

  bool FreshStart() const {
    return IniFile::Open(clientIni_).ReadString("CONTEXT", "ACTION", "") == "0";
  }

  void Answer(const char* how) {
    const IniFile client = IniFile::Open(clientIni_);
    const std::string page =
        "TALOR:3,1,DEMO,index.html?FREEPAR0=" +
        UrlEncode(client.ReadString("CONTEXT", "DATA", "")) +
        "&FREEPAR1=" + UrlEncode(client.ReadString("CONTEXT", "USERNAME", "")) + "&FREEPAR2=" + how;
    IniFile navigator = IniFile::Open(navigatorIni_);
    if (!navigator.WriteString("CONTEXT", "InitURL", page) || !navigator.UpdateFile()) {
      std::fprintf(stderr, "stand-in: cannot write %s\n", navigatorIni_.c_str());
      return;
    }
    const int32_t returnHandle = client.ReadInteger("CONTEXT", "ReturnHandle", 0);
    if (returnHandle > 0) {
      bus_.PostMessage(kNavigatorWindowClass, returnHandle, kHandOverMessage, 0, handle_);
    }
  }

 private:
  const MessageBus& bus_;
  const WindowHandle handle_;
  const std::string clientIni_;
  const std::string navigatorIni_;
};

}  // namespace

int main() {
  EventLoop loop;
  const std::string busDir = Environment("TALOR_STANDIN_BUS_DIR", "");
  MessageBus bus(loop, busDir.empty() ? DefaultBusDirectory() : busDir);
  const WindowHandle handle = bus.NewWindowHandle();
  StandIn standIn(bus, handle);
  const ListenResult listening =
      bus.Listen(kSiblingClientWindowClass, handle, [&standIn](const WindowMessage& message) {
        if (message.message == kHandOverMessage) standIn.Answer("message");
      });
  if (listening != ListenResult::Listening) {
    std::fprintf(stderr, "stand-in: cannot listen on the bus\n");
    return 1;
  }
  if (standIn.FreshStart()) standIn.Answer("start");
  const int lifetime = std::atoi(Environment("TALOR_STANDIN_LIFETIME_MS", "10000").c_str());
  LoopTimer end(loop, std::chrono::milliseconds(lifetime), [&loop] { loop.Quit(); });
  end.Start();
  loop.Run();
  return 0;
}

// Arbitrary answers of a catalogue server to every command operation: a
// responder thread on loopback frames the fuzz input as a valid answer (so
// that it reaches the operations' own parsing) to whatever request comes in,
// and the operation chosen by the first byte must cope with it.

#include <asio/ip/tcp.hpp>
#include <asio/read_until.hpp>
#include <asio/write.hpp>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "client/command_set.h"
#include "client/framing.h"
#include "client/record.h"
#include "client/term_collector.h"
#include "platform/scripted_user_interface.h"

namespace talor {
namespace {

class Responder {
 public:
  Responder() : acceptor_(context_, {asio::ip::address_v4::loopback(), 0}) {
    port_ = acceptor_.local_endpoint().port();
    std::thread([this] { Serve(); }).detach();
  }
  uint16_t port() const { return port_; }
  void SetAnswer(StringList lines, std::optional<std::string> binary) {
    std::lock_guard lock(mutex_);
    lines_ = std::move(lines);
    binary_ = std::move(binary);
  }

 private:
  void Serve() {
    for (;;) {
      asio::ip::tcp::socket socket(context_);
      asio::error_code error;
      acceptor_.accept(socket, error);
      if (error) continue;
      std::string request;
      asio::read_until(socket, asio::dynamic_buffer(request), "\n", error);
      if (error) continue;
      const size_t length = std::strtoul(request.c_str(), nullptr, 10);
      const size_t start = request.find('\n') + 1;
      while (!error && request.size() < start + length) {
        char chunk[4096];
        request.append(chunk, socket.read_some(asio::buffer(chunk), error));
      }
      if (error) continue;
      StringList requestLines;
      requestLines.SetText(std::string_view(request).substr(start));
      if (requestLines.size() < 5) continue;
      std::string answer;
      {
        std::lock_guard lock(mutex_);
        AnswerFrame frame{requestLines[0].text.empty() ? 'N' : requestLines[0].text[0],
                          requestLines[3].text, requestLines[4].text, true};
        answer = binary_ ? BuildAnswer(frame, lines_, *binary_) : BuildAnswer(frame, lines_);
      }
      asio::write(socket, asio::buffer(answer), error);
    }
  }

  asio::io_context context_;
  asio::ip::tcp::acceptor acceptor_;
  uint16_t port_ = 0;
  std::mutex mutex_;
  StringList lines_;
  std::optional<std::string> binary_;
};

struct Client {
  EventLoop loop;
  ScriptedUserInterface ui{loop};
  FixedClock clock{1};
  Transport transport{loop, ui, clock};
  CommandSet commands{transport, ui};
};

void RunOperation(uint8_t which, CommandSet& commands) {
  StringList result;
  StringList record;
  RecordNew(record);
  record.Add("^aValue", 200);
  switch (which % 14) {
    case 0:
      commands.ReadRecord("DB", 5, which & 0x10, record);
      break;
    case 1:
      commands.WriteRecord("DB", false, true, result, record);
      RecordToLine(record);
      break;
    case 2: {
      StringList texts{{RecordToText(record), 0}, {"", 0}, {RecordToText(record), 0}};
      commands.WriteRecords("DB", false, true, result, texts);
      break;
    }
    case 3:
      commands.FormatRecords("DB", {{"2", 0}, {"1", 0}, {"2", 0}}, "@f", result);
      break;
    case 4:
      commands.Search("DB", "X", 10, result, "@f", 1);
      break;
    case 5:
      commands.ReadTermsForward("DB", "A", 5, result);
      break;
    case 6:
      commands.ReadPostings("DB", "A", 1, result, which & 0x10 ? 0 : 3);
      break;
    case 7: {
      StringList texts;
      commands.ReadFormattedPostings("DB", "A", 1, result, texts, "@f", 3);
      break;
    }
    case 8:
      commands.ClearResourceCache();
      commands.ReadCachedText(10, "DB", "f.pft", result);
      break;
    case 9: {
      std::string block;
      commands.ClearResourceCache();
      commands.ReadCachedBinary(10, "DB", "f.gif", result, block);
      break;
    }
    case 10:
      commands.RegisterAt("127.0.0.1", commands.transport().identity().port, "R", result, "p", "u");
      break;
    case 11:
      CollectTermsForward(commands, "DB", "A", 1 + (which >> 4), result);
      break;
    case 12:
      CollectTermsBackward(commands, "DB", "Z", 1 + (which >> 4), result);
      break;
    case 13:
      commands.FullTextSearch("DB", "q", "", result, "", "@f", 1, 5, "");
      break;
  }
}

}  // namespace
}  // namespace talor

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace talor;
  // Never destroyed: the responder's thread runs until the process ends.
  static Responder& responder = *new Responder;
  static Client& client = *new Client;
  if (size < 1) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  // Lines split at byte 10; an optional binary block after a byte 0.
  const size_t zero = input.find('\0');
  StringList lines;
  std::string_view text = input.substr(0, zero);
  while (!text.empty()) {
    const size_t lf = text.find('\n');
    // Line breaks inside a line would change the answer's framing.
    std::string line(text.substr(0, lf));
    std::erase(line, '\r');
    lines.Add(std::move(line));
    if (lf == std::string_view::npos) break;
    text.remove_prefix(lf + 1);
  }
  std::optional<std::string> binary;
  if (zero != std::string_view::npos) binary = std::string(input.substr(zero + 1));
  responder.SetAnswer(std::move(lines), std::move(binary));
  client.transport.SetServer("127.0.0.1", std::to_string(responder.port()), "R");
  RunOperation(data[0], client.commands);
  return 0;
}

// The external action (command 11) without a server: the choice of its
// form, the library call with the demo library, and the hand-over to a
// stand-in sibling client over a real message bus.

#include "navigator/external_action.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "format/start_process.h"
#include "platform/bus_directory.h"
#include "platform/bus_test_support.h"
#include "platform/event_loop.h"
#include "platform/message_bus.h"
#include "shell/ini_file.h"
#include "shell/session_external_actions.h"

namespace talor {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kLibraryDir = TALOR_BINARY_DIR "/src/app";
constexpr std::string_view kStandIn = TALOR_BINARY_DIR "/tests/navigator/talor-sibling-stand-in";

SafetyPolicy LibraryPolicy() {
  SafetyRules rules;
  rules.libraryDirectories = {std::string(kLibraryDir)};
  return SafetyPolicy(rules);
}

TEST(ExternalFormTest, ChosenByLibraryAndFunctionName) {
  struct Row {
    std::string_view library, function;
    ExternalForm form;
  } rows[] = {
      {"mylib.so", "Fn", ExternalForm::Library}, {"*mylib.so", "5", ExternalForm::Library},
      {"", "go", ExternalForm::SiblingClient},   {"", "0", ExternalForm::SiblingClient},
      {"", "5", ExternalForm::Nothing},          {"", "-3", ExternalForm::Nothing},
      {"mylib.so", "", ExternalForm::Nothing},   {"", "", ExternalForm::Nothing},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.form, SelectExternalForm(row.library, row.function))
        << row.library << "," << row.function;
  }
}

std::string CallText(std::string_view library, const std::string& function,
                     const std::string& data) {
  const LibraryCallResult result = CallLibraryFunction(LibraryPolicy(), library, function, data);
  EXPECT_EQ(LibraryCallResult::Status::Called, result.status) << library << "," << function;
  return result.text;
}

TEST(LibraryCallTest, FunctionOutputIsThePage) {
  const std::string page = CallText("talor-demo-action.so", "TalorDemoPage", "a<b");
  EXPECT_NE(std::string::npos, page.find("<b class=\"demo-data\">a&lt;b</b> (3 байт)")) << page;
  // The `*` of the second calling convention is no part of the file name,
  // and a name without extension finds the ".so" file.
  EXPECT_EQ(page, CallText("*talor-demo-action", "TalorDemoPage", "a<b"));
  EXPECT_TRUE(CallText("talor-demo-action", "TalorDemoSearch", "war").starts_with("TALOR:"));
}

TEST(LibraryCallTest, ZeroResultAndUnterminatedBuffer) {
  // The function wrote a text but returned 0: there is no page.
  EXPECT_EQ("", CallText("talor-demo-action", "TalorDemoSilent", "ignored"));
  // The function filled all 32000 bytes without a NUL.
  EXPECT_EQ(std::string(kExternalOutputCapacity, 'x'),
            CallText("talor-demo-action", "TalorDemoFill", ""));
}

TEST(LibraryCallTest, FailuresAndTheirMessages) {
  using Status = LibraryCallResult::Status;
  const SafetyPolicy policy = LibraryPolicy();
  const LibraryCallResult noLibrary = CallLibraryFunction(policy, "*nolib.so", "Fn", "");
  EXPECT_EQ(Status::LibraryNotFound, noLibrary.status);
  EXPECT_EQ("nolib.so - DLL not found", LibraryCallMessage(noLibrary, "*nolib.so", "Fn"));
  // The system's libraries are not found by a bare name.
  EXPECT_EQ(Status::LibraryNotFound, CallLibraryFunction(policy, "libc.so.6", "getpid", "").status);

  const LibraryCallResult noFunction =
      CallLibraryFunction(policy, "talor-demo-action", "NoSuchFunction", "");
  EXPECT_EQ(Status::FunctionNotFound, noFunction.status);
  EXPECT_EQ("NoSuchFunction - Function not found",
            LibraryCallMessage(noFunction, "talor-demo-action", "NoSuchFunction"));

  const LibraryCallResult outside = CallLibraryFunction(policy, "/lib/libc.so.6", "getpid", "");
  EXPECT_EQ(Status::Refused, outside.status);
  EXPECT_EQ(LibraryRefusedText("/lib/libc.so.6"),
            LibraryCallMessage(outside, "/lib/libc.so.6", "getpid"));
  // By default nothing is allowed, not even the program's own library.
  EXPECT_EQ(Status::Refused,
            CallLibraryFunction(SafetyPolicy(), std::string(kLibraryDir) + "/talor-demo-action.so",
                                "TalorDemoPage", "")
                .status);
}

// ---- the sibling client

class TestHost final : public ExternalActionHost {
 public:
  const SafetyPolicy& Safety() const override { return policy; }
  std::string UserName() const override { return "reader"; }
  std::string UserPassword() const override { return "secret"; }
  bool WriteIniValues(const std::string& path, std::string_view section,
                      const IniValues& values) override {
    return WriteIniFileValues(path, section, values);
  }
  const MessageBus* Bus() const override { return bus; }
  WindowHandle OwnWindow() const override { return own; }
  WindowHandle ReturnWindow() const override { return returnWindow; }
  void ForgetReturnWindow() override {
    returnWindow = kNoWindowHandle;
    ++forgotten;
  }
  void BringToForeground(WindowHandle window) override { foreground.push_back(window); }

  SafetyPolicy policy;
  const MessageBus* bus = nullptr;
  WindowHandle own = kNoWindowHandle;
  WindowHandle returnWindow = kNoWindowHandle;
  int forgotten = 0;
  std::vector<WindowHandle> foreground;
};

class SiblingClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "talor-sibling-XXXXXX").string();
    dir_ = fs::path(mkdtemp(pattern.data()));
    fs::create_directories(dir_ / "bin");
    fs::create_directory(dir_ / "bus", dir_);
    fs::permissions(dir_ / "bus", fs::perms::owner_all);
    bus_.emplace(loop_, (dir_ / "bus").string());
    clientIni_ = (dir_ / "ctalorb.ini").string();
    navigatorIni_ = (dir_ / "Talor_Navigator.ini").string();
    marker_ = (dir_ / "started").string();
    // The client's program on PATH: notes that it was started, then runs
    // the stand-in.
    const fs::path program = dir_ / "bin" / kSiblingClientProgram;
    std::ofstream(program) << "#!/bin/sh\ntouch '" << marker_ << "'\nexec '" << kStandIn << "'\n";
    fs::permissions(program, fs::perms::owner_all);
    oldPath_ = getenv("PATH");
    setenv("PATH", ((dir_ / "bin").string() + ":" + oldPath_).c_str(), 1);
    setenv("TALOR_STANDIN_CLIENT_INI", clientIni_.c_str(), 1);
    setenv("TALOR_STANDIN_NAVIGATOR_INI", navigatorIni_.c_str(), 1);
    setenv("TALOR_STANDIN_BUS_DIR", (dir_ / "bus").string().c_str(), 1);
    setenv("TALOR_STANDIN_LIFETIME_MS", "4000", 1);

    host_.bus = &*bus_;
    host_.own = bus_->NewWindowHandle();
    ASSERT_EQ(ListenResult::Listening,
              bus_->Listen(kNavigatorWindowClass, host_.own,
                           [this](const WindowMessage& message) { received_.push_back(message); }));
    SafetyRules rules;
    rules.writeDirectories = {dir_.string()};
    rules.startPrograms = true;
    host_.policy = SafetyPolicy(rules);
  }
  void TearDown() override {
    setenv("PATH", oldPath_.c_str(), 1);
    bus_.reset();
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  // Runs the loop until the client's answer arrived (or 20 seconds passed).
  bool WaitForAnswer() {
    return talor::testing::RunUntil(loop_, [this] { return !received_.empty(); });
  }
  std::optional<WindowHandle> WaitForClientWindow() {
    for (int i = 0; i < 1000; ++i) {
      if (auto window = bus_->FindWindow(kSiblingClientWindowClass)) return window;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return std::nullopt;
  }
  std::string Context(const std::string& file, std::string_view key) const {
    return IniFile::Open(file).ReadString("CONTEXT", key, "<missing>");
  }

  fs::path dir_;
  EventLoop loop_;
  std::optional<MessageBus> bus_;
  TestHost host_;
  std::vector<WindowMessage> received_;
  std::string clientIni_, navigatorIni_, marker_, oldPath_;
};

TEST_F(SiblingClientTest, ClientNotRunningIsStarted) {
  {
    IniFile ini = IniFile::Open(clientIni_);
    ini.WriteString("MAIN", "Server", "127.0.0.1");
    ini.WriteString("CONTEXT", "Other", "kept");
    ASSERT_TRUE(ini.UpdateFile());
  }
  std::string message;
  EXPECT_EQ(HandOverResult::Started, HandToSiblingClient(host_, clientIni_, "RECORD 42", message));
  EXPECT_EQ("", message);
  EXPECT_EQ("RECORD 42", Context(clientIni_, "DATA"));
  EXPECT_EQ(std::to_string(host_.own), Context(clientIni_, "ReturnHandle"));
  EXPECT_EQ("reader", Context(clientIni_, "USERNAME"));
  EXPECT_EQ("secret", Context(clientIni_, "Userpassword"));
  EXPECT_EQ("0", Context(clientIni_, "ACTION"));
  // The client's other settings are still there.
  EXPECT_EQ("kept", Context(clientIni_, "Other"));
  EXPECT_EQ("127.0.0.1", IniFile::Open(clientIni_).ReadString("MAIN", "Server", ""));

  ASSERT_TRUE(WaitForAnswer());
  EXPECT_TRUE(fs::exists(marker_));
  EXPECT_EQ(kHandOverMessage, received_[0].message);
  EXPECT_NE(0, received_[0].lParam);
  EXPECT_EQ("TALOR:3,1,DEMO,index.html?FREEPAR0=RECORD%2042&FREEPAR1=reader&FREEPAR2=start",
            Context(navigatorIni_, "InitURL"));
}

TEST_F(SiblingClientTest, RunningClientGetsTheMessageAndComesForward) {
  StartProcess(kStandIn, ShowState::kNormal, false);
  const std::optional<WindowHandle> client = WaitForClientWindow();
  ASSERT_TRUE(client);
  // The navigator was called from a window of another class: that one is
  // not the client.
  host_.returnWindow = host_.own;
  std::string message;
  EXPECT_EQ(HandOverResult::Posted, HandToSiblingClient(host_, clientIni_, "go on", message));
  EXPECT_EQ(std::vector<WindowHandle>{*client}, host_.foreground);
  EXPECT_EQ(1, host_.forgotten);
  EXPECT_EQ("go on", Context(clientIni_, "DATA"));
  EXPECT_EQ("<missing>", Context(clientIni_, "ACTION"));
  EXPECT_EQ("<missing>", Context(clientIni_, "USERNAME"));

  ASSERT_TRUE(WaitForAnswer());
  EXPECT_EQ(*client, received_[0].lParam);
  EXPECT_EQ("TALOR:3,1,DEMO,index.html?FREEPAR0=go%20on&FREEPAR1=&FREEPAR2=message",
            Context(navigatorIni_, "InitURL"));
  // No new process was started.
  EXPECT_FALSE(fs::exists(marker_));
}

TEST_F(SiblingClientTest, SafetyRulesRefuseBeforeAnythingIsWritten) {
  std::string message;
  host_.policy = SafetyPolicy(SafetyRules{{}, false, {dir_.string()}});
  EXPECT_EQ(HandOverResult::Refused, HandToSiblingClient(host_, clientIni_, "data", message));
  EXPECT_EQ(ProgramRefusedText(kSiblingClientProgram), message);
  EXPECT_FALSE(fs::exists(clientIni_));

  const std::string elsewhere = dir_.string() + "-elsewhere.ini";
  host_.policy = SafetyPolicy(SafetyRules{{}, true, {dir_.string()}});
  EXPECT_EQ(HandOverResult::Refused, HandToSiblingClient(host_, elsewhere, "data", message));
  EXPECT_EQ(WriteRefusedText(elsewhere), message);
  EXPECT_FALSE(fs::exists(elsewhere));
  EXPECT_FALSE(fs::exists(marker_));
}

}  // namespace
}  // namespace talor

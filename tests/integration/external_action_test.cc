// Command 11 through the whole navigator against a real server: the demo
// library's functions as pages, redirects and silence, the messages of a
// library or function that is not there, and the hand-over to a running
// stand-in of the sibling client.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "format/start_process.h"
#include "integration/navigator_fixture.h"
#include "navigator/external_action.h"
#include "platform/bus_test_support.h"
#include "platform/message_bus.h"
#include "shell/session_external_actions.h"

namespace talor::server {
namespace {

constexpr std::string_view kLibraryDir = TALOR_BINARY_DIR "/src/app";
constexpr std::string_view kStandIn = TALOR_BINARY_DIR "/tests/navigator/talor-sibling-stand-in";
constexpr std::string_view kHome = "TALOR:3,1,DEMO,index.html";

// The session's host with a message bus of the test's own.
class BusHost final : public SessionExternalActions {
 public:
  using SessionExternalActions::SessionExternalActions;
  const MessageBus* Bus() const override { return bus; }
  WindowHandle OwnWindow() const override { return own; }
  void BringToForeground(WindowHandle window) override { foreground = window; }

  const MessageBus* bus = nullptr;
  WindowHandle own = kNoWindowHandle;
  WindowHandle foreground = kNoWindowHandle;
};

class ExternalActionTest : public NavigatorTest {
 protected:
  void SetUp() override {
    config_.WriteString("Safety", "LibraryDirs", kLibraryDir);
    NavigatorTest::SetUp();
    host_.emplace(*core_);
    chrome_.externalActions = &*host_;
    Open(kHome);
  }
  void TearDown() override {
    chrome_.externalActions = nullptr;
    NavigatorTest::TearDown();
  }

  // Command 11 with a library and a function.
  std::string Call(std::string_view library, std::string_view function, std::string_view data) {
    return Open("TALOR:?C21COM=11&USERDLLNAME=" + std::string(library) +
                "&USERFUNCTIONNAME=" + std::string(function) + "&USERDATA=" + std::string(data));
  }

  std::optional<BusHost> host_;
};

TEST_F(ExternalActionTest, FunctionTextIsThePage) {
  const size_t visits = State().visits.size();
  const std::string page =
      Call("*talor-demo-action.so", "TalorDemoPage", "%D0%92%D0%BE%D0%B9%D0%BD%D0%B0");
  EXPECT_NE(std::string::npos, page.find("Война</b> (10 байт)")) << page;
  EXPECT_EQ(visits + 1, State().visits.size());
  EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(ExternalActionTest, PseudoUrlFromTheFunctionIsFollowed) {
  const std::string page =
      Call("talor-demo-action", "TalorDemoSearch", "%D0%B8%D1%81%D1%82%D0%BE%D1%80%D0%B8%D1%8F");
  EXPECT_TRUE(State().CurrentURL.starts_with("TALOR:?C21COM=2")) << State().CurrentURL;
  EXPECT_EQ(std::string::npos, page.find("TALOR:?C21COM=2&I21DBN")) << page;
}

TEST_F(ExternalActionTest, NoTextLeavesThePageAsItIs) {
  const std::string before = view_.DocumentHtml();
  const size_t visits = State().visits.size();
  EXPECT_EQ(before, Call("talor-demo-action", "TalorDemoSilent", "text"));
  // A numeric function name without a library does nothing either.
  EXPECT_EQ(before, Open("TALOR:?C21COM=11&USERFUNCTIONNAME=5&USERDATA=x"));
  EXPECT_EQ(visits, State().visits.size());
  EXPECT_TRUE(ui_.messages().empty());
}

// The demo's page names the demo library and functions that it has.
TEST_F(ExternalActionTest, DemoPageCallsTheDemoLibrary) {
  const std::string html = Open("TALOR:3,2,DEMO,external.html");
  EXPECT_NE(std::string::npos, html.find("action=\"TALOR:11,,DEMO\"")) << html;
  std::vector<std::string> functions;
  for (ElementHandle input : view_.ElementsByTag("INPUT")) {
    if (view_.Attribute(input, "name").value_or("") == "USERFUNCTIONNAME") {
      functions.push_back(view_.Attribute(input, "value").value_or(""));
    }
  }
  for (const std::string& function : functions) {
    Open("TALOR:3,2,DEMO,external.html");
    const std::string page = Call("talor-demo-action", function, "war");
    // The function's own page, or the search it leads to, replaced the form.
    EXPECT_EQ(std::string::npos, page.find("<h1>Внешняя функция</h1>")) << function;
  }
  EXPECT_EQ((std::vector<std::string>{"TalorDemoPage", "TalorDemoSearch"}), functions);
  EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(ExternalActionTest, MissingLibraryOrFunctionIsReported) {
  const std::string before = view_.DocumentHtml();
  EXPECT_EQ(before, Call("*nolib.so", "Fn", "x"));
  EXPECT_EQ(before, Call("talor-demo-action", "NoSuchFunction", "x"));
  ASSERT_EQ(2u, ui_.messages().size());
  EXPECT_EQ("nolib.so - DLL not found", ui_.messages()[0].text);
  EXPECT_EQ("NoSuchFunction - Function not found", ui_.messages()[1].text);
  for (const MessageBoxRequest& box : ui_.messages()) {
    EXPECT_EQ("Ошибка", box.caption);
    EXPECT_EQ(MessageIcon::Error, box.icon);
  }
}

TEST_F(ExternalActionTest, LibraryOutsideTheAllowedDirectoriesIsRefused) {
  Call("/lib/x86_64-linux-gnu/libc.so.6", "getpid", "");
  ASSERT_EQ(1u, ui_.messages().size());
  EXPECT_EQ(LibraryRefusedText("/lib/x86_64-linux-gnu/libc.so.6"), ui_.messages()[0].text);
}

TEST_F(ExternalActionTest, SiblingClientStartIsRefusedByDefault) {
  Open("TALOR:?C21COM=11&USERFUNCTIONNAME=go&USERDATA=x");
  ASSERT_EQ(1u, ui_.messages().size());
  EXPECT_EQ(ProgramRefusedText(kSiblingClientProgram), ui_.messages()[0].text);
}

TEST_F(ExternalActionTest, RunningSiblingClientGetsTheData) {
  const std::filesystem::path busDir = workDir_ + "bus";
  std::filesystem::create_directory(busDir);
  std::filesystem::permissions(busDir, std::filesystem::perms::owner_all);
  MessageBus bus(loop_, busDir.string());
  host_->bus = &bus;
  host_->own = bus.NewWindowHandle();
  std::vector<WindowMessage> received;
  ASSERT_EQ(ListenResult::Listening,
            bus.Listen(kNavigatorWindowClass, host_->own,
                       [&](const WindowMessage& message) { received.push_back(message); }));
  const std::string clientIni = workDir_ + "ctalorb.ini";
  setenv("TALOR_STANDIN_CLIENT_INI", clientIni.c_str(), 1);
  setenv("TALOR_STANDIN_NAVIGATOR_INI", (workDir_ + "nav.ini").c_str(), 1);
  setenv("TALOR_STANDIN_BUS_DIR", busDir.c_str(), 1);
  setenv("TALOR_STANDIN_LIFETIME_MS", "4000", 1);
  StartProcess(kStandIn, ShowState::kNormal, false);
  std::optional<WindowHandle> client;
  for (int i = 0; i < 1000 && !client; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    client = bus.FindWindow(kSiblingClientWindowClass);
  }
  ASSERT_TRUE(client);

  // The server names the client's INI file; here it lies in the work
  // directory, where the navigator may write.
  const_cast<NavigatorSettings&>(core_->settings()).clientIniForTalorb = clientIni;
  const size_t visits = State().visits.size();
  Open("TALOR:?C21COM=11&USERFUNCTIONNAME=go&USERDATA=MFN%3D7");
  EXPECT_TRUE(ui_.messages().empty());
  EXPECT_EQ(visits, State().visits.size());
  EXPECT_EQ(*client, host_->foreground);
  EXPECT_EQ("MFN=7", IniFile::Open(clientIni).ReadString("CONTEXT", "DATA", ""));
  ASSERT_TRUE(talor::testing::RunUntil(loop_, [&] { return !received.empty(); }));
  EXPECT_EQ(kHandOverMessage, received[0].message);
  EXPECT_EQ(*client, received[0].lParam);
  bus.StopListening(host_->own);
}

}  // namespace
}  // namespace talor::server

// The whole navigator core against a real talor-server with the demo
// catalogue: login, settings, the format engine, the Navigator and its two
// headless views, as the batch mode puts them together. Tests open
// pseudo-URLs and read the finished document, and may add their own pages
// and formats to the server's data directory.

#ifndef TALOR_TESTS_INTEGRATION_NAVIGATOR_FIXTURE_H_
#define TALOR_TESTS_INTEGRATION_NAVIGATOR_FIXTURE_H_

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "integration/demo_server.h"
#include "platform/html_page_view.h"
#include "platform/scripted_user_interface.h"
#include "shell/navigator_session.h"
#include "text/encoding.h"

namespace talor::server {

// Remembers what the window would show.
class RecordingChrome final : public NavigatorChrome {
 public:
  void HistoryVisit(const std::string& url, const std::string&, const std::string&) override {
    history.push_back(url);
  }
  void PrintPreview(PageView&) override { ++previews; }
  void Print(PageView&) override { ++prints; }
  ExternalActionHost& ExternalActions() override {
    return externalActions != nullptr ? *externalActions : NavigatorChrome::ExternalActions();
  }

  std::vector<std::string> history;
  ExternalActionHost* externalActions = nullptr;
  int previews = 0;
  int prints = 0;
};

class NavigatorTest : public DemoServerTest {
 protected:
  void SetUp() override {
    DemoServerTest::SetUp();
    config_.WriteString("Main", "ServerIP", "127.0.0.1");
    config_.WriteString("Main", "ServerPort", std::to_string(Port()));
    config_.WriteString("Main", "UserName", "librarian");
    config_.WriteString("Main", "UserPassword", "librarian");
    messages_.LoadFromFile(TALOR_SOURCE_DIR "/data/TALORMSG.TXT");
    std::string pattern = (std::filesystem::temp_directory_path() / "talor-work-XXXXXX").string();
    workDir_ = std::string(mkdtemp(pattern.data())) + "/";
    core_ = std::make_unique<NavigatorSession>(loop_, ui_, config_, messages_);
    ASSERT_EQ(core_->Login(), LoginResult::Registered);
    Status started = core_->Start(view_, printView_, chrome_, workDir_);
    ASSERT_TRUE(started.ok()) << started.message();
  }
  void TearDown() override {
    core_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(workDir_, ignored);
  }

  Navigator& Nav() { return core_->navigator(); }
  NavigationState& State() { return Nav().state(); }

  // Waits until the navigator has nothing left to do.
  void Settle() {
    loop_.WaitUntil([this] { return Nav().Idle(); });
  }

  // Opens `url` as the navigator does and returns the finished document.
  std::string Open(std::string_view url, std::string_view postText = {}) {
    Nav().NavigateWithPost(url, postText);
    Settle();
    return view_.DocumentHtml();
  }
  // A link or form of the page, as the reader uses it.
  void ClickFirst(std::string_view hrefPart) {
    for (ElementHandle link : view_.ElementsByTag("A")) {
      if (view_.Attribute(link, "href").value_or("").find(hrefPart) != std::string::npos) {
        view_.Click(link);
        Settle();
        return;
      }
    }
    ADD_FAILURE() << "no link containing " << hrefPart;
  }

  // Writes a catalogue file (UTF-8 text, stored in Windows-1251) into the
  // server's data directory, e.g. "db/DEMO/test.pft".
  static void WriteServerFile(const std::string& relativePath, std::string_view utf8Text) {
    std::ofstream out(server_->dataDir() / relativePath, std::ios::binary | std::ios::trunc);
    out << Utf8ToAnsi(utf8Text);
  }

  EventLoop loop_;
  ScriptedUserInterface ui_{loop_};
  LocalConfig config_;
  Messages messages_;
  std::string workDir_;
  HtmlPageView view_{loop_};
  HtmlPageView printView_{loop_};
  RecordingChrome chrome_;
  std::unique_ptr<NavigatorSession> core_;
};

}  // namespace talor::server

#endif  // TALOR_TESTS_INTEGRATION_NAVIGATOR_FIXTURE_H_

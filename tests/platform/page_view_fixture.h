// A headless page view on its own loop, with a log of the events it raised
// and helpers that show a page and read it back as strings.

#ifndef TALOR_TESTS_PLATFORM_PAGE_VIEW_FIXTURE_H_
#define TALOR_TESTS_PLATFORM_PAGE_VIEW_FIXTURE_H_

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/event_loop.h"
#include "platform/html_page_view.h"

namespace talor {

// A fresh folder under the system's temporary folder, removed at the end.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "talor-page-view-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  // Writes `bytes` to `name` in the folder and returns the file's path.
  std::string Write(std::string_view name, std::string_view bytes) const {
    std::filesystem::path file = path_ / std::string(name);
    std::ofstream(file, std::ios::binary) << bytes;
    return file.string();
  }
  std::string path() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

class PageViewTest : public ::testing::Test {
 protected:
  PageViewTest() {
    view_.SetBeforeNavigate([this](PageView&, BeforeNavigateEvent& event) {
      log_.push_back("before " + event.url);
      lastEvent_ = event;
      if (onBeforeNavigate_) onBeforeNavigate_(event);
    });
    view_.SetDocumentComplete(
        [this](PageView&, const std::string& url) { log_.push_back("complete " + url); });
  }

  // Writes a page and closes the document.
  void Show(std::string_view html) {
    ASSERT_TRUE(view_.Write(html));
    view_.Close();
  }

  // Navigates and runs the loop until the view is no longer busy.
  void Load(std::string_view url) {
    view_.Navigate(url);
    WaitIdle();
  }

  void WaitIdle() {
    ASSERT_TRUE(loop_.WaitUntil([this] { return !view_.Busy(); }));
  }

  // Runs every handler queued so far (and those they queue before it).
  void Drain() {
    bool reached = false;
    loop_.Post([&reached] { reached = true; });
    ASSERT_TRUE(loop_.WaitUntil([&reached] { return reached; }));
  }

  ElementHandle First(std::string_view tag) {
    std::vector<ElementHandle> found = view_.ElementsByTag(tag);
    return found.empty() ? 0 : found.front();
  }

  std::string Body() { return view_.InnerHtml(First("BODY")); }

  EventLoop loop_;
  HtmlPageView view_{loop_};
  std::vector<std::string> log_;
  BeforeNavigateEvent lastEvent_;
  std::function<void(BeforeNavigateEvent&)> onBeforeNavigate_;
};

}  // namespace talor

#endif  // TALOR_TESTS_PLATFORM_PAGE_VIEW_FIXTURE_H_

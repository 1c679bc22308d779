// The favourites over the real navigator core, with local pages in the
// headless view: the history is fed by the navigator's own recording, and a
// favourite opens through the navigator.

#include "favorites/session_favorites_navigator.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/html_page_view.h"
#include "platform/scripted_user_interface.h"
#include "shell/temp_dir.h"

namespace talor {
namespace {

class OkView final : public FavoritesView {
 public:
  bool ShowAddFavoritesForm(AddFavoritesForm& form) override {
    form.title += " (мой)";
    return true;
  }
};

class SessionFavoritesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.path().empty());
    dir_.Write("a.html", "<html><head><title>Страница А</title></head><body>A</body></html>");
    dir_.Write("b.html", "<html><body>B</body></html>");
    session_ = std::make_unique<NavigatorSession>(loop_, ui_, config_, messages_);
    target_ = std::make_unique<SessionFavoritesNavigator>(*session_);
    favorites_ = std::make_unique<FavoritesHistory>(*target_, view_, messages_);
    chrome_ = std::make_unique<FavoritesChrome>(plainChrome_, *favorites_);
    Status started = session_->Start(pageView_, printView_, *chrome_, dir_.File("work/"));
    ASSERT_TRUE(started.ok()) << started.message();
    favorites_->LoadFavorites(config_, session_->serverSettings());
  }
  void TearDown() override {
    chrome_.reset();
    favorites_.reset();
    target_.reset();
    session_.reset();
  }

  void Open(const std::string& url) {
    session_->navigator().NavigateWithPost(url, "");
    loop_.WaitUntil([this] { return session_->navigator().Idle(); });
  }
  std::string Url(std::string_view name) { return "file://" + dir_.File(name); }

  TempDir dir_;
  EventLoop loop_;
  ScriptedUserInterface ui_{loop_};
  LocalConfig config_;
  Messages messages_;
  HtmlPageView pageView_{loop_};
  HtmlPageView printView_{loop_};
  NavigatorChrome plainChrome_;
  OkView view_;
  std::unique_ptr<NavigatorSession> session_;
  std::unique_ptr<SessionFavoritesNavigator> target_;
  std::unique_ptr<FavoritesHistory> favorites_;
  std::unique_ptr<FavoritesChrome> chrome_;
};

TEST_F(SessionFavoritesTest, TheNavigatorFeedsTheHistoryAndOpensFavorites) {
  Open(Url("a.html"));
  favorites_->FavoritesAddMainMenuItemClick();
  Open(Url("b.html"));
  Open(Url("a.html"));

  const std::vector<HistoryEntry>& entries = favorites_->history().entries();
  ASSERT_EQ(2u, entries.size());
  EXPECT_EQ("Страница А", entries[0].page.title);
  EXPECT_EQ(1, entries[0].revisits);
  EXPECT_EQ(Url("b.html"), entries[1].page.title);  // no title: the address

  ASSERT_EQ(1u, favorites_->favorites().size());
  EXPECT_EQ("Страница А (мой)", favorites_->favorites()[0].title);
  EXPECT_EQ(Url("a.html"), favorites_->favorites()[0].url);

  Open(Url("b.html"));
  favorites_->FavoritesToolButtonClick();
  EXPECT_EQ(-1, favorites_->selectedLine());
  favorites_->LeftListBoxClick(0);
  loop_.WaitUntil([this] { return session_->navigator().Idle(); });
  EXPECT_EQ(Url("a.html"), session_->navigator().state().CurrentURL);
  EXPECT_EQ(0, favorites_->selectedLine());
  EXPECT_EQ(2, favorites_->history().entries()[0].revisits);
}

}  // namespace
}  // namespace talor

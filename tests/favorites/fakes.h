// A navigator and a window for the favourites, kept in memory: the
// navigator's page, context and the pages it was asked to open; the window's
// notifications and the answer of the dialog for a new favourite.

#ifndef TALOR_TESTS_FAVORITES_FAKES_H_
#define TALOR_TESTS_FAVORITES_FAKES_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "favorites/favorites_host.h"

namespace talor {

class FakeNavigator final : public FavoritesNavigator {
 public:
  std::optional<PageEntry> CurrentStep() const override { return step; }
  CurrentPage Current() const override { return current; }
  PageContext CurrentContext() const override { return context; }
  bool CommandBusy() const override { return busy; }
  void SetCheckNameMarker(std::string_view marker) override {
    context.checkNameMarker = std::string(marker);
    selection.clear();
  }
  void SetCurrentDbName(std::string_view dbName) override { context.dbName = std::string(dbName); }
  void ChangeServer(std::string_view address) override {
    context.serverAddress = std::string(address);
    ++serverChanges;
  }
  void NavigateWithPost(std::string_view url, std::string_view postText) override {
    opened.push_back(std::string(url) + "|" + std::string(postText));
    current = CurrentPage{std::string(url), std::string(postText)};
  }

  // Shows `url` as the navigator would: the page list's current step.
  void Show(std::string url, std::string postText = "", std::string caption = "") {
    current = CurrentPage{url, postText};
    step = PageEntry{caption.empty() ? url : caption, url, postText,
                     url.starts_with("TALOR:") ? ContextText(context) : ""};
  }

  std::optional<PageEntry> step;
  CurrentPage current;
  PageContext context{"MARK", "DEMO", "127.0.0.1"};
  bool busy = false;
  std::vector<std::string> selection{"DEMO/1"};
  std::vector<std::string> opened;  // "url|post text"
  int serverChanges = 0;
};

class FakeView final : public FavoritesView {
 public:
  void FavoritesChanged() override { ++favoritesChanges; }
  void HistoryChanged() override { ++historyChanges; }
  void PanelChanged() override { ++panelChanges; }
  bool ShowAddFavoritesForm(AddFavoritesForm& form) override {
    shownForm = form;
    if (!answer) return false;
    form.title = *answer;
    return true;
  }

  // The title the user leaves in the dialog before OK; nullopt cancels.
  std::optional<std::string> answer;
  std::optional<AddFavoritesForm> shownForm;
  int favoritesChanges = 0;
  int historyChanges = 0;
  int panelChanges = 0;
};

}  // namespace talor

#endif  // TALOR_TESTS_FAVORITES_FAKES_H_

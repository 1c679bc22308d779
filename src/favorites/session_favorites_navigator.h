// The favourites' view of the navigator core: the Navigator of a
// NavigatorSession and the session's server. The window builds one beside
// its session and hands it to FavoritesHistory.

#ifndef TALOR_FAVORITES_SESSION_FAVORITES_NAVIGATOR_H_
#define TALOR_FAVORITES_SESSION_FAVORITES_NAVIGATOR_H_

#include <optional>
#include <string>
#include <string_view>

#include "favorites/favorites_history.h"
#include "favorites/favorites_host.h"
#include "navigator/navigator_host.h"
#include "shell/navigator_session.h"

namespace talor {

class SessionFavoritesNavigator final : public FavoritesNavigator {
 public:
  // `session` must outlive this object.
  // REQUIRES: before any call, session.Start succeeded (the navigator exists).
  explicit SessionFavoritesNavigator(NavigatorSession& session) : session_(session) {}

  std::optional<PageEntry> CurrentStep() const override;
  CurrentPage Current() const override;
  PageContext CurrentContext() const override;
  bool CommandBusy() const override;
  void SetCheckNameMarker(std::string_view marker) override;
  void SetCurrentDbName(std::string_view dbName) override;
  void ChangeServer(std::string_view address) override;
  void NavigateWithPost(std::string_view url, std::string_view postText) override;

 private:
  NavigatorSession& session_;
};

// The window's chrome with the history added: every page recorded in the
// page list is counted, and the open list follows the current page. All
// other calls go to `inner`.
class FavoritesChrome final : public NavigatorChrome {
 public:
  // Both must outlive this object, and so must `externalActions` when given
  // (otherwise the inner chrome's are used).
  FavoritesChrome(NavigatorChrome& inner, FavoritesHistory& favorites,
                  ExternalActionHost* externalActions = nullptr)
      : inner_(inner), favorites_(favorites), externalActions_(externalActions) {}

  void StartAnimation() override { inner_.StartAnimation(); }
  void StopAnimation() override { inner_.StopAnimation(); }
  void VisitsChanged() override;
  void HistoryVisit(const std::string& url, const std::string& postText,
                    const std::string& title) override;
  void PrintPreview(PageView& printView) override { inner_.PrintPreview(printView); }
  void Print(PageView& printView) override { inner_.Print(printView); }
  ExternalActionHost& ExternalActions() override {
    return externalActions_ != nullptr ? *externalActions_ : inner_.ExternalActions();
  }

 private:
  NavigatorChrome& inner_;
  FavoritesHistory& favorites_;
  ExternalActionHost* externalActions_;
};

}  // namespace talor

#endif  // TALOR_FAVORITES_SESSION_FAVORITES_NAVIGATOR_H_

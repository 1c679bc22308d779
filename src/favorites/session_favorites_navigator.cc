#include "favorites/session_favorites_navigator.h"

#include <string>

namespace talor {

std::optional<PageEntry> SessionFavoritesNavigator::CurrentStep() const {
  const Visit* visit = session_.navigator().state().CurrentVisit();
  if (visit == nullptr) return std::nullopt;
  return PageEntry{visit->caption, visit->url, visit->postText, visit->serverContext};
}

CurrentPage SessionFavoritesNavigator::Current() const {
  const NavigationState& state = session_.navigator().state();
  return CurrentPage{state.CurrentURL, state.CurrentPostData};
}

PageContext SessionFavoritesNavigator::CurrentContext() const {
  const NavigationState& state = session_.navigator().state();
  return PageContext{state.CheckNameMarker, state.CurrentDbName,
                     session_.session().values().serverAddress};
}

bool SessionFavoritesNavigator::CommandBusy() const {
  return session_.navigator().state().CommandBusy;
}

void SessionFavoritesNavigator::SetCheckNameMarker(std::string_view marker) {
  Navigator& navigator = session_.navigator();
  navigator.state().CheckNameMarker = std::string(marker);
  navigator.state().SelectedList.Clear();
  navigator.RestoreSelection();
}

void SessionFavoritesNavigator::SetCurrentDbName(std::string_view dbName) {
  session_.navigator().state().CurrentDbName = std::string(dbName);
}

void SessionFavoritesNavigator::ChangeServer(std::string_view address) {
  // A refused server is the login handling's business: it asks the user,
  // falls back to the old server or ends the program.
  session_.session().ChangeServer(address, "");
}

void SessionFavoritesNavigator::NavigateWithPost(std::string_view url, std::string_view postText) {
  session_.navigator().NavigateWithPost(url, postText);
}

void FavoritesChrome::VisitsChanged() {
  inner_.VisitsChanged();
  favorites_.SelectCurrentPage();
}

void FavoritesChrome::HistoryVisit(const std::string& url, const std::string& postText,
                                   const std::string& title) {
  inner_.HistoryVisit(url, postText, title);
  favorites_.HistoryVisit(url, postText, title);
}

}  // namespace talor

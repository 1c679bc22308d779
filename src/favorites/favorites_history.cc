#include "favorites/favorites_history.h"

#include <cstddef>
#include <optional>

#include "favorites/favorites_file.h"
#include "navigator/parameters.h"
#include "shell/config_keys.h"
#include "shell/message_numbers.h"

namespace talor {

FavoritesSettings ReadFavoritesSettings(const ServerSettings& serverSettings) {
  FavoritesSettings settings;
  const auto flag = [&](std::string_view key, bool value) {
    return serverSettings.ReadBool(config::kNavigator, key, value);
  };
  settings.maxHistoryTitleLength = serverSettings.ReadInteger(
      config::kNavigator, config::kMAXHISTORYTITLELENGTH, settings.maxHistoryTitleLength);
  settings.favoritesAdd = flag(config::kFavoritesAdd, settings.favoritesAdd);
  settings.favoritesHistoryDelete =
      flag(config::kFavoritesHistoryDelete, settings.favoritesHistoryDelete);
  settings.favoritesList = flag(config::kFavoritesList, settings.favoritesList);
  return settings;
}

FavoritesHistory::FavoritesHistory(FavoritesNavigator& navigator, FavoritesView& view,
                                   const Messages& messages)
    : navigator_(navigator), view_(view), messages_(messages) {}

void FavoritesHistory::LoadFavorites(const LocalConfig& config,
                                     const ServerSettings& serverSettings) {
  settings_ = ReadFavoritesSettings(serverSettings);
  favorites_ = settings_.favoritesList
                   ? ReadFavorites(config, config::kDesktop, FavoritesEncoding::Utf8,
                                   settings_.maxHistoryTitleLength)
                   : ReadFavorites(serverSettings, config::kNavigator, FavoritesEncoding::Ansi,
                                   settings_.maxHistoryTitleLength);
  view_.FavoritesChanged();
  if (config.ReadBool(config::kDesktop, config::kFavorites, false)) {
    OpenPanel(LeftPanel::Favorites);
  }
  if (config.ReadBool(config::kDesktop, config::kHistory, false)) OpenPanel(LeftPanel::History);
}

void FavoritesHistory::SaveFavorites(LocalConfig& config) const {
  config.WriteBool(config::kDesktop, config::kFavorites, panel_ == LeftPanel::Favorites);
  config.WriteBool(config::kDesktop, config::kHistory, panel_ == LeftPanel::History);
  if (settings_.favoritesList) WriteFavorites(config, config::kDesktop, favorites_);
}

// The two buttons form a group in which at most one is down: a click on the
// one that is down closes the panel, a click on the other switches lists.
void FavoritesHistory::FavoritesToolButtonClick() {
  OpenPanel(panel_ == LeftPanel::Favorites ? LeftPanel::None : LeftPanel::Favorites);
}

void FavoritesHistory::HistoryToolButtonClick() {
  OpenPanel(panel_ == LeftPanel::History ? LeftPanel::None : LeftPanel::History);
}

void FavoritesHistory::LeftTopSpeedButtonClick() { OpenPanel(LeftPanel::None); }

void FavoritesHistory::OpenPanel(LeftPanel panel) {
  panel_ = panel;
  selectedLine_ = -1;
  SelectCurrentLine();
  view_.PanelChanged();
}

void FavoritesHistory::LeftListBoxClick(int line) {
  const PageEntry* entry = PanelEntry(line);
  if (entry == nullptr) return;
  if (selectedLine_ != line) {
    selectedLine_ = line;
    view_.PanelChanged();
  }
  // A copy: opening may change the lists (a server change can close the
  // window, a shown page is recorded in the history).
  OpenEntry(PageEntry(*entry));
}

void FavoritesHistory::FavoritesHistoryDeleteToolButtonClick() {
  if (!settings_.favoritesHistoryDelete || PanelEntry(selectedLine_) == nullptr) return;
  const size_t line = static_cast<size_t>(selectedLine_);
  selectedLine_ = -1;
  if (panel_ == LeftPanel::Favorites) {
    favorites_.erase(favorites_.begin() + static_cast<std::ptrdiff_t>(line));
    view_.FavoritesChanged();
  } else {
    history_.Delete(line);
    view_.HistoryChanged();
  }
  view_.PanelChanged();
}

void FavoritesHistory::SortMenuItemClick(HistorySort order) {
  if (order == history_.order()) return;
  history_.Sort(order);
  view_.HistoryChanged();
  if (panel_ == LeftPanel::History) {
    selectedLine_ = -1;
    SelectCurrentLine();
    view_.PanelChanged();
  }
}

void FavoritesHistory::FavoritesAddMainMenuItemClick() {
  if (!settings_.favoritesAdd) return;
  std::optional<PageEntry> step = navigator_.CurrentStep();
  if (!step) return;
  AddFavoritesForm form{std::string(kAddFavoritesCaption), std::string(kAddFavoritesLabel),
                        std::string(kAddFavoritesOk), messages_.Text(message::kCancel),
                        step->title};
  if (!view_.ShowAddFavoritesForm(form)) return;
  step->title = Utf8Prefix(form.title, settings_.maxHistoryTitleLength);
  favorites_.push_back(std::move(*step));
  view_.FavoritesChanged();
  if (panel_ == LeftPanel::Favorites) {
    selectedLine_ = PanelSize() - 1;
    view_.PanelChanged();
  }
}

void FavoritesHistory::FavoritesListMainMenuItemClick(int index) {
  if (index < 0 || index >= static_cast<int>(favorites_.size())) return;
  OpenEntry(PageEntry(favorites_[static_cast<size_t>(index)]));
}

// Brings back the context in which the entry was made, then its page. The
// navigator opens nothing while a command runs, and the context must not
// change under a running command either.
void FavoritesHistory::OpenEntry(const PageEntry& entry) {
  if (navigator_.CommandBusy()) return;
  const PageContext current = navigator_.CurrentContext();
  if (!entry.context.empty() && entry.context != ContextText(current)) {
    const PageContext target = ParseContext(entry.context);
    navigator_.SetCheckNameMarker(target.checkNameMarker);
    navigator_.SetCurrentDbName(target.dbName);
    if (!target.serverAddress.empty() && target.serverAddress != current.serverAddress) {
      navigator_.ChangeServer(target.serverAddress);
    }
  }
  navigator_.NavigateWithPost(entry.url, entry.postText);
}

void FavoritesHistory::HistoryVisit(const std::string& url, const std::string& postText,
                                    const std::string& title) {
  PageEntry page{title.empty() ? url : title, url, postText, std::string()};
  if (IsPseudoUrl(url)) page.context = ContextText(navigator_.CurrentContext());
  history_.Record(page);
  view_.HistoryChanged();
  if (panel_ == LeftPanel::History) {
    // The lines moved: keep the selection on the current page.
    selectedLine_ = -1;
    SelectCurrentLine();
    view_.PanelChanged();
  }
}

void FavoritesHistory::SelectCurrentPage() {
  const int before = selectedLine_;
  if (SelectCurrentLine() && selectedLine_ != before) view_.PanelChanged();
}

bool FavoritesHistory::SelectCurrentLine() {
  const CurrentPage current = navigator_.Current();
  for (int line = 0; line < PanelSize(); ++line) {
    const PageEntry* entry = PanelEntry(line);
    if (entry->url == current.url && entry->postText == current.postText) {
      selectedLine_ = line;
      return true;
    }
  }
  return false;
}

int FavoritesHistory::PanelSize() const {
  switch (panel_) {
    case LeftPanel::Favorites:
      return static_cast<int>(favorites_.size());
    case LeftPanel::History:
      return static_cast<int>(history_.size());
    case LeftPanel::None:
      break;
  }
  return 0;
}

const PageEntry* FavoritesHistory::PanelEntry(int line) const {
  if (line < 0 || line >= PanelSize()) return nullptr;
  const size_t index = static_cast<size_t>(line);
  return panel_ == LeftPanel::Favorites ? &favorites_[index] : &history_.entries()[index].page;
}

std::vector<std::string> FavoritesHistory::PanelLines() const {
  std::vector<std::string> lines;
  for (int line = 0; line < PanelSize(); ++line) lines.push_back(PanelEntry(line)->title);
  return lines;
}

std::string_view FavoritesHistory::PanelCaption() const {
  switch (panel_) {
    case LeftPanel::Favorites:
      return kFavoritesPanelCaption;
    case LeftPanel::History:
      return kHistoryPanelCaption;
    case LeftPanel::None:
      break;
  }
  return {};
}

LeftPanelTools FavoritesHistory::Tools() const {
  LeftPanelTools tools;
  tools.addEnabled = settings_.favoritesAdd;
  tools.deleteEnabled = settings_.favoritesHistoryDelete;
  tools.addVisible = panel_ == LeftPanel::Favorites;
  tools.deleteVisible = panel_ != LeftPanel::None;
  tools.sortVisible = panel_ == LeftPanel::History;
  return tools;
}

}  // namespace talor

// The favourites and the history of the main window, and the left panel that
// shows one of them: the state that the window mirrors, and the operations
// behind its buttons, menu items and list box.
//
// Favourites are pages the user adds by hand; they are read at start from
// section DESKTOP of the local configuration (or, read-only, from section
// Navigator of the server-provided settings when its `FavoritesList` is
// false) and saved at close. The history counts every page the navigator
// shows and lives for the run only. Choosing an entry opens the page again in
// the context in which it was made.
//
// Everything runs on the core loop's thread. None of the operations reports
// an error: an operation that does not apply (no current page, no selected
// line, an index past the end, a command running) does nothing.

#ifndef TALOR_FAVORITES_FAVORITES_HISTORY_H_
#define TALOR_FAVORITES_FAVORITES_HISTORY_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "favorites/favorites_host.h"
#include "favorites/history_list.h"
#include "favorites/page_entry.h"
#include "shell/ini_file.h"
#include "shell/messages.h"

namespace talor {

// The panel's caption (LeftTopLabel) for each list.
inline constexpr std::string_view kFavoritesPanelCaption = "Избранное";
inline constexpr std::string_view kHistoryPanelCaption = "История";
// TAddFavoritesForm's fixed texts; its cancel button's caption is message
// kCancel.
inline constexpr std::string_view kAddFavoritesCaption = "Добавить в Избранное";
inline constexpr std::string_view kAddFavoritesLabel = "Название:";
inline constexpr std::string_view kAddFavoritesOk = "OK";

// The switches of section Navigator of the server-provided settings that
// govern the favourites.
struct FavoritesSettings {
  int32_t maxHistoryTitleLength = 80;  // MAXHISTORYTITLELENGTH
  bool favoritesAdd = true;            // FavoritesAdd: adding is enabled
  bool favoritesHistoryDelete = true;  // FavoritesHistoryDelete: deleting is enabled
  bool favoritesList = true;           // FavoritesList: the local file holds them
};

// Reads the switches; a missing or unreadable value keeps its default.
FavoritesSettings ReadFavoritesSettings(const ServerSettings& serverSettings);

// Which list the left panel (PanelLeft) shows; None when it is closed.
enum class LeftPanel { None, Favorites, History };

// The panel's buttons as the window shows them.
struct LeftPanelTools {
  bool addVisible = false;     // FavoritesAddToolButton
  bool addEnabled = false;     // it and FavoritesAddMainMenuItem
  bool deleteVisible = false;  // FavoritesHistoryDeleteToolButton
  bool deleteEnabled = false;
  bool sortVisible = false;  // HistorySortToolButton

  bool operator==(const LeftPanelTools&) const = default;
};

class FavoritesHistory {
 public:
  // `navigator`, `view` and `messages` must outlive this object. Starts
  // with no favourites, an empty history in time order and the panel closed.
  FavoritesHistory(FavoritesNavigator& navigator, FavoritesView& view, const Messages& messages);
  FavoritesHistory(const FavoritesHistory&) = delete;
  FavoritesHistory& operator=(const FavoritesHistory&) = delete;

  // ---- start and close
  // Takes the switches from `serverSettings`, replaces the favourites by
  // those of their source, and opens the panel that was open at the last
  // close (`Favorites`, then `History` of section DESKTOP of `config`; the
  // later one wins).
  void LoadFavorites(const LocalConfig& config, const ServerSettings& serverSettings);
  // Writes `Favorites` and `History` (the open panel) into section DESKTOP
  // of `config` and, only when `FavoritesList` is true, the favourites. The
  // caller saves the file.
  void SaveFavorites(LocalConfig& config) const;

  // ---- the panel
  // Open the panel with their list, or close it when it shows that list
  // already; on opening, the current page's line is selected.
  void FavoritesToolButtonClick();
  void HistoryToolButtonClick();
  // Closes the panel.
  void LeftTopSpeedButtonClick();

  // Goes to line `line` of the open list, selecting it.
  void LeftListBoxClick(int line);
  // Deletes the selected line of the open list, with no question; clears the
  // selection. Nothing when deleting is disabled or no line is selected.
  void FavoritesHistoryDeleteToolButtonClick();
  // Puts the history in `order` (nothing when it is the order already).
  void SortMenuItemClick(HistorySort order);

  // ---- the favourites menu
  // Asks for a title (preset to the current step's caption) and, on OK,
  // adds the current step of the page list with the title cut to
  // MAXHISTORYTITLELENGTH characters. Duplicates and empty titles are
  // accepted. Nothing when adding is disabled or there is no current page.
  void FavoritesAddMainMenuItemClick();
  // Goes to favourite `index` (from 0).
  void FavoritesListMainMenuItemClick(int index);

  // ---- the navigator's events
  // A page was shown and recorded in the page list (`title` empty when the
  // document has none): the history counts it.
  void HistoryVisit(const std::string& url, const std::string& postText, const std::string& title);
  // Selects the line of the open list that holds the current page (its
  // address and POST text, exactly); without one the selection stays.
  void SelectCurrentPage();

  // ---- the state the window mirrors
  const FavoritesSettings& settings() const { return settings_; }
  const std::vector<PageEntry>& favorites() const { return favorites_; }
  const HistoryList& history() const { return history_; }
  LeftPanel panel() const { return panel_; }
  // The selected line of the open list; -1 for none.
  int selectedLine() const { return selectedLine_; }
  // The open list's lines (titles) in order; empty when the panel is closed.
  // A window that cuts a line shows the whole text as its tooltip.
  std::vector<std::string> PanelLines() const;
  // The entry of line `line` of the open list; nullptr when there is none.
  const PageEntry* PanelEntry(int line) const;
  // "Избранное", "История", or empty when the panel is closed.
  std::string_view PanelCaption() const;
  LeftPanelTools Tools() const;

 private:
  // Shows `panel` (None closes it) and selects the current page's line.
  void OpenPanel(LeftPanel panel);
  // Selects the current page's line; false when there is none.
  bool SelectCurrentLine();
  void OpenEntry(const PageEntry& entry);
  int PanelSize() const;

  // Constant after construction.
  FavoritesNavigator& navigator_;
  FavoritesView& view_;
  const Messages& messages_;

  // Set at start.
  FavoritesSettings settings_;

  // For the run.
  std::vector<PageEntry> favorites_;
  HistoryList history_;
  LeftPanel panel_ = LeftPanel::None;
  int selectedLine_ = -1;
};

}  // namespace talor

#endif  // TALOR_FAVORITES_FAVORITES_HISTORY_H_

// The window's state as the page receives it: the JSON of the chrome, the
// favourites, the history and the wait dialog, and the snapshot a newly
// connected page starts from.

#include "ui/web_window.h"

#include <vector>

#include "favorites/favorites_history.h"
#include "navigator/navigator.h"
#include "navigator/parameters.h"
#include "ui/json_text.h"
#include "ui/window_names.h"

namespace talor {

namespace {

std::string LayoutJson(const WindowLayout& layout) {
  return JsonObject()
      .Bool("scalable", layout.scalable)
      .Number("width", layout.width)
      .Number("height", layout.height)
      .Number("mainMenuLeft", layout.mainMenuLeft)
      .Number("mainMenuTop", layout.mainMenuTop)
      .Bool("view", layout.view)
      .Number("viewLeft", layout.viewLeft)
      .Number("viewTop", layout.viewTop)
      .Bool("file", layout.file)
      .Number("fileLeft", layout.fileLeft)
      .Number("fileTop", layout.fileTop)
      .Bool("url", layout.url)
      .Number("urlLeft", layout.urlLeft)
      .Number("urlTop", layout.urlTop)
      .Number("urlWidth", layout.urlWidth)
      .Text();
}

std::string SwitchesJson(const MainWindowSwitches& switches) {
  return JsonObject()
      .Bool("fileOpen", switches.fileOpen)
      .Bool("fileSaveAs", switches.fileSaveAs)
      .Bool("filePrint", switches.filePrint)
      .Bool("urlCoolBar", switches.urlCoolBar)
      .Bool("favoritesAdd", switches.favoritesAdd)
      .Bool("servisToolBars", switches.servisToolBars)
      .Bool("favoritesHistoryDelete", switches.favoritesHistoryDelete)
      .Text();
}

std::string_view PanelName(LeftPanel panel) {
  switch (panel) {
    case LeftPanel::Favorites:
      return "favorites";
    case LeftPanel::History:
      return "history";
    case LeftPanel::None:
      break;
  }
  return "none";
}

std::string EntryJson(const PageEntry& entry, int index) {
  return JsonObject()
      .Number("index", index)
      .String("title", entry.title)
      .String("url", entry.url)
      .Bool("talor", IsPseudoUrl(entry.url))
      .Text();
}

}  // namespace

std::string WebWindow::ChromeJson() const {
  const bool started = main_ != nullptr && main_->started();
  std::string commands;
  {
    JsonObject object;
    for (const auto& [name, command] : kCommandNames) {
      object.Bool(name, commands_ != nullptr && mainEnabled_ && commands_->Enabled(command));
    }
    commands = object.Text();
  }
  std::vector<std::string> visits;
  std::string address;
  if (started) {
    const NavigationState& state = main_->core().navigator().state();
    for (size_t i = 0; i < state.visits.size(); ++i) {
      visits.push_back(JsonObject()
                           .Number("index", static_cast<int64_t>(i))
                           .String("caption", state.visits[i].caption)
                           .Bool("current", static_cast<int>(i) == state.VisitIndex)
                           .Text());
    }
    if (state.VisitIndex >= 0 && state.VisitIndex < static_cast<int>(state.visits.size())) {
      address = state.visits[state.VisitIndex].url;
    }
  }
  std::vector<std::string> addresses;
  for (const std::string& item : addresses_) addresses.push_back(JsonString(item));

  std::string panel = "none";
  std::string panelCaption;
  std::vector<std::string> lines;
  int selectedLine = -1;
  std::string tools = "{}";
  std::string sort = "time";
  if (main_ != nullptr) {
    const FavoritesHistory& favorites = main_->favorites();
    panel = PanelName(favorites.panel());
    panelCaption = favorites.PanelCaption();
    selectedLine = favorites.selectedLine();
    sort = SortName(favorites.history().order());
    const std::vector<std::string> texts = favorites.PanelLines();
    for (size_t i = 0; i < texts.size(); ++i) {
      const PageEntry* entry = favorites.PanelEntry(static_cast<int>(i));
      lines.push_back(JsonObject()
                          .Number("line", static_cast<int64_t>(i))
                          .String("text", texts[i])
                          .String("url", entry != nullptr ? entry->url : "")
                          .Bool("talor", entry != nullptr && IsPseudoUrl(entry->url))
                          .Text());
    }
    const LeftPanelTools panelTools = favorites.Tools();
    tools = JsonObject()
                .Bool("addVisible", panelTools.addVisible)
                .Bool("addEnabled", panelTools.addEnabled)
                .Bool("deleteVisible", panelTools.deleteVisible)
                .Bool("deleteEnabled", panelTools.deleteEnabled)
                .Bool("sortVisible", panelTools.sortVisible)
                .Text();
  }
  const bool talorPage =
      status_.empty() ? IsPseudoUrl(AsciiUpperCase(address)) : IsPseudoUrl(AsciiUpperCase(status_));
  return JsonObject()
      .String("caption", caption_)
      .Bool("visible", visible_)
      .Raw("splash", JsonObject()
                         .Bool("shown", splashShown_)
                         .Bool("onTop", splashOnTop_)
                         .Bool("about", false)
                         .Text())
      .Raw("layout", LayoutJson(layout_))
      .Raw("switches", SwitchesJson(switches_))
      .Bool("rightButton", !started || main_->core().settings().rButtonDown)
      .Raw("commands", commands)
      .Bool("started", started)
      .Bool("enabled", mainEnabled_ && dialogs_.empty())
      .Bool("busy", busy_)
      .Bool("waitCursor", waitCursor_)
      .Bool("returnButton", returnButton_)
      .String("address", address)
      .Raw("addresses", JsonArray(addresses))
      .String("status", status_)
      .String("statusKind", talorPage ? "talor" : "page")
      .Raw("visits", JsonArray(visits))
      .String("panel", panel)
      .String("panelCaption", panelCaption)
      .Raw("panelLines", JsonArray(lines))
      .Raw("panelTools", tools)
      .Number("selectedLine", selectedLine)
      .String("historySort", sort)
      .Number("startTime", startTime_)
      .String("font", font_.face)
      .Text();
}

std::string WebWindow::FavoritesJson() const {
  std::vector<std::string> items;
  if (main_ != nullptr) {
    const std::vector<PageEntry>& favorites = main_->favorites().favorites();
    for (size_t i = 0; i < favorites.size(); ++i) {
      items.push_back(EntryJson(favorites[i], static_cast<int>(i)));
    }
  }
  return JsonObject().Raw("items", JsonArray(items)).Text();
}

std::string WebWindow::HistoryJson() const {
  std::vector<std::string> items;
  std::string sort = "time";
  if (main_ != nullptr) {
    const HistoryList& history = main_->favorites().history();
    sort = SortName(history.order());
    for (size_t i = 0; i < history.size(); ++i) {
      const HistoryEntry& entry = history.entries()[i];
      items.push_back(JsonObject()
                          .Number("index", static_cast<int64_t>(i))
                          .String("title", entry.page.title)
                          .String("url", entry.page.url)
                          .Number("count", entry.revisits + 1)
                          .Bool("talor", IsPseudoUrl(entry.page.url))
                          .Text());
    }
  }
  return JsonObject().String("sort", sort).Raw("items", JsonArray(items)).Text();
}

std::string WebWindow::WaitJson() const {
  return JsonObject()
      .Bool("visible", wait_.visible)
      .Number("left", wait_.bounds.left)
      .Number("top", wait_.bounds.top)
      .Number("width", wait_.bounds.width)
      .Number("height", wait_.bounds.height)
      .Number("animationLeft", wait_.animationLeft)
      .Number("progress", wait_.progress)
      .Text();
}

std::vector<WindowEvent> WebWindow::Snapshot() const {
  std::vector<WindowEvent> events{
      {"chrome", ChromeJson()},
      {"favorites", FavoritesJson()},
      {"history", HistoryJson()},
      {"page", PageJson()},
  };
  for (const OpenDialog& dialog : dialogs_) events.push_back({"dialog", dialog.json});
  if (wait_.visible) events.push_back({"wait", WaitJson()});
  return events;
}

}  // namespace talor

#include "ui/main_window_view.h"

#include "shell/config_keys.h"

namespace talor {

MainWindowSwitches ReadMainWindowSwitches(const ServerSettings& serverSettings) {
  auto read = [&serverSettings](std::string_view key) {
    return serverSettings.ReadBool(config::kNavigator, key, true);
  };
  MainWindowSwitches switches;
  switches.fileOpen = read(config::kFileOpen);
  switches.fileSaveAs = read(config::kFileSaveAs);
  switches.filePrint = read(config::kFilePrint);
  switches.urlCoolBar = read(config::kURLCoolBar);
  switches.favoritesAdd = read(config::kFavoritesAdd);
  switches.servisToolBars = read(config::kServisToolBars);
  switches.favoritesHistoryDelete = read(config::kFavoritesHistoryDelete);
  return switches;
}

}  // namespace talor

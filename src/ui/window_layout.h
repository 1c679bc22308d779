// The main window's layout as section DESKTOP of the local configuration
// keeps it: the window's size or maximized state, the places of the tool bars
// and whether each is shown. Read when the window is created, written when it
// closes.

#ifndef TALOR_UI_WINDOW_LAYOUT_H_
#define TALOR_UI_WINDOW_LAYOUT_H_

#include <cstdint>

#include "shell/config_keys.h"
#include "shell/ini_file.h"

namespace talor {

struct WindowLayout {
  bool scalable = false;  // Scalable: maximized
  // The normal size; kept while maximized.
  int32_t width = config::kDefaultWidth;
  int32_t height = config::kDefaultHeight;

  int32_t mainMenuLeft = config::kDefaultMainMenuLeft;  // MainMenuToolBar
  int32_t mainMenuTop = config::kDefaultMainMenuTop;

  bool view = true;  // ViewToolBar
  int32_t viewLeft = config::kDefaultViewLeft;
  int32_t viewTop = config::kDefaultViewTop;

  bool file = true;  // FileToolBar
  int32_t fileLeft = config::kDefaultFileLeft;
  int32_t fileTop = config::kDefaultFileTop;

  bool url = true;  // URLCoolBar
  int32_t urlLeft = config::kDefaultURLLeft;
  int32_t urlTop = config::kDefaultURLTop;
  int32_t urlWidth = config::kDefaultURLWidth;

  bool operator==(const WindowLayout&) const = default;
};

// The layout of section DESKTOP; every missing or unreadable key keeps the
// default above.
WindowLayout ReadWindowLayout(const LocalConfig& config);

// Writes Scalable and, only when the window is not maximized, Width and
// Height (so that a maximized window keeps its last normal size in the file);
// then the tool bars' places and visibility. The caller saves the file.
void WriteWindowLayout(const WindowLayout& layout, LocalConfig& config);

}  // namespace talor

#endif  // TALOR_UI_WINDOW_LAYOUT_H_

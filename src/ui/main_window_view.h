// What the main window's logic (MainWindow) needs from the window on screen:
// the effects that only a window has — showing and hiding itself, the splash
// window, the return button, the tool bars and menu items that the server
// switches on and off, the layout as the user left it, the animation — and
// the posting of the hand-over message to another program's window.
//
// Every method has a default that does nothing, so a window overrides only
// what it shows; the tests record what they need to check.

#ifndef TALOR_UI_MAIN_WINDOW_VIEW_H_
#define TALOR_UI_MAIN_WINDOW_VIEW_H_

#include <cstdint>
#include <functional>

#include "favorites/favorites_host.h"
#include "navigator/navigator_host.h"
#include "platform/page_view.h"
#include "shell/ini_file.h"
#include "ui/window_layout.h"

namespace talor {

// Posts window message `message` with the parameters `wParam` and `lParam`
// to the window `target` of another program (never 0). Delivery is not
// reported.
using PostWindowMessage =
    std::function<void(int64_t target, uint32_t message, int64_t wParam, int64_t lParam)>;

// The interface switches of section Navigator of the server-provided
// settings, all true when missing.
struct MainWindowSwitches {
  bool fileOpen = true;                // FileOpen: FileOpenMainMenuItem, FileOpenToolButton
  bool fileSaveAs = true;              // FileSaveAs: the save-as pair
  bool filePrint = true;               // FilePrint: the print pair
  bool urlCoolBar = true;              // URLCoolBar: the address bar and URLToolItem shown
  bool favoritesAdd = true;            // FavoritesAdd: the add-favourite pair
  bool servisToolBars = true;          // ServisToolBars: ServisToolBarsMainMenuItem enabled;
                                       // when false the control bar has no pop-up menu
  bool favoritesHistoryDelete = true;  // FavoritesHistoryDelete: the panel's delete button

  bool operator==(const MainWindowSwitches&) const = default;
};

MainWindowSwitches ReadMainWindowSwitches(const ServerSettings& serverSettings);

// The window also shows the navigator's chrome (animation, back/forward,
// print) and the favourites and history, through the two base interfaces.
class MainWindowView : public NavigatorChrome, public FavoritesView {
 public:
  // The main window is shown (after the login) or hidden (before it).
  virtual void ShowMainWindow(bool visible) { (void)visible; }
  // The splash window stays above the others (true) or becomes an ordinary
  // window (false, while the login dialog shows).
  virtual void SetSplashOnTop(bool onTop) { (void)onTop; }
  virtual void CloseSplash() {}

  // The layout of section DESKTOP, when the window is created.
  virtual void ApplyLayout(const WindowLayout& layout) { (void)layout; }
  // At close: the window puts its current size, maximized state, tool bar
  // places and visibility into `layout`, which holds the values applied at
  // creation. Left unchanged, those are saved again.
  virtual void ReadLayout(WindowLayout& layout) { (void)layout; }

  // The interface switches after the login.
  virtual void SwitchesChanged(const MainWindowSwitches& switches) { (void)switches; }
  // FileReturnToolButton shows or hides.
  virtual void ReturnButtonChanged(bool visible) { (void)visible; }

  // Brings another program's window to the foreground (the return).
  virtual void BringToForeground(int64_t window) { (void)window; }
  // Gives the keyboard focus to an element of the page in `view`.
  virtual void FocusPageElement(PageView& view, ElementHandle element) {
    (void)view, (void)element;
  }
};

}  // namespace talor

#endif  // TALOR_UI_MAIN_WINDOW_VIEW_H_

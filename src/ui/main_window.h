// The main window TTalorNavigatorForm without its drawing: the second half
// of the start (StartTimerTimer: the login loop, the first page, the server
// settings, the favourites), the hand-over of a page by another program
// while the navigator runs, the return to that program, and the closing and
// destruction of the window with everything they save and delete.
//
// It owns the navigator core (NavigatorSession), the favourites and history,
// the start timer and the start values of the run. The window on screen
// comes in through MainWindowView; the page views, the user interface and the
// posting of window messages are handed in too.
//
// Everything runs on the core loop's thread.

#ifndef TALOR_UI_MAIN_WINDOW_H_
#define TALOR_UI_MAIN_WINDOW_H_

#include <chrono>
#include <cstdint>
#include <string>

#include "favorites/favorites_history.h"
#include "favorites/session_favorites_navigator.h"
#include "platform/event_loop.h"
#include "platform/loop_timer.h"
#include "platform/message_bus.h"
#include "platform/page_view.h"
#include "platform/user_interface.h"
#include "shell/ini_file.h"
#include "shell/messages.h"
#include "shell/navigator_session.h"
#include "shell/session_external_actions.h"
#include "ui/main_window_view.h"
#include "ui/window_layout.h"

namespace talor {

struct MainWindowParts {
  EventLoop& loop;
  UserInterface& ui;
  // The local configuration, opened from its file; the hand-over reads it
  // again from that file.
  LocalConfig& config;
  const Messages& messages;
  PageView& view;       // NavigatorWebBrowser
  PageView& printView;  // PrintWebBrowser
  MainWindowView& window;
  PostWindowMessage postMessage;
  // The completed Workdir (see WorkDirectory), ending in `/`; created by the
  // start when missing.
  std::string workDirectory;
  // The message bus and the main window's handle on it, through which the
  // external action reaches the sibling client; none by default.
  const MessageBus* bus = nullptr;
  WindowHandle ownWindow = kNoWindowHandle;
};

class MainWindow {
 public:
  static constexpr std::chrono::milliseconds kStartTimerInterval{10};
  // The window message of the hand-over: another program posts it to the
  // navigator, with its own window as the long parameter, after writing the
  // page into InitURL of section CONTEXT; the navigator posts it back, with
  // both parameters 0, when the user returns.
  static constexpr uint32_t kHandOverMessage = 2024;

  // FormCreate: reads the layout of section DESKTOP and hands it to the
  // window. The parts must outlive this object. The window starts hidden.
  explicit MainWindow(MainWindowParts parts);
  // FormDestroy, unless it ran already.
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // The program entry's last step: arms StartTimer; the caller then runs the
  // loop until the application ends.
  void EnableStartTimer() { startTimer_.Start(); }

  // The start after the forms exist: login loop, first page, server
  // settings, interface switches, favourites and the panel, the first
  // navigation. A cancelled login, a No to the question after a failed one,
  // and a work directory that cannot be made close the window.
  void StartTimerTimer();

  // The hand-over while running (window message 2024): `lParam` is the
  // window to return to. Reads the configuration file again, takes InitURL
  // of section CONTEXT (writing it back empty) and opens it. Before the start
  // has finished the page stays in the file, where the start takes it.
  void HandOverMessage(int64_t wParam, int64_t lParam);

  // Closes the main window, which ends the application: FormCloseQuery, then
  // the user interface ends the application. Once only.
  void Close();
  // Unregisters, saves the layout, the panel and the favourites, returns to
  // the calling program and saves the configuration file. Always agrees.
  bool FormCloseQuery();
  // Deletes the work directory's `@TALOR_` files. Once only.
  void FormDestroy();

  // Gives the focus to the first text box of the current page.
  void ApplicationActivate();
  // Brings the return window to the foreground, posts it message 2024 with
  // both parameters 0, and hides the return button.
  void FileReturnToolButtonClick();
  // Opens HelpURL of the server-provided settings.
  void HelpFullMainMenuItemClick();
  // Deletes the work files and empties the resource cache.
  void ControlBarDblClick();

  // ---- the values the window shows
  bool started() const { return started_; }
  // The window was closed: the application is ending.
  bool closed() const { return closed_; }
  bool mainWindowVisible() const { return mainWindowVisible_; }
  bool returnButtonVisible() const { return returnButtonVisible_; }
  int64_t returnWindow() const { return returnWindow_; }
  // The address of the page last asked for (UTF-8).
  const std::string& currentAddress() const { return currentAddress_; }
  const MainWindowSwitches& switches() const { return switches_; }
  const WindowLayout& layout() const { return layout_; }

  NavigatorSession& core() { return core_; }
  FavoritesHistory& favorites() { return favorites_; }

 private:
  // Command 11's host: the session's part plus this window's bus, handle and
  // return button.
  class WindowExternalActions final : public SessionExternalActions {
   public:
    WindowExternalActions(MainWindow& main, const MainWindowParts& parts)
        : SessionExternalActions(main.core_),
          main_(main),
          bus_(parts.bus),
          ownWindow_(parts.ownWindow) {}
    const MessageBus* Bus() const override { return bus_; }
    WindowHandle OwnWindow() const override { return ownWindow_; }
    WindowHandle ReturnWindow() const override;
    void ForgetReturnWindow() override;
    void BringToForeground(WindowHandle window) override;

   private:
    MainWindow& main_;
    const MessageBus* bus_;
    const WindowHandle ownWindow_;
  };

  enum class LoginOutcome { Registered, Ended };
  LoginOutcome LoginLoop();
  bool AskLoginAgain();
  void ShowMainWindow(bool visible);
  void ShowReturnButton(bool visible);
  void Navigate(const std::string& address);

  // Constant after construction.
  EventLoop& loop_;
  UserInterface& ui_;
  LocalConfig& config_;
  const Messages& messages_;
  PageView& view_;
  PageView& printView_;
  MainWindowView& window_;
  PostWindowMessage postMessage_;
  const std::string workDirectory_;

  // The core and the lists it feeds, for the run.
  NavigatorSession core_;
  WindowExternalActions externalActions_;
  SessionFavoritesNavigator favoritesNavigator_;
  FavoritesHistory favorites_;
  FavoritesChrome chrome_;
  LoopTimer startTimer_;

  // Set by the start; the address and the return window change with every
  // page and every hand-over.
  bool loggedIn_ = false;
  bool started_ = false;  // the navigator exists and the favourites are loaded
  std::string currentAddress_;
  int64_t returnWindow_ = 0;  // 0: none
  MainWindowSwitches switches_;
  WindowLayout layout_;
  bool mainWindowVisible_ = false;
  bool returnButtonVisible_ = false;

  // The end.
  bool closed_ = false;
  bool destroyed_ = false;
};

}  // namespace talor

#endif  // TALOR_UI_MAIN_WINDOW_H_

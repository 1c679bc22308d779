// The navigator's window as a browser page: the core side of the contract
// in docs/window.md.
//
// WebWindow is what the core talks to as its window. It implements the
// user interface (message boxes, the login and wait dialogs, the windows an
// exchange disables) and the main window's view (chrome, layout, splash,
// favourites), and mirrors all of it to the page through the local web
// server's event stream. The page's actions come back as POST requests,
// which it turns into calls of the main window, the window commands, the
// favourites and the page view on a later turn of the core loop.
//
// A modal dialog is an event that opens it on the page and a nested wait on
// the core loop until the page answers; timers, sockets and the page's other
// actions (the stop button above all) keep running meanwhile.
//
// Everything runs on the core loop's thread; the routes it adds run there
// too (see LocalWebServer::AddCoreRoute). web_window_state.cc writes the
// state the page receives.

#ifndef TALOR_UI_WEB_WINDOW_H_
#define TALOR_UI_WEB_WINDOW_H_

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/event_loop.h"
#include "platform/html_page_view.h"
#include "platform/loop_timer.h"
#include "platform/user_interface.h"
#include "shell/locations.h"
#include "shell/messages.h"
#include "ui/local_web_server.h"
#include "ui/main_window.h"
#include "ui/main_window_view.h"
#include "ui/window_commands.h"

namespace talor {

struct WebWindowParts {
  EventLoop& loop;
  LocalWebServer& server;  // not yet started
  const Messages& messages;
  HtmlPageView& view;       // NavigatorWebBrowser
  HtmlPageView& printView;  // PrintWebBrowser
  FormFont font;
  // "ТАЛОР-Навигатор - " and the installation name.
  std::string caption;
  std::string workDirectory;  // ends in `/`
};

class WebWindow final : public UserInterface, public MainWindowView {
 public:
  // Once the page has been connected, a window whose page stays away this
  // long is taken as closed by the user.
  static constexpr std::chrono::milliseconds kGoneDelay{3000};
  static constexpr WindowId kMainWindow = 1;

  // Adds the window's routes to the server. The parts must outlive this
  // object.
  explicit WebWindow(WebWindowParts parts);
  ~WebWindow() override;
  WebWindow(const WebWindow&) = delete;
  WebWindow& operator=(const WebWindow&) = delete;

  // The main window's logic, which is made with this object as its user
  // interface and view. REQUIRES: before the loop runs.
  void Attach(MainWindow& main);

  // The application ended (EndApplication ran).
  bool ended() const { return ended_; }

  // ---- UserInterface
  ModalResult ShowMessage(const MessageBoxRequest& request) override;
  std::optional<std::string> AskFileName(const FileDialogRequest& request) override;
  ModalResult ShowConnectForm(ConnectFormEvents& form) override;
  void ConnectFormChanged(const ConnectFormFields& fields) override;
  void WaitFormChanged(const WaitFormState& state) override;
  WindowId ActiveWindow() override;
  WindowId ForegroundWindow() override { return ActiveWindow(); }
  bool IsWindowEnabled(WindowId window) override;
  void EnableWindow(WindowId window, bool enabled) override;
  std::optional<WindowRect> GetWindowRect(WindowId window) override;
  void FocusWindow(WindowId window) override;
  void SetWaitCursor(bool waiting) override;
  void EndApplication() override;

  // ---- MainWindowView
  void ShowMainWindow(bool visible) override;
  void SetSplashOnTop(bool onTop) override;
  void CloseSplash() override;
  void ApplyLayout(const WindowLayout& layout) override;
  void ReadLayout(WindowLayout& layout) override { layout = layout_; }
  void SwitchesChanged(const MainWindowSwitches& switches) override;
  void ReturnButtonChanged(bool visible) override;
  void BringToForeground(int64_t window) override;
  void FocusPageElement(PageView& view, ElementHandle element) override;
  void StartAnimation() override;
  void StopAnimation() override;
  void VisitsChanged() override;
  void PrintPreview(PageView& printView) override { StartPrint(printView, false); }
  void Print(PageView& printView) override { StartPrint(printView, true); }
  void FavoritesChanged() override;
  void HistoryChanged() override { MarkChanged(kHistoryChanged); }
  void PanelChanged() override { MarkChanged(kChromeChanged); }
  bool ShowAddFavoritesForm(AddFavoritesForm& form) override;

 private:
  // What the next refresh sends to the page.
  enum Change : unsigned {
    kChromeChanged = 1,
    kFavoritesChanged = 2,
    kHistoryChanged = 4,
    kPageChanged = 8,
  };
  struct OpenDialog {
    int id;
    std::string json;
  };
  using Fields = std::multimap<std::string, std::string>;

  // Whether an action waits for the main window to take input.
  enum class ActionGate { kWhenEnabled, kAlways };

  void AddRoutes();
  // A POST route whose action runs on a later turn of the loop; the request
  // is answered at once.
  void AddAction(std::string path, std::function<void(const Fields&)> action,
                 ActionGate gate = ActionGate::kWhenEnabled);

  // ---- the page's actions
  void RunCommand(const std::string& name);
  void KeyPressed(const Fields& fields);
  void NavigateTo(const std::string& address);
  void SetToolBar(const std::string& bar, bool visible);
  void ReadLayoutFields(const Fields& fields);
  void DefaultToolItemClick();
  void PageChecked(const Fields& fields);
  void PageSubmit(const Fields& fields);
  void PageScrolled(const Fields& fields);
  void HelpAboutMainMenuItemClick();

  // ---- dialogs
  int NewDialogId() { return nextDialogId_++; }
  // Shows the dialog `json` on the page until `done` holds or the
  // application ends, then closes it there.
  void ShowOnPage(int id, std::string json, const std::function<bool()>& done);
  // Opens the dialog `json` on the page and waits until it is answered (or
  // the application ends: then "closed"). Returns the answer's fields.
  Fields RunModal(int id, std::string json);
  std::string LoginJson(int id, const ConnectFormFields& fields) const;
  void DialogAnswered(const Fields& fields);
  void LoginAction(const Fields& fields);

  // ---- the mirror
  void ViewChanged(HtmlPageView::ViewChange change);
  void MarkChanged(unsigned changes);
  void Refresh();
  void StartPrint(PageView& view, bool silent);
  WebReply ServePage(HtmlPageView& view, bool withFrameScript) const;
  std::string ChromeJson() const;
  std::string FavoritesJson() const;
  std::string HistoryJson() const;
  std::string PageJson() const;
  std::string WaitJson() const;
  std::vector<WindowEvent> Snapshot() const;
  void CheckPageConnected();

  // Constant after construction.
  EventLoop& loop_;
  LocalWebServer& server_;
  const Messages& messages_;
  HtmlPageView& view_;
  HtmlPageView& printView_;
  const FormFont font_;
  const std::string caption_;
  const std::string workDirectory_;
  const std::string windowPage_;
  const int64_t startTime_;  // ms since 1970

  MainWindow* main_ = nullptr;
  std::unique_ptr<WindowCommands> commands_;  // once the navigator exists

  // What the window shows.
  bool visible_ = false;
  bool splashShown_ = true;
  bool splashOnTop_ = true;
  bool busy_ = false;
  bool waitCursor_ = false;
  bool mainEnabled_ = true;
  bool returnButton_ = false;
  WindowLayout layout_;
  MainWindowSwitches switches_;
  std::string status_;
  std::vector<std::string> addresses_;  // URLComboBox's items
  WaitFormState wait_;

  // The page frame: its generation changes with every change of the
  // document; the page reports its own changes, which need no new copy.
  uint64_t pageGeneration_ = 1;
  bool pageFromFrame_ = false;  // a change the frame itself reported
  int frameScrollTop_ = 0;
  uint64_t printGeneration_ = 0;
  PageView* printSource_ = nullptr;

  // Dialogs on the page, the last one on top, and answers not yet taken.
  std::vector<OpenDialog> dialogs_;
  std::map<int, Fields> answers_;
  int nextDialogId_ = 1;
  ConnectFormEvents* loginForm_ = nullptr;
  int loginDialog_ = 0;
  std::map<WindowId, bool> disabled_;

  // The refresh that sends what changed, posted once per batch of changes.
  unsigned pending_ = 0;
  bool refreshPosted_ = false;

  LoopTimer pageWatch_;
  bool pageSeen_ = false;
  std::chrono::steady_clock::time_point pageGoneSince_{};
  bool ended_ = false;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace talor

#endif  // TALOR_UI_WEB_WINDOW_H_

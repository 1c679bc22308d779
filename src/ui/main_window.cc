#include "ui/main_window.h"

#include <utility>

#include "navigator/work_files.h"
#include "shell/config_keys.h"
#include "shell/message_numbers.h"
#include "text/encoding.h"

namespace talor {

MainWindow::MainWindow(MainWindowParts parts)
    : loop_(parts.loop),
      ui_(parts.ui),
      config_(parts.config),
      messages_(parts.messages),
      view_(parts.view),
      printView_(parts.printView),
      window_(parts.window),
      postMessage_(std::move(parts.postMessage)),
      workDirectory_(std::move(parts.workDirectory)),
      core_(loop_, ui_, config_, messages_),
      externalActions_(*this, parts),
      favoritesNavigator_(core_),
      favorites_(favoritesNavigator_, window_, messages_),
      chrome_(window_, favorites_, &externalActions_),
      startTimer_(loop_, kStartTimerInterval, [this] { StartTimerTimer(); }) {
  core_.session().SetCloseMainWindow([this] { Close(); });
  layout_ = ReadWindowLayout(config_);
  window_.ApplyLayout(layout_);
}

MainWindow::~MainWindow() { FormDestroy(); }

void MainWindow::StartTimerTimer() {
  startTimer_.Stop();
  core_.serverSettings() = ServerSettings();
  window_.SetSplashOnTop(false);
  ShowMainWindow(false);
  if (LoginLoop() == LoginOutcome::Ended) {
    Close();
    return;
  }
  loggedIn_ = true;
  ShowMainWindow(true);
  window_.SetSplashOnTop(true);

  const FirstPage first = core_.TakeFirstPage();
  currentAddress_ = first.url;
  if (first.returnHandle != 0) {
    returnWindow_ = first.returnHandle;
    ShowReturnButton(true);
  }

  if (Status started = core_.Start(view_, printView_, chrome_, workDirectory_); !started.ok()) {
    window_.CloseSplash();
    ShowErrorBox(ui_, messages_.Text(message::kErrorCaption), started.message());
    Close();
    return;
  }
  switches_ = ReadMainWindowSwitches(core_.serverSettings());
  window_.SwitchesChanged(switches_);
  favorites_.LoadFavorites(config_, core_.serverSettings());
  started_ = true;

  if (!currentAddress_.empty()) Navigate(currentAddress_);
  window_.CloseSplash();
  window_.StopAnimation();
}

// Cancel ends the program at once; a failed login or a closed dialog asks
// whether to try again.
MainWindow::LoginOutcome MainWindow::LoginLoop() {
  for (;;) {
    switch (core_.Login()) {
      case LoginResult::Registered:
        return LoginOutcome::Registered;
      case LoginResult::Aborted:
        return LoginOutcome::Ended;
      case LoginResult::Failed:
        // An application already ending has no one left to ask.
        if (loop_.quitting() || !AskLoginAgain()) return LoginOutcome::Ended;
        break;
    }
  }
}

bool MainWindow::AskLoginAgain() {
  MessageBoxRequest question;
  question.caption = messages_.Text(message::kErrorCaption);
  question.text = messages_.Text(message::kLoginFailed) + messages_.Text(message::kRetryQuestion);
  question.icon = MessageIcon::Error;
  question.buttons = MessageButtons::YesNo;
  return ui_.ShowMessage(question) == ModalResult::Yes;
}

void MainWindow::HandOverMessage(int64_t wParam, int64_t lParam) {
  (void)wParam;
  if (closed_) return;
  if (lParam != 0) {
    returnWindow_ = lParam;
    ShowReturnButton(true);
  }
  if (!config_.FileName().empty()) config_ = LocalConfig::Open(config_.FileName());
  // Until the navigator exists the page waits in CONTEXT, where the start
  // takes it.
  if (!started_) return;
  currentAddress_ = config_.ReadString(config::kContext, config::kInitURL, "");
  config_.WriteString(config::kContext, config::kInitURL, "");
  config_.UpdateFile();
  if (!currentAddress_.empty()) Navigate(currentAddress_);
}

void MainWindow::Close() {
  if (closed_) return;
  closed_ = true;
  FormCloseQuery();
  ui_.EndApplication();
}

bool MainWindow::FormCloseQuery() {
  if (loggedIn_) core_.session().Logout();
  window_.ReadLayout(layout_);
  WriteWindowLayout(layout_, config_);
  // Favourites that were never loaded are not saved: an empty list would
  // replace the user's favourites in the file.
  if (started_) favorites_.SaveFavorites(config_);
  if (returnButtonVisible_) FileReturnToolButtonClick();
  config_.UpdateFile();
  return true;
}

void MainWindow::FormDestroy() {
  if (destroyed_) return;
  destroyed_ = true;
  if (started_) {
    core_.navigator().CleanUp(false);
  } else if (!workDirectory_.empty()) {
    DeleteWorkFiles(workDirectory_);
  }
}

void MainWindow::ApplicationActivate() {
  if (!started_) return;
  for (ElementHandle input : view_.ElementsByTag("INPUT")) {
    std::string type = view_.Type(input);
    for (char& c : type) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    if (type == "TEXT") {
      window_.FocusPageElement(view_, input);
      return;
    }
  }
}

void MainWindow::FileReturnToolButtonClick() {
  // Without a window to return to there is no one to tell.
  if (returnWindow_ != 0) {
    window_.BringToForeground(returnWindow_);
    if (postMessage_) postMessage_(returnWindow_, kHandOverMessage, 0, 0);
  }
  ShowReturnButton(false);
}

WindowHandle MainWindow::WindowExternalActions::ReturnWindow() const {
  if (!main_.returnButtonVisible_) return kNoWindowHandle;
  return static_cast<WindowHandle>(main_.returnWindow_);
}

void MainWindow::WindowExternalActions::ForgetReturnWindow() {
  main_.returnWindow_ = 0;
  main_.ShowReturnButton(false);
}

void MainWindow::WindowExternalActions::BringToForeground(WindowHandle window) {
  main_.window_.BringToForeground(window);
}

void MainWindow::HelpFullMainMenuItemClick() {
  if (!started_) return;
  const std::string help = core_.serverSettings().ReadString(config::kNavigator, config::kHelpURL,
                                                             config::kDefaultHelpURL);
  Navigate(help.empty() ? std::string("about:blank") : AnsiToUtf8(help));
}

void MainWindow::ControlBarDblClick() {
  if (started_) core_.navigator().CleanUp(true);
}

void MainWindow::ShowMainWindow(bool visible) {
  mainWindowVisible_ = visible;
  window_.ShowMainWindow(visible);
}

void MainWindow::ShowReturnButton(bool visible) {
  returnButtonVisible_ = visible;
  window_.ReturnButtonChanged(visible);
}

void MainWindow::Navigate(const std::string& address) {
  currentAddress_ = address;
  core_.navigator().NavigateWithPost(address, "");
}

}  // namespace talor

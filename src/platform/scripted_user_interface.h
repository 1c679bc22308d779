// A UserInterface that answers from a script instead of a person: for tests,
// for the command-line tool and for the batch mode. It records everything it
// was shown, so that a test can check what the user would have seen.
//
// Message boxes take their answers from a queue, then from a default answer.
// The login dialog plays a queue of actions, each applied from a handler on
// the core loop and followed by a nested wait, so the dialog's own timer can
// press OK first; a dialog that is still open after its script closes itself
// with the close box. The application owns one main window (kMainWindow).

#ifndef TALOR_PLATFORM_SCRIPTED_USER_INTERFACE_H_
#define TALOR_PLATFORM_SCRIPTED_USER_INTERFACE_H_

#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/event_loop.h"
#include "platform/user_interface.h"

namespace talor {

struct ConnectFormAction {
  enum class Kind {
    Wait,       // do nothing for a while; the dialog's timer may act
    TypeAndOk,  // put user and password into the boxes, press OK
    PressOk,    // press OK with the boxes as they are
    PressCancel,
    PressClose,  // the close box
    EnterInUser,
    EnterInPassword,
  };
  Kind kind = Kind::Wait;
  std::string user;
  std::string password;
};

class ScriptedUserInterface final : public UserInterface {
 public:
  static constexpr WindowId kMainWindow = 1;
  static constexpr WindowRect kMainWindowRect{100, 50, 800, 600};

  explicit ScriptedUserInterface(EventLoop& loop);

  // ---- script
  void QueueMessageAnswer(ModalResult answer) { messageAnswers_.push_back(answer); }
  // Used when the queue is empty; initially Ok for OK boxes, No for
  // questions and Cancel otherwise (DefaultAnswer None).
  void SetDefaultMessageAnswer(ModalResult answer) { defaultAnswer_ = answer; }
  // Runs inside ShowMessage before it returns, with the box shown.
  void OnMessage(std::function<void(const MessageBoxRequest&)> hook) {
    messageHook_ = std::move(hook);
  }
  void QueueConnectFormAction(ConnectFormAction action) {
    connectActions_.push_back(std::move(action));
  }
  // How long a Wait action, and the wait after each action, lasts at most.
  void SetConnectFormPatience(std::chrono::milliseconds patience) { patience_ = patience; }
  // Whether EndApplication also quits the event loop (default false: the
  // end is only recorded).
  void SetQuitLoopOnEnd(bool quit) { quitLoopOnEnd_ = quit; }
  void SetActiveWindow(WindowId window) { activeWindow_ = window; }
  // The path every file dialog answers with; nullopt (the default) cancels.
  void SetFileAnswer(std::optional<std::string> path) { fileAnswer_ = std::move(path); }

  // ---- what was shown
  const std::vector<MessageBoxRequest>& messages() const { return messages_; }
  // Fields of the login dialog each time it was shown, as first displayed.
  const std::vector<ConnectFormFields>& connectFormsShown() const { return connectShown_; }
  const ConnectFormFields& lastConnectFields() const { return lastConnectFields_; }
  const std::vector<FileDialogRequest>& fileDialogs() const { return fileDialogs_; }
  const std::vector<WaitFormState>& waitFormStates() const { return waitStates_; }
  // How many times the wait dialog went from hidden to visible.
  int waitFormShowCount() const { return waitShowCount_; }
  bool waitFormVisible() const { return !waitStates_.empty() && waitStates_.back().visible; }
  bool mainWindowEnabled() const { return mainEnabled_; }
  int mainWindowDisableCount() const { return mainDisableCount_; }
  bool waitCursor() const { return waitCursor_; }
  bool applicationEnded() const { return ended_; }

  // ---- UserInterface
  ModalResult ShowMessage(const MessageBoxRequest& request) override;
  std::optional<std::string> AskFileName(const FileDialogRequest& request) override;
  ModalResult ShowConnectForm(ConnectFormEvents& form) override;
  void ConnectFormChanged(const ConnectFormFields& fields) override;
  void WaitFormChanged(const WaitFormState& state) override;
  WindowId ActiveWindow() override { return activeWindow_; }
  WindowId ForegroundWindow() override { return activeWindow_; }
  bool IsWindowEnabled(WindowId window) override;
  void EnableWindow(WindowId window, bool enabled) override;
  std::optional<WindowRect> GetWindowRect(WindowId window) override;
  void FocusWindow(WindowId window) override { focusedWindow_ = window; }
  void SetWaitCursor(bool waiting) override { waitCursor_ = waiting; }
  void EndApplication() override;

 private:
  void ApplyAction(ConnectFormEvents& form, const ConnectFormAction& action);

  EventLoop& loop_;
  std::deque<ModalResult> messageAnswers_;
  ModalResult defaultAnswer_ = ModalResult::None;
  std::function<void(const MessageBoxRequest&)> messageHook_;
  std::deque<ConnectFormAction> connectActions_;
  std::chrono::milliseconds patience_{500};
  bool quitLoopOnEnd_ = false;
  std::optional<std::string> fileAnswer_;

  std::vector<MessageBoxRequest> messages_;
  std::vector<ConnectFormFields> connectShown_;
  ConnectFormFields lastConnectFields_;
  std::vector<FileDialogRequest> fileDialogs_;
  std::vector<WaitFormState> waitStates_;
  int waitShowCount_ = 0;
  WindowId activeWindow_ = kMainWindow;
  WindowId focusedWindow_ = kNoWindow;
  bool mainEnabled_ = true;
  int mainDisableCount_ = 0;
  bool waitCursor_ = false;
  bool ended_ = false;
};

}  // namespace talor

#endif  // TALOR_PLATFORM_SCRIPTED_USER_INTERFACE_H_

// What the core needs from the windowing side: message boxes, the login
// dialog, the file open and save dialogs, the wait dialog's visible state, the windows that an
// exchange disables, the wait pointer and the end of the application. The web window implements it;
// ScriptedUserInterface answers for tests and tools.
//
// Every call is made on the core loop's thread. A modal call (ShowMessage,
// ShowConnectForm) returns only when the user has answered; an implementation
// that waits for a person runs a nested wait on the core loop meanwhile, so
// timers and socket events keep running.

#ifndef TALOR_PLATFORM_USER_INTERFACE_H_
#define TALOR_PLATFORM_USER_INTERFACE_H_

#include <optional>
#include <string>
#include <string_view>

namespace talor {

enum class MessageIcon { None, Information, Exclamation, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };

// How a modal box or dialog was closed. Closed is the close box (or Escape)
// of a dialog that has one.
enum class ModalResult { None, Ok, Cancel, Abort, Retry, Ignore, Yes, No, Closed };

struct MessageBoxRequest {
  std::string caption;
  std::string text;
  MessageIcon icon = MessageIcon::None;
  MessageButtons buttons = MessageButtons::Ok;
  // Task-modal: every window of the application is disabled while it shows.
  bool taskModal = true;
};

using WindowId = int;
inline constexpr WindowId kNoWindow = 0;

struct WindowRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const WindowRect&) const = default;
};

// The visible state of the wait dialog. At rest it is 1 x 1 pixel and hidden.
struct WaitFormState {
  bool visible = false;
  WindowRect bounds{0, 0, 1, 1};
  int animationLeft = 0;  // left edge of the moving picture, in dialog pixels
  int progress = 0;       // 0 to 100
  bool operator==(const WaitFormState&) const = default;
};

// The login dialog as the user sees it. The login logic owns it and changes
// it; the user interface shows it and reports the user's actions back
// through ConnectFormEvents.
struct ConnectFormFields {
  enum class Focus { User, Password };
  std::string caption;
  std::string user;
  std::string password;
  Focus focus = Focus::User;
};

class ConnectFormEvents {
 public:
  virtual ~ConnectFormEvents() = default;
  // The current contents; the user interface writes the boxes' texts here
  // before it reports an action.
  virtual ConnectFormFields& fields() = 0;
  // Set once the dialog is to close; ShowConnectForm returns it.
  virtual std::optional<ModalResult> modalResult() const = 0;

  virtual void OKBitBtnClick() = 0;
  virtual void CancelBitBtnClick() = 0;
  virtual void CloseBoxClick() = 0;
  virtual void UserEditEnter() = 0;
  virtual void PasswordEditEnter() = 0;
};

enum class FileDialogKind { Open, Save };

// What an open or save dialog shows.
struct FileDialogRequest {
  FileDialogKind kind = FileDialogKind::Open;
  std::string title;
  // Pairs of description and mask separated by `|`.
  std::string filter;
  int filterIndex = 1;  // 1-based: the filter selected first
  std::string initialDirectory;
  std::string fileName;          // proposed name; empty for none
  std::string defaultExtension;  // without the dot, added to a name without one; empty for none
  bool overwritePrompt = false;  // a save dialog asks before it replaces a file

  bool operator==(const FileDialogRequest&) const = default;
};

class UserInterface {
 public:
  virtual ~UserInterface() = default;

  // Shows a message box and returns the button pressed (Closed counts as
  // the box's cancelling answer: Cancel or No).
  virtual ModalResult ShowMessage(const MessageBoxRequest& request) = 0;

  // Shows the login dialog modally until form.modalResult() is set, and
  // returns that result. Actions of the user arrive as calls of `form`.
  virtual ModalResult ShowConnectForm(ConnectFormEvents& form) = 0;
  // The login logic changed the fields of a dialog on screen.
  virtual void ConnectFormChanged(const ConnectFormFields& fields) = 0;

  // Shows a file dialog modally and returns the chosen absolute path (UTF-8),
  // or nullopt when the user cancelled.
  virtual std::optional<std::string> AskFileName(const FileDialogRequest& request) = 0;

  // The wait dialog's visible state changed.
  virtual void WaitFormChanged(const WaitFormState& state) = 0;

  // Windows of the application, for the owner of an exchange.
  virtual WindowId ActiveWindow() = 0;
  virtual WindowId ForegroundWindow() = 0;
  virtual bool IsWindowEnabled(WindowId window) = 0;
  virtual void EnableWindow(WindowId window, bool enabled) = 0;
  virtual std::optional<WindowRect> GetWindowRect(WindowId window) = 0;
  virtual void FocusWindow(WindowId window) = 0;

  // The wait pointer during a server exchange.
  virtual void SetWaitCursor(bool waiting) = 0;

  // Ends the application: the core loop is to stop and the program to exit.
  virtual void EndApplication() = 0;
};

// A task-modal question with Yes and No; true only for Yes.
bool AskYesNo(UserInterface& ui, std::string_view caption, std::string_view text);
// A task-modal box with the exclamation icon and an OK button.
void ShowErrorBox(UserInterface& ui, std::string_view caption, std::string_view text);
// A task-modal box with the information icon and an OK button.
void ShowInformationBox(UserInterface& ui, std::string_view caption, std::string_view text);

}  // namespace talor

#endif  // TALOR_PLATFORM_USER_INTERFACE_H_

#include "platform/scripted_user_interface.h"

namespace talor {
namespace {

ModalResult NaturalDefault(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::Ok:
      return ModalResult::Ok;
    case MessageButtons::YesNo:
    case MessageButtons::YesNoCancel:
      return ModalResult::No;
    case MessageButtons::OkCancel:
    case MessageButtons::RetryCancel:
      return ModalResult::Cancel;
  }
  return ModalResult::Cancel;
}

}  // namespace

ScriptedUserInterface::ScriptedUserInterface(EventLoop& loop) : loop_(loop) {}

ModalResult ScriptedUserInterface::ShowMessage(const MessageBoxRequest& request) {
  messages_.push_back(request);
  if (messageHook_) messageHook_(request);
  if (!messageAnswers_.empty()) {
    ModalResult answer = messageAnswers_.front();
    messageAnswers_.pop_front();
    return answer;
  }
  return defaultAnswer_ == ModalResult::None ? NaturalDefault(request.buttons) : defaultAnswer_;
}

std::optional<std::string> ScriptedUserInterface::AskFileName(const FileDialogRequest& request) {
  fileDialogs_.push_back(request);
  return fileAnswer_;
}

ModalResult ScriptedUserInterface::ShowConnectForm(ConnectFormEvents& form) {
  connectShown_.push_back(form.fields());
  lastConnectFields_ = form.fields();
  auto closed = [&form] { return form.modalResult().has_value(); };
  while (!closed() && !loop_.quitting()) {
    if (connectActions_.empty()) {
      // Waiting for the dialog's own timer; then give up with the close box.
      auto deadline = std::chrono::steady_clock::now() + patience_;
      while (!closed() && !loop_.quitting() && std::chrono::steady_clock::now() < deadline) {
        loop_.WaitFor(std::chrono::milliseconds(5));
      }
      if (!closed()) form.CloseBoxClick();
      break;
    }
    ConnectFormAction action = connectActions_.front();
    connectActions_.pop_front();
    if (action.kind == ConnectFormAction::Kind::Wait) {
      auto deadline = std::chrono::steady_clock::now() + patience_;
      while (!closed() && !loop_.quitting() && std::chrono::steady_clock::now() < deadline) {
        loop_.WaitFor(std::chrono::milliseconds(5));
      }
      continue;
    }
    bool done = false;
    loop_.Post([this, &form, action, &done] {
      ApplyAction(form, action);
      done = true;
    });
    loop_.WaitUntil([&done] { return done; });
  }
  lastConnectFields_ = form.fields();
  return form.modalResult().value_or(ModalResult::Closed);
}

void ScriptedUserInterface::ApplyAction(ConnectFormEvents& form, const ConnectFormAction& action) {
  using Kind = ConnectFormAction::Kind;
  switch (action.kind) {
    case Kind::Wait:
      break;
    case Kind::TypeAndOk:
      form.fields().user = action.user;
      form.fields().password = action.password;
      form.OKBitBtnClick();
      break;
    case Kind::PressOk:
      form.OKBitBtnClick();
      break;
    case Kind::PressCancel:
      form.CancelBitBtnClick();
      break;
    case Kind::PressClose:
      form.CloseBoxClick();
      break;
    case Kind::EnterInUser:
      form.UserEditEnter();
      break;
    case Kind::EnterInPassword:
      form.PasswordEditEnter();
      break;
  }
  lastConnectFields_ = form.fields();
}

void ScriptedUserInterface::ConnectFormChanged(const ConnectFormFields& fields) {
  lastConnectFields_ = fields;
}

void ScriptedUserInterface::WaitFormChanged(const WaitFormState& state) {
  if (state.visible && !waitFormVisible()) ++waitShowCount_;
  waitStates_.push_back(state);
}

bool ScriptedUserInterface::IsWindowEnabled(WindowId window) {
  return window == kMainWindow && mainEnabled_;
}

void ScriptedUserInterface::EnableWindow(WindowId window, bool enabled) {
  if (window != kMainWindow) return;
  if (mainEnabled_ && !enabled) ++mainDisableCount_;
  mainEnabled_ = enabled;
}

std::optional<WindowRect> ScriptedUserInterface::GetWindowRect(WindowId window) {
  if (window != kMainWindow) return std::nullopt;
  return kMainWindowRect;
}

void ScriptedUserInterface::EndApplication() {
  ended_ = true;
  if (quitLoopOnEnd_) loop_.Quit();
}

}  // namespace talor

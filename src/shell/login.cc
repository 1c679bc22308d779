#include "shell/login.h"

#include "client/decimal.h"
#include "shell/config_keys.h"
#include "shell/message_numbers.h"

namespace talor {

std::string WorkstationCode(const LocalConfig& config, std::string_view fallback) {
  std::string code = config.ReadString(config::kServerMain, config::kAPPLIDENT, "");
  return code.empty() ? std::string(fallback) : code.substr(0, 1);
}

ConnectForm::ConnectForm(EventLoop& loop, UserInterface& ui, CommandSet& commands,
                         LocalConfig& config, ServerSettings& serverSettings,
                         const Messages& messages, SessionValues& session)
    : ui_(ui),
      commands_(commands),
      config_(config),
      serverSettings_(serverSettings),
      messages_(messages),
      session_(session),
      timer1_(loop, kTimer1Interval, [this] { Timer1Timer(); }) {}

LoginResult ConnectForm::ShowModal() {
  modalResult_.reset();
  fields_ = ConnectFormFields{};
  fields_.caption = messages_.Text(message::kLoginCaption);
  FormShow();
  const ModalResult result = ui_.ShowConnectForm(*this);
  timer1_.Stop();
  switch (result) {
    case ModalResult::Ok:
      return LoginResult::Registered;
    case ModalResult::Abort:
      return LoginResult::Aborted;
    default:
      return LoginResult::Failed;
  }
}

void ConnectForm::FormShow() {
  const std::string initUrl = config_.ReadString(config::kContext, config::kInitURL, "");
  const std::string handedUser = config_.ReadString(config::kContext, config::kContextUserName, "");
  const std::string handedPassword =
      config_.ReadString(config::kContext, config::kContextUserPassword, "");
  if (!initUrl.empty() && !handedUser.empty() && !handedPassword.empty()) {
    // A page handed over by another program: log in without asking, once.
    fields_.user = handedUser;
    fields_.password = handedPassword;
    config_.WriteString(config::kContext, config::kContextUserPassword, "");
    config_.UpdateFile();
    timer1_.Start();
    return;
  }
  fields_.focus = ConnectFormFields::Focus::User;
  fields_.caption = messages_.Text(message::kLoginCaption) + " - " + session_.serverAddress;
  fields_.user = config_.ReadString(config::kMain, config::kUserName, "");
  fields_.password = config_.ReadString(config::kMain, config::kUserPassword, "");
  if (!fields_.user.empty() && !fields_.password.empty()) timer1_.Start();
}

void ConnectForm::Timer1Timer() {
  timer1_.Stop();
  OKBitBtnClick();
}

void ConnectForm::OKBitBtnClick() {
  if (modalResult_ || fields_.user.empty()) return;
  const std::string workstation = WorkstationCode(config_, config::kLoginApplIdent);
  StringList answer;
  const ExchangeResult outcome =
      commands_.RegisterAt(session_.serverAddress, session_.serverPort, workstation, answer,
                           fields_.password, fields_.user);
  if (outcome != ExchangeResult::Good) {
    Close(ModalResult::Cancel);
    return;
  }
  const std::optional<int32_t> code = answer.empty() ? std::nullopt : ParseDecimal(answer[0].text);
  if (code != 0) {
    if (code == kWorkstationRefused) {
      ShowErrorBox(ui_, messages_.Text(message::kErrorCaption),
                   messages_.Text(message::kWorkstationRefused));
      Close(ModalResult::Cancel);
      return;
    }
    ShowErrorBox(ui_, messages_.Text(message::kErrorCaption),
                 messages_.Text(message::kUserRefused));
    fields_.user.clear();
    fields_.password.clear();
    fields_.focus = ConnectFormFields::Focus::User;
    ui_.ConnectFormChanged(fields_);
    return;
  }
  answer.Delete(0);
  if (mode_ == LoginMode::Full) serverSettings_.SetText(answer.Text());
  session_.user = fields_.user;
  session_.password = fields_.password;
  Close(ModalResult::Ok);
}

void ConnectForm::CancelBitBtnClick() { Close(ModalResult::Abort); }

void ConnectForm::CloseBoxClick() { Close(ModalResult::Cancel); }

void ConnectForm::UserEditEnter() {
  fields_.focus = ConnectFormFields::Focus::Password;
  ui_.ConnectFormChanged(fields_);
}

void ConnectForm::PasswordEditEnter() { OKBitBtnClick(); }

void ConnectForm::Close(ModalResult result) {
  timer1_.Stop();
  if (!modalResult_) modalResult_ = result;
}

}  // namespace talor

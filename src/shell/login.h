// The login dialog (TConnectForm): asks for the user name and the password,
// or takes them from the local configuration without asking, and registers
// at the session's server through the command set. A good registration
// fixes the session's user and password and, in a full login, replaces the
// server-provided settings by the ones that the registration delivered.

#ifndef TALOR_SHELL_LOGIN_H_
#define TALOR_SHELL_LOGIN_H_

#include <chrono>
#include <optional>
#include <string>

#include "client/command_set.h"
#include "platform/event_loop.h"
#include "platform/loop_timer.h"
#include "platform/user_interface.h"
#include "shell/ini_file.h"
#include "shell/messages.h"

namespace talor {

// The server code of a workstation that may not log in.
inline constexpr int32_t kWorkstationRefused = -3338;

// How a login dialog ended.
enum class LoginResult {
  Registered,  // OK: the session is registered
  Aborted,     // the cancel button: the program is to end
  Failed,      // the exchange failed, the workstation was refused, or the
               // dialog was closed with its close box
};

enum class LoginMode {
  Full,      // the registration answer replaces the server-provided settings
  Repeated,  // it does not (after a failed change of server)
};

// The session values kept for the run.
struct SessionValues {
  std::string serverAddress;
  std::string serverPort;  // decimal text
  std::string user;
  std::string password;
};

// The workstation code: the first character of APPLIDENT in section MAIN of
// the local configuration; `fallback` when the key is missing or empty.
std::string WorkstationCode(const LocalConfig& config, std::string_view fallback);

class ConnectForm final : public ConnectFormEvents {
 public:
  // The dialog's auto-OK timer.
  static constexpr std::chrono::milliseconds kTimer1Interval{1};

  ConnectForm(EventLoop& loop, UserInterface& ui, CommandSet& commands, LocalConfig& config,
              ServerSettings& serverSettings, const Messages& messages, SessionValues& session);

  void SetMode(LoginMode mode) { mode_ = mode; }
  LoginMode mode() const { return mode_; }

  // Prepares the dialog (login without asking when the configuration allows
  // it) and shows it modally until it closes.
  LoginResult ShowModal();

  // ---- ConnectFormEvents
  ConnectFormFields& fields() override { return fields_; }
  std::optional<ModalResult> modalResult() const override { return modalResult_; }
  void OKBitBtnClick() override;
  void CancelBitBtnClick() override;
  void CloseBoxClick() override;
  void UserEditEnter() override;
  void PasswordEditEnter() override;
  void Timer1Timer();

 private:
  void FormShow();
  void Close(ModalResult result);

  UserInterface& ui_;
  CommandSet& commands_;
  LocalConfig& config_;
  ServerSettings& serverSettings_;
  const Messages& messages_;
  SessionValues& session_;
  LoopTimer timer1_;
  LoginMode mode_ = LoginMode::Full;

  // Valid while the dialog shows.
  ConnectFormFields fields_;
  std::optional<ModalResult> modalResult_;
};

}  // namespace talor

#endif  // TALOR_SHELL_LOGIN_H_

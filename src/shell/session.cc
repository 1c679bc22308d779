#include "shell/session.h"

#include "client/decimal.h"
#include "shell/config_keys.h"

namespace talor {

Session::Session(EventLoop& loop, UserInterface& ui, CommandSet& commands, LocalConfig& config,
                 ServerSettings& serverSettings, const Messages& messages)
    : commands_(commands),
      config_(config),
      connectForm_(loop, ui, commands, config, serverSettings, messages, values_),
      closeMainWindow_([&ui] { ui.EndApplication(); }) {
  values_.serverAddress =
      config.ReadString(config::kMain, config::kServerIP, config::kDefaultServerIP);
  values_.serverPort = std::to_string(
      config.ReadInteger(config::kMain, config::kServerPort, config::kDefaultServerPort));
}

LoginResult Session::Login() {
  connectForm_.SetMode(LoginMode::Full);
  return connectForm_.ShowModal();
}

bool Session::ChangeServer(std::string_view newAddress, std::string_view pagePort) {
  StringList answer;
  commands_.Unregister(values_.user, answer);
  const std::string workstation = WorkstationCode(config_, config::kChangeServerApplIdent);
  const std::string port = pagePort.empty() ? values_.serverPort : std::string(pagePort);
  ExchangeResult outcome =
      commands_.RegisterAt(newAddress, port, workstation, answer, values_.password, values_.user);
  if (outcome == ExchangeResult::Good && !answer.empty() && ParseDecimal(answer[0].text) == 0) {
    commands_.ClearResourceCache();
    values_.serverAddress = std::string(newAddress);
    values_.serverPort = port;
    return true;
  }
  connectForm_.SetMode(LoginMode::Repeated);
  const LoginResult login = connectForm_.ShowModal();
  connectForm_.SetMode(LoginMode::Full);
  if (login != LoginResult::Registered) {
    outcome = commands_.RegisterAt(values_.serverAddress, values_.serverPort, workstation, answer,
                                   values_.password, values_.user);
    if (outcome != ExchangeResult::Good || answer.empty() || ParseDecimal(answer[0].text) != 0) {
      if (closeMainWindow_) closeMainWindow_();
    }
  }
  commands_.ClearResourceCache();
  return false;
}

ExchangeResult Session::Logout() {
  StringList answer;
  return commands_.Unregister(values_.user, answer);
}

void ApplyTransportSettings(const ServerSettings& settings, Transport& transport) {
  transport.SetWaitSeconds(settings.ReadInteger(config::kServerMain,
                                                config::kSHOW_WAITING_IN_SECOND,
                                                config::kDefaultSHOW_WAITING_IN_SECOND));
  transport.SetBlocking(settings.ReadBool(config::kServerMain, config::kBlockSocket, false));
}

}  // namespace talor

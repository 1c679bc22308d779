// The session with the catalogue server: its address, port, user and
// password for the run, the login at start, the change of server that a page
// may ask for (with the fall-back to the old server), and the end of the
// session when the main window closes.

#ifndef TALOR_SHELL_SESSION_H_
#define TALOR_SHELL_SESSION_H_

#include <functional>
#include <string_view>

#include "client/command_set.h"
#include "platform/event_loop.h"
#include "platform/user_interface.h"
#include "shell/ini_file.h"
#include "shell/login.h"
#include "shell/messages.h"

namespace talor {

class Session {
 public:
  // Takes the server from ServerIP and ServerPort of section Main of
  // `config` (defaults 127.0.0.1 and 6666).
  Session(EventLoop& loop, UserInterface& ui, CommandSet& commands, LocalConfig& config,
          ServerSettings& serverSettings, const Messages& messages);

  // Shows the login dialog in full mode (the start). On Registered the
  // server-provided settings are those of the registration.
  LoginResult Login();

  // Moves the session to the server at `newAddress`, on the port
  // `pagePort` (the session's port when empty). True when the navigator now
  // works with the new server. Otherwise the user is asked to log in again
  // (repeated login, at the session's server); when that does not succeed the
  // session registers at the old server again with its user and password,
  // and when even that fails the main window is closed (the program ends).
  // The resource cache is emptied in every case but a refused start.
  bool ChangeServer(std::string_view newAddress, std::string_view pagePort);

  // Ends the session at the server (the main window closes). The result of
  // the exchange is returned and changes nothing.
  ExchangeResult Logout();

  // What closing the main window means; by default the application ends
  // through the user interface.
  void SetCloseMainWindow(std::function<void()> close) { closeMainWindow_ = std::move(close); }

  SessionValues& values() { return values_; }
  const SessionValues& values() const { return values_; }
  ConnectForm& connectForm() { return connectForm_; }

 private:
  CommandSet& commands_;
  LocalConfig& config_;
  SessionValues values_;
  ConnectForm connectForm_;
  std::function<void()> closeMainWindow_;
};

// Applies the transport switches of the server-provided settings (section
// MAIN: SHOW_WAITING_IN_SECOND, BlockSocket) to `transport`.
void ApplyTransportSettings(const ServerSettings& settings, Transport& transport);

}  // namespace talor

#endif  // TALOR_SHELL_SESSION_H_

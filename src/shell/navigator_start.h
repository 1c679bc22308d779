// The part of the navigator's start that follows a good login: the first
// page to show, and the server-provided settings turned into working values
// (the format engine, the transport switches, the page-parameter names and
// navigator tags), plus the session seen as the navigator's server.

#ifndef TALOR_SHELL_NAVIGATOR_START_H_
#define TALOR_SHELL_NAVIGATOR_START_H_

#include <string>

#include "client/transport.h"
#include "navigator/navigator_host.h"
#include "navigator/navigator_settings.h"
#include "shell/ini_file.h"
#include "shell/session.h"
#include "shell/session_format_services.h"

namespace talor {

// The page handed over by another program, else the server's start page.
struct FirstPage {
  std::string url;           // UTF-8; empty leaves the view blank
  int64_t returnHandle = 0;  // the window to hand control back to, or 0
};

// Takes InitURL of section CONTEXT (writing an empty value back and saving
// the configuration, so that the next start opens the server's page) with
// its ReturnHandle; without one, InitURL of the server-provided settings,
// whose default is HelpURL, whose default is the help page. Server texts are
// ANSI and converted; a handed-over address is UTF-8 already.
FirstPage TakeFirstPage(LocalConfig& config, const ServerSettings& serverSettings);

// Starts the format engine of this thread over the server-provided settings
// and the session's services, gives the transport its switches, and reads
// the navigator's settings. `services` must outlive the engine's use.
NavigatorSettings ApplyServerSettings(const ServerSettings& serverSettings, Transport& transport,
                                      SessionFormatServices& services);

// The session as the navigator's server connection.
class SessionConnection final : public ServerConnection {
 public:
  explicit SessionConnection(Session& session) : session_(session) {}
  std::string ServerAddress() const override { return session_.values().serverAddress; }
  bool ChangeServer(std::string_view address, std::string_view port) override {
    return session_.ChangeServer(address, port);
  }

 private:
  Session& session_;
};

}  // namespace talor

#endif  // TALOR_SHELL_NAVIGATOR_START_H_

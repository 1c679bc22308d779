// The navigator's core put together: the transport and command set of the
// session, the login, the server-provided settings, the format engine's
// services and the Navigator over its two views. The window program and the
// batch mode build one each; so do the tests that drive the navigator
// against a real server.

#ifndef TALOR_SHELL_NAVIGATOR_SESSION_H_
#define TALOR_SHELL_NAVIGATOR_SESSION_H_

#include <memory>
#include <string>

#include "client/command_set.h"
#include "client/transport.h"
#include "format/safety_policy.h"
#include "navigator/navigator.h"
#include "platform/clock.h"
#include "platform/event_loop.h"
#include "platform/page_view.h"
#include "platform/user_interface.h"
#include "shell/ini_file.h"
#include "shell/messages.h"
#include "shell/navigator_start.h"
#include "shell/session.h"
#include "shell/session_format_services.h"
#include "text/status.h"

namespace talor {

class NavigatorSession {
 public:
  // The references must outlive the session.
  NavigatorSession(EventLoop& loop, UserInterface& ui, LocalConfig& config,
                   const Messages& messages);
  ~NavigatorSession();
  NavigatorSession(const NavigatorSession&) = delete;
  NavigatorSession& operator=(const NavigatorSession&) = delete;

  // Shows the login dialog (full login).
  LoginResult Login() { return session_.Login(); }

  // After a good login: applies the server-provided settings and creates the
  // navigator over `view` and `printView`, its work files in `workDirectory`
  // (created when missing; ends in `/`). The safety rules of section [Safety]
  // are read here and handed to the format engine. An error in Russian when
  // the work directory cannot be made.
  Status Start(PageView& view, PageView& printView, NavigatorChrome& chrome,
               std::string workDirectory);

  // The first page of the run (see TakeFirstPage).
  FirstPage TakeFirstPage() { return talor::TakeFirstPage(config_, serverSettings_); }

  // REQUIRES: Start succeeded.
  Navigator& navigator() { return *navigator_; }
  const NavigatorSettings& settings() const { return settings_; }
  Session& session() { return session_; }
  CommandSet& commands() { return commands_; }
  Transport& transport() { return transport_; }
  ServerSettings& serverSettings() { return serverSettings_; }
  const Messages& messages() const { return messages_; }
  // The rules of section [Safety]; allows nothing until Start.
  const SafetyPolicy& safety() const { return safety_; }

 private:
  EventLoop& loop_;
  UserInterface& ui_;
  LocalConfig& config_;
  const Messages& messages_;
  SystemClock clock_;
  Transport transport_;
  CommandSet commands_;
  ServerSettings serverSettings_;
  Session session_;
  SessionConnection connection_;
  SessionFormatServices formatServices_;
  NavigatorSettings settings_;
  SafetyPolicy safety_;
  bool engineStarted_ = false;
  std::unique_ptr<Navigator> navigator_;
};

}  // namespace talor

#endif  // TALOR_SHELL_NAVIGATOR_SESSION_H_

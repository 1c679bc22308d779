// What the navigator core needs from the program around it: the session's
// server (its address and the change to another one) and the window's
// chrome (busy animation, address box, back/forward menu, history, print).
// The window implements both; the batch mode and the tests use the plain
// defaults or small fakes.

#ifndef TALOR_NAVIGATOR_NAVIGATOR_HOST_H_
#define TALOR_NAVIGATOR_NAVIGATOR_HOST_H_

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "format/safety_policy.h"
#include "platform/message_bus.h"
#include "platform/page_view.h"
#include "platform/window_messages.h"

namespace talor {

class ServerConnection {
 public:
  virtual ~ServerConnection() = default;
  // The address of the server in use.
  virtual std::string ServerAddress() const = 0;
  // Moves the session to `address` (on `port`, the session's port when
  // empty). True when the navigator now works with that server.
  virtual bool ChangeServer(std::string_view address, std::string_view port) = 0;
};

// What the external action (command 11) needs of the program around the
// navigator: the reader's safety rules, the login's user, the caption of
// error boxes, and the files and windows through which the sibling desktop
// client is reached. The defaults allow nothing and reach no window; the
// batch mode runs with them.
class ExternalActionHost {
 public:
  using IniValues = std::vector<std::pair<std::string, std::string>>;

  virtual ~ExternalActionHost() = default;

  // The local safety rules; by default nothing is allowed.
  virtual const SafetyPolicy& Safety() const;
  // The caption of error boxes (line 138 of the message file).
  virtual std::string ErrorCaption() const { return "Ошибка"; }
  // The user name and password of the login.
  virtual std::string UserName() const { return {}; }
  virtual std::string UserPassword() const { return {}; }
  // Sets `values` in `section` of the INI file `path` (created when
  // missing), keeping every other section and key of the file. False, with
  // the file unchanged, when it cannot be written.
  virtual bool WriteIniValues(const std::string& path, std::string_view section,
                              const IniValues& values) {
    (void)path, (void)section, (void)values;
    return false;
  }
  // The local message bus, nullptr when the program takes no messages; and
  // the navigator's main window on it, kNoWindowHandle without one.
  virtual const MessageBus* Bus() const { return nullptr; }
  virtual WindowHandle OwnWindow() const { return kNoWindowHandle; }
  // The window that the return button leads back to; kNoWindowHandle while
  // the button is hidden.
  virtual WindowHandle ReturnWindow() const { return kNoWindowHandle; }
  // Hides the return button and forgets its window.
  virtual void ForgetReturnWindow() {}
  virtual void BringToForeground(WindowHandle window) { (void)window; }
};

// Every method has a default that does nothing, so a host overrides only
// what it shows.
class NavigatorChrome {
 public:
  virtual ~NavigatorChrome() = default;
  virtual void StartAnimation() {}
  virtual void StopAnimation() {}
  // The back/forward stack or its current entry changed: the Go menu, the
  // enabled states of back, forward and home, the address box.
  virtual void VisitsChanged() {}
  // A page was shown and recorded: the history list counts the visit.
  virtual void HistoryVisit(const std::string& url, const std::string& postText,
                            const std::string& title) {
    (void)url, (void)postText, (void)title;
  }
  // The print view holds a page to preview or to print without asking.
  virtual void PrintPreview(PageView& printView) { (void)printView; }
  virtual void Print(PageView& printView) { (void)printView; }
  // The services of command 11; by default an ExternalActionHost that allows
  // nothing.
  virtual ExternalActionHost& ExternalActions();
};

}  // namespace talor

#endif  // TALOR_NAVIGATOR_NAVIGATOR_HOST_H_

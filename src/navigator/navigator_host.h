// What the navigator core needs from the program around it: the session's
// server (its address and the change to another one) and the window's
// chrome (busy animation, address box, back/forward menu, history, print).
// The window implements both; the batch mode and the tests use the plain
// defaults or small fakes.

#ifndef TALOR_NAVIGATOR_NAVIGATOR_HOST_H_
#define TALOR_NAVIGATOR_NAVIGATOR_HOST_H_

#include <string>
#include <string_view>

#include "platform/page_view.h"

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
};

}  // namespace talor

#endif  // TALOR_NAVIGATOR_NAVIGATOR_HOST_H_

// The navigator core of the main window: every navigation of the main view
// passes its before-navigate handler, which lets it go on, redirects it to a
// local file, or cancels it and runs the pseudo-URL as a command. It keeps
// the back/forward stack itself (with the page as the reader left it), the
// selection of records across pages, and the work directory's files.
//
// Everything runs on the core loop's thread, inside the views' events.

#ifndef TALOR_NAVIGATOR_NAVIGATOR_H_
#define TALOR_NAVIGATOR_NAVIGATOR_H_

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "client/command_set.h"
#include "navigator/command_processor.h"
#include "navigator/navigation_state.h"
#include "navigator/navigator_host.h"
#include "navigator/navigator_settings.h"
#include "navigator/page_writer.h"
#include "platform/event_loop.h"
#include "platform/loop_timer.h"
#include "platform/page_view.h"
#include "platform/user_interface.h"

namespace talor {

// Redirects that follow one another without a page shown in between; a
// format that keeps redirecting ends with an error page instead of a loop.
inline constexpr int kMaxRedirects = 16;

struct NavigatorParts {
  EventLoop& loop;
  UserInterface& ui;
  CommandSet& commands;
  ServerConnection& server;
  const NavigatorSettings& settings;
  PageView& view;       // NavigatorWebBrowser
  PageView& printView;  // PrintWebBrowser
  NavigatorChrome& chrome;
  std::string workDirectory;  // ends in `/`
};

class Navigator final : private CommandHost {
 public:
  // Connects the main view's events to this navigator. The parts must
  // outlive it.
  explicit Navigator(const NavigatorParts& parts);
  ~Navigator() override;
  Navigator(const Navigator&) = delete;
  Navigator& operator=(const Navigator&) = delete;

  // ---- the views' events
  void NavigatorWebBrowserBeforeNavigate2(PageView& sender, BeforeNavigateEvent& event);
  void NavigatorWebBrowserDocumentComplete(PageView& sender, const std::string& url);

  // The one way the navigator itself opens an address (with POST text when
  // there is any): start-up, the address box, favourites, refresh, the
  // back/forward stack and the follow-up pages of commands.
  void NavigateWithPost(std::string_view url, std::string_view postText);

  // ---- the buttons
  // Shows entry `index` of the back/forward stack; refused while a command
  // runs or when there is no such entry.
  void GoToVisit(int index);
  void Back();
  void Forward();
  void Home();
  bool CanGoBack() const { return state_.VisitIndex > 0; }
  bool CanGoForward() const {
    return state_.VisitIndex + 1 < static_cast<int>(state_.visits.size());
  }
  void Refresh();
  // Stops the view and, while a server exchange runs, interrupts it.
  void Stop();

  // Deletes the work directory's `@TALOR_` files; `clearCache` also empties
  // the in-memory resource cache so that resources are fetched anew.
  void CleanUp(bool clearCache);

  // ---- the selection
  // Collects the checked boxes of the page into SelectedList (and keeps the
  // page's HTML in its back/forward entry).
  void HarvestSelection();
  // Checks the page's boxes from SelectedList.
  void RestoreSelection() override;

  // True while a command runs, a navigation or a load is pending, or a timer
  // of the navigator is due: what the batch mode waits for.
  bool Idle() const;

  NavigationState& state() { return state_; }
  const NavigationState& state() const { return state_; }
  CommandProcessor& processor() { return processor_; }
  PageWriter& writer() { return writer_; }

 private:
  void InterceptPseudoUrl(PageView& sender, BeforeNavigateEvent& event);
  void ShowResourceFile(PageView& sender, BeforeNavigateEvent& event);
  void RunPseudoUrl();
  void RecordVisit();
  void SaveScrollPosition();
  std::string ServerContext() const;
  void SwitchToContext(const std::string& context);
  bool RestoreSavedPage(const Visit& visit);
  std::vector<ElementHandle> SelectionBoxes() const;
  void WebBrowserTimerTimer();

  // ---- CommandHost
  void PressHome() override { Home(); }
  void PressForward() override { Forward(); }
  void PressBack() override { Back(); }
  void FollowRedirect(const std::string& url) override;

  // Constant after construction.
  EventLoop& loop_;
  UserInterface& ui_;
  CommandSet& commands_;
  ServerConnection& server_;
  const NavigatorSettings& settings_;
  PageView& view_;
  NavigatorChrome& chrome_;

  NavigationState state_;
  PageWriter writer_;
  CommandProcessor processor_;
  LoopTimer webBrowserTimer_;
  PageView* timerView_ = nullptr;

  // Whether NavigateWithPost has made a POST navigation since the start.
  bool postNavigationMade_ = false;
  // Redirects followed since a command last showed a page of its own.
  int redirectChain_ = 0;
  // Set when the running command asked for a redirect.
  bool redirectRequested_ = false;
  int pendingRedirects_ = 0;
  // Lives as long as the navigator: posted redirects check it first.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace talor

#endif  // TALOR_NAVIGATOR_NAVIGATOR_H_

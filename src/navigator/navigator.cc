#include "navigator/navigator.h"

#include "navigator/work_files.h"
#include "text/encoding.h"
#include "text/html_coding.h"
#include "text/number_text.h"

namespace talor {
namespace {

constexpr std::string_view kBlankPage = "about:blank";
constexpr std::string_view kBlankRewrite = "about:blank#";
constexpr std::chrono::milliseconds kWebBrowserTimerInterval{10};
constexpr int kRecordImagePath = 12;
constexpr int kInterruptPresses = 3;

}  // namespace

Navigator::Navigator(const NavigatorParts& parts)
    : loop_(parts.loop),
      ui_(parts.ui),
      commands_(parts.commands),
      server_(parts.server),
      settings_(parts.settings),
      view_(parts.view),
      chrome_(parts.chrome),
      writer_(parts.loop, parts.commands, parts.settings, state_, parts.workDirectory),
      processor_(parts.ui, parts.commands, parts.settings, state_, writer_, parts.view,
                 parts.printView, parts.chrome, *this),
      webBrowserTimer_(parts.loop, kWebBrowserTimerInterval, [this] { WebBrowserTimerTimer(); }) {
  view_.SetBeforeNavigate([this](PageView& sender, BeforeNavigateEvent& event) {
    NavigatorWebBrowserBeforeNavigate2(sender, event);
  });
  view_.SetDocumentComplete([this](PageView& sender, const std::string& url) {
    NavigatorWebBrowserDocumentComplete(sender, url);
  });
}

Navigator::~Navigator() {
  *alive_ = false;
  view_.SetBeforeNavigate(nullptr);
  view_.SetDocumentComplete(nullptr);
}

bool Navigator::Idle() const {
  return !state_.CommandBusy && !view_.Busy() && !webBrowserTimer_.enabled() &&
         pendingRedirects_ == 0;
}

// ---- interception

void Navigator::NavigatorWebBrowserBeforeNavigate2(PageView& sender, BeforeNavigateEvent& event) {
  if (IsTalorFileUrl(event.url)) {
    event.cancel = true;
    state_.OwnNavigationPending = false;
    sender.Navigate("file:///" + event.url.substr(kTalorFileScheme.size()));
    return;
  }
  if (state_.CommandBusy) {
    event.cancel = true;
    return;
  }
  if (event.url == kBlankPage) return;
  if (event.url == kBlankRewrite) {
    event.cancel = true;
    timerView_ = &sender;
    webBrowserTimer_.Start();
    return;
  }

  if (!event.targetFrame.empty()) state_.SkipNextVisit = true;
  if (!state_.SkipNextVisit) SaveScrollPosition();
  chrome_.StartAnimation();
  if (state_.OwnNavigationPending) {
    // A file the navigator produced for the current pseudo-URL.
    HarvestSelection();
    state_.OwnNavigationPending = false;
    return;
  }
  state_.CurrentURL = event.url;
  state_.CurrentPostData = PostDataToText(event.postData);
  if (state_.CurrentPostData.starts_with('?')) {
    // The marker of a POST navigation without data: no data at all.
    state_.CurrentPostData.clear();
    event.postData.clear();
  }
  if (!IsPseudoUrl(state_.CurrentURL)) {
    HarvestSelection();
    return;
  }
  event.cancel = true;
  InterceptPseudoUrl(sender, event);
}

void Navigator::InterceptPseudoUrl(PageView& sender, BeforeNavigateEvent& event) {
  ParameterSet& params = state_.params;
  ParseNavigationParams(state_.CurrentURL, state_.CurrentPostData, settings_, state_.CurrentDbName,
                        params);
  const std::string serverIp = params.Get(settings_, Param::SERVERIP);
  if (!serverIp.empty() && serverIp != server_.ServerAddress()) {
    server_.ChangeServer(serverIp, params.Get(settings_, Param::SERVERPORT));
    state_.SelectedList.Clear();
    RestoreSelection();
  }
  const std::string defaultDb = params.Get(settings_, Param::DBNAME_DEFAULT);
  if (!defaultDb.empty() && defaultDb != state_.CurrentDbName) {
    state_.CurrentDbName = defaultDb;
    state_.SelectedList.Clear();
    RestoreSelection();
  }
  const std::string defaultPft = params.Get(settings_, Param::PFTNAME_DEFAULT);
  if (!defaultPft.empty()) state_.CurrentPftName = defaultPft;

  const std::string commandText = params.Get(settings_, Param::COMMAND);
  const int command = commandText.empty() ? -1 : DecimalToInt(commandText, -1);
  if (command == 0) {
    event.url = params.Get(settings_, Param::URL);
    if (event.url.empty()) {
      chrome_.StopAnimation();
      return;
    }
    sender.Navigate(event.url);
    return;
  }
  if (command == 3 &&
      AsciiUpperCase(params.Get(settings_, Param::FILENAME)).find(".HTM") == std::string::npos) {
    ShowResourceFile(sender, event);
    return;
  }
  RunPseudoUrl();
}

void Navigator::RunPseudoUrl() {
  state_.CommandBusy = true;
  redirectRequested_ = false;
  HarvestSelection();
  processor_.RunCommand();
  RecordVisit();
  if (!redirectRequested_) redirectChain_ = 0;
  chrome_.StopAnimation();
  state_.CommandBusy = false;
}

// A server resource that is not a page: fetched into the work directory and
// shown from there.
void Navigator::ShowResourceFile(PageView& sender, BeforeNavigateEvent& event) {
  const ParameterSet& params = state_.params;
  std::string database = params.Get(settings_, Param::DBNAME);
  if (database.empty()) database = state_.CurrentDbName;
  const int path = DecimalToInt(params.Get(settings_, Param::PATH), -1);
  const std::string fileName = params.Get(settings_, Param::FILENAME);
  std::string file;
  if (path == kRecordImagePath) {
    const size_t comma = fileName.find(',');
    const int32_t mfn = DecimalToInt(fileName.substr(0, comma), 0);
    const int occurrence =
        comma == std::string::npos ? 1 : DecimalToInt(fileName.substr(comma + 1), 1);
    file = writer_.RecordImage(database, mfn, occurrence).path;
  } else {
    file = writer_.FetchResource(path, database, fileName);
  }
  state_.OwnNavigationPending = true;
  event.url = FileUrl(file);
  sender.Navigate(event.url);
}

void Navigator::NavigatorWebBrowserDocumentComplete(PageView&, const std::string& url) {
  if (url == kBlankPage) return;
  if (!state_.CommandBusy) chrome_.StopAnimation();
  if (!IsPseudoUrl(state_.CurrentURL)) state_.CurrentURL = view_.LocationURL();
  RecordVisit();
}

void Navigator::NavigateWithPost(std::string_view url, std::string_view postText) {
  if (postText.empty() && !postNavigationMade_) {
    view_.Navigate(url);
    return;
  }
  postNavigationMade_ = true;
  std::string text(postText);
  if (text.empty() && IsPseudoUrl(url)) text = "?";
  view_.Navigate(url, TextToPostData(text));
}

// The redirect runs on a later turn of the loop, after the command that
// asked for it has finished; a chain of redirects without a page in between
// ends after kMaxRedirects.
void Navigator::FollowRedirect(const std::string& url) {
  redirectRequested_ = true;
  ++pendingRedirects_;
  loop_.Post([this, alive = alive_, url] {
    if (!*alive) return;
    --pendingRedirects_;
    if (++redirectChain_ > kMaxRedirects) {
      redirectChain_ = 0;
      writer_.ShowPage(view_,
                       "<html><body><p>Страница перенаправляет сама на себя: переход "
                       "остановлен.</p><p>" +
                           HtmlEscape(url) + "</p></body></html>",
                       "");
      return;
    }
    view_.Navigate(url);
  });
}

void Navigator::WebBrowserTimerTimer() {
  webBrowserTimer_.Stop();
  PageView* view = timerView_;
  timerView_ = nullptr;
  if (view != nullptr) writer_.ShowPage(*view, kRewriteOnlyPage, "");
}

// ---- buttons

void Navigator::Back() {
  if (CanGoBack()) GoToVisit(state_.VisitIndex - 1);
}

void Navigator::Forward() {
  if (CanGoForward()) GoToVisit(state_.VisitIndex + 1);
}

void Navigator::Home() {
  if (CanGoBack()) GoToVisit(0);
}

void Navigator::Refresh() {
  const Visit* visit = state_.CurrentVisit();
  if (visit == nullptr) return;
  if (!IsPseudoUrl(visit->url)) {
    chrome_.StartAnimation();
    view_.Refresh();
    return;
  }
  state_.SkipNextVisit = true;
  SaveScrollPosition();
  const Visit copy = *visit;
  NavigateWithPost(copy.url, copy.postText);
  chrome_.VisitsChanged();
}

void Navigator::Stop() {
  if (!view_.Busy() && !state_.CommandBusy) return;
  view_.Stop();
  ui_.SetWaitCursor(false);
  chrome_.StopAnimation();
  Transport& transport = commands_.transport();
  for (int i = 0; i < kInterruptPresses && transport.exchangeRunning(); ++i) {
    transport.BitBtnWaitClick();
  }
}

void Navigator::CleanUp(bool clearCache) {
  DeleteWorkFiles(writer_.workDirectory());
  if (clearCache) commands_.ClearResourceCache();
}

}  // namespace talor

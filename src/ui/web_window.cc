#include "ui/web_window.h"

#include <algorithm>
#include <array>
#include <utility>

#include "favorites/favorites_history.h"
#include "navigator/navigator.h"
#include "navigator/work_files.h"
#include "platform/page_address.h"
#include "shell/config_keys.h"
#include "shell/message_numbers.h"
#include "text/number_text.h"
#include "ui/json_text.h"
#include "ui/window_names.h"
#include "ui/window_texts.h"

namespace talor {

namespace {

constexpr size_t kMaxAddresses = 50;
constexpr std::string_view kFileUrlPrefix = "file://";
constexpr std::string_view kFrameScript = "<script src=\"/frame.js\"></script>";

std::string_view Field(const std::multimap<std::string, std::string>& fields,
                       std::string_view name) {
  auto found = fields.find(std::string(name));
  return found != fields.end() ? std::string_view(found->second) : std::string_view();
}

int IntField(const std::multimap<std::string, std::string>& fields, std::string_view name,
             int fallback = 0) {
  return DecimalToInt(Field(fields, name), fallback);
}

ElementHandle HandleField(const std::multimap<std::string, std::string>& fields,
                          std::string_view name) {
  const int value = IntField(fields, name);
  return value > 0 ? static_cast<ElementHandle>(value) : 0;
}

std::string_view WindowPageAsset() {
  for (const WebAsset& asset : BuiltInWebAssets()) {
    if (asset.name == "index.html") return asset.bytes;
  }
  return "<!DOCTYPE html><html><body></body></html>";
}

int64_t NowMilliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// ---- message boxes

std::string_view IconName(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information:
      return "information";
    case MessageIcon::Exclamation:
      return "exclamation";
    case MessageIcon::Error:
      return "error";
    case MessageIcon::Question:
      return "question";
    case MessageIcon::None:
      break;
  }
  return "none";
}

std::string ButtonsJson(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::Ok:
      return R"(["ok"])";
    case MessageButtons::OkCancel:
      return R"(["ok","cancel"])";
    case MessageButtons::YesNo:
      return R"(["yes","no"])";
    case MessageButtons::YesNoCancel:
      return R"(["yes","no","cancel"])";
    case MessageButtons::RetryCancel:
      return R"(["retry","cancel"])";
  }
  return R"(["ok"])";
}

// The answer of a message box; the close box counts as its cancelling button.
ModalResult MessageResult(std::string_view result, MessageButtons buttons) {
  static constexpr std::array<std::pair<std::string_view, ModalResult>, 6> kResults{{
      {"ok", ModalResult::Ok},
      {"cancel", ModalResult::Cancel},
      {"yes", ModalResult::Yes},
      {"no", ModalResult::No},
      {"retry", ModalResult::Retry},
      {"abort", ModalResult::Abort},
  }};
  for (const auto& [name, value] : kResults) {
    if (name == result) return value;
  }
  switch (buttons) {
    case MessageButtons::Ok:
      return ModalResult::Ok;
    case MessageButtons::YesNo:
      return ModalResult::No;
    default:
      return ModalResult::Cancel;
  }
}

// A `file:` address as the window's server serves it: /local/<path>, the
// path's `%XX` kept for the browser. Other addresses stay as they are.
void ServeFileAddress(std::string& url) {
  if (std::optional<std::string> path = FileUrlPath(url, false)) url = "/local" + *path;
}

}  // namespace

WebWindow::WebWindow(WebWindowParts parts)
    : loop_(parts.loop),
      server_(parts.server),
      messages_(parts.messages),
      view_(parts.view),
      printView_(parts.printView),
      font_(std::move(parts.font)),
      caption_(std::move(parts.caption)),
      workDirectory_(std::move(parts.workDirectory)),
      windowPage_(PrepareWindowPage(WindowPageAsset(), messages_, font_)),
      startTime_(NowMilliseconds()),
      pageWatch_(loop_, std::chrono::milliseconds(500), [this] { CheckPageConnected(); }) {
  view_.SetChangeListener([this](HtmlPageView::ViewChange change) { ViewChanged(change); });
  AddRoutes();
  server_.events().SetSnapshot([this] { return Snapshot(); });
  pageWatch_.Start();
}

WebWindow::~WebWindow() {
  *alive_ = false;
  view_.SetChangeListener(nullptr);
}

void WebWindow::Attach(MainWindow& main) { main_ = &main; }

// ---- routes

void WebWindow::AddRoutes() {
  server_.AddAssets(BuiltInWebAssets());
  for (const char* path : {"/", "/index.html"}) {
    server_.AddCoreRoute(HttpMethod::kGet, path, [this](const WebRequest&) {
      return WebReply{200, "text/html; charset=utf-8", windowPage_};
    });
  }
  server_.AddCoreRoute(HttpMethod::kGet, "/page/",
                       [this](const WebRequest&) { return ServePage(view_, true); });
  server_.AddCoreRoute(HttpMethod::kGet, "/print/", [this](const WebRequest&) {
    if (printSource_ == nullptr) return WebReply{404, "text/plain; charset=utf-8", ""};
    return ServePage(static_cast<HtmlPageView&>(*printSource_), false);
  });
  server_.AddDirectory("/local/", "/");
  server_.AddDirectoryListing("/api/list");

  AddAction("/api/command", [this](const Fields& f) { RunCommand(std::string(Field(f, "name"))); });
  AddAction("/api/key", [this](const Fields& f) { KeyPressed(f); });
  AddAction("/api/navigate", [this](const Fields& f) { NavigateTo(std::string(Field(f, "url"))); });
  AddAction("/api/goto", [this](const Fields& f) {
    if (main_->started()) main_->core().navigator().GoToVisit(IntField(f, "index", -1));
  });
  AddAction("/api/favorites/open", [this](const Fields& f) {
    main_->favorites().FavoritesListMainMenuItemClick(IntField(f, "index", -1));
  });
  AddAction("/api/panel/click", [this](const Fields& f) {
    main_->favorites().LeftListBoxClick(IntField(f, "line", -1));
  });
  AddAction("/api/history/sort", [this](const Fields& f) {
    for (const auto& [name, order] : kSortNames) {
      if (name == Field(f, "order")) main_->favorites().SortMenuItemClick(order);
    }
  });
  AddAction("/api/toolbar", [this](const Fields& f) {
    SetToolBar(std::string(Field(f, "bar")), Field(f, "visible") == "1");
  });
  AddAction(
      "/api/layout", [this](const Fields& f) { ReadLayoutFields(f); }, ActionGate::kAlways);
  AddAction(
      "/api/dialog", [this](const Fields& f) { DialogAnswered(f); }, ActionGate::kAlways);
  AddAction(
      "/api/login", [this](const Fields& f) { LoginAction(f); }, ActionGate::kAlways);
  AddAction(
      "/api/status", [this](const Fields& f) { status_ = std::string(Field(f, "text")); },
      ActionGate::kAlways);
  AddAction("/api/page/click", [this](const Fields& f) { view_.Click(HandleField(f, "element")); });
  AddAction(
      "/api/page/checked", [this](const Fields& f) { PageChecked(f); }, ActionGate::kAlways);
  AddAction("/api/page/submit", [this](const Fields& f) { PageSubmit(f); });
  AddAction(
      "/api/page/scroll", [this](const Fields& f) { PageScrolled(f); }, ActionGate::kAlways);
  AddAction("/api/page/navigate", [this](const Fields& f) {
    view_.Navigate(view_.ResolveAddress(Field(f, "url")), {}, Field(f, "target"));
  });
}

// An action runs on a later turn of the loop. Actions are refused while a
// dialog is open above the main window or an exchange has disabled it, as a
// disabled window takes no input; the stop command and key, the dialogs' own
// answers and what the page merely reports pass all the same.
void WebWindow::AddAction(std::string path, std::function<void(const Fields&)> action,
                          ActionGate gate) {
  server_.AddCoreRoute(HttpMethod::kPost, std::move(path),
                       [this, gate, action = std::move(action)](const WebRequest& request) {
                         loop_.Post([this, alive = alive_, gate, action, fields = request.params] {
                           if (!*alive || ended_ || main_ == nullptr) return;
                           const bool stop = Field(fields, "name") == "Stop" ||
                                             Field(fields, "key") == std::to_string(key::kEscape);
                           const bool blocked = !dialogs_.empty() || !mainEnabled_;
                           if (gate == ActionGate::kWhenEnabled && blocked && !stop) return;
                           action(fields);
                           MarkChanged(kChromeChanged);
                         });
                         return WebReply{204, "text/plain; charset=utf-8", ""};
                       });
}

// ---- the page's actions

// The switches arrive once the navigator exists, and so do the commands.
void WebWindow::SwitchesChanged(const MainWindowSwitches& switches) {
  switches_ = switches;
  if (commands_ == nullptr) {
    commands_ = std::make_unique<WindowCommands>(WindowCommandParts{
        *this, messages_, main_->core().navigator(), view_, *this, workDirectory_});
  }
  commands_->SetSwitches(switches);
  if (!switches.urlCoolBar) layout_.url = false;
  MarkChanged(kChromeChanged);
}

void WebWindow::RunCommand(const std::string& name) {
  for (const auto& [commandName, command] : kCommandNames) {
    if (commandName != name) continue;
    if (commands_ != nullptr) commands_->Run(command);
    return;
  }
  FavoritesHistory& favorites = main_->favorites();
  if (name == "FileExit") {
    main_->Close();
  } else if (name == "FileReturn") {
    main_->FileReturnToolButtonClick();
  } else if (name == "Favorites") {
    favorites.FavoritesToolButtonClick();
  } else if (name == "History") {
    favorites.HistoryToolButtonClick();
  } else if (name == "FavoritesAdd") {
    favorites.FavoritesAddMainMenuItemClick();
  } else if (name == "PanelClose") {
    favorites.LeftTopSpeedButtonClick();
  } else if (name == "PanelDelete") {
    favorites.FavoritesHistoryDeleteToolButtonClick();
  } else if (name == "HelpFull") {
    main_->HelpFullMainMenuItemClick();
  } else if (name == "HelpAbout") {
    HelpAboutMainMenuItemClick();
  } else if (name == "DefaultLayout") {
    DefaultToolItemClick();
  } else if (name == "ClearCache") {
    main_->ControlBarDblClick();
  } else if (name == "Activate") {
    main_->ApplicationActivate();
  }
}

void WebWindow::KeyPressed(const Fields& fields) {
  uint8_t modifiers = kNoModifier;
  if (Field(fields, "ctrl") == "1") modifiers |= kCtrl;
  if (Field(fields, "alt") == "1") modifiers |= kAlt;
  if (Field(fields, "shift") == "1") modifiers |= kShift;
  if (commands_ != nullptr) commands_->KeyDown(IntField(fields, "key"), modifiers);
}

// The address box: opens the address and keeps it among the box's items.
void WebWindow::NavigateTo(const std::string& address) {
  if (address.empty() || !main_->started()) return;
  if (std::find(addresses_.begin(), addresses_.end(), address) == addresses_.end()) {
    addresses_.insert(addresses_.begin(), address);
    if (addresses_.size() > kMaxAddresses) addresses_.pop_back();
  }
  main_->core().navigator().NavigateWithPost(address, "");
}

void WebWindow::SetToolBar(const std::string& bar, bool visible) {
  if (bar == "view") layout_.view = visible;
  if (bar == "file") layout_.file = visible;
  if (bar == "url") layout_.url = visible;
}

void WebWindow::ReadLayoutFields(const Fields& fields) {
  struct Key {
    std::string_view name;
    int32_t WindowLayout::*value;
  };
  static constexpr std::array<Key, 11> kKeys{{
      {"width", &WindowLayout::width},
      {"height", &WindowLayout::height},
      {"mainMenuLeft", &WindowLayout::mainMenuLeft},
      {"mainMenuTop", &WindowLayout::mainMenuTop},
      {"viewLeft", &WindowLayout::viewLeft},
      {"viewTop", &WindowLayout::viewTop},
      {"fileLeft", &WindowLayout::fileLeft},
      {"fileTop", &WindowLayout::fileTop},
      {"urlLeft", &WindowLayout::urlLeft},
      {"urlTop", &WindowLayout::urlTop},
      {"urlWidth", &WindowLayout::urlWidth},
  }};
  const bool maximized = Field(fields, "maximized") == "1";
  for (const Key& key : kKeys) {
    // A maximized window keeps its last normal size.
    if (maximized && (key.name == "width" || key.name == "height")) continue;
    const int value = IntField(fields, key.name, -1);
    if (value >= 0) layout_.*key.value = value;
  }
  if (fields.count("maximized") != 0) layout_.scalable = maximized;
}

// The default layout: 640 x 480 and every tool bar shown in its first place;
// the address bar only when the server lets it show.
void WebWindow::DefaultToolItemClick() {
  const WindowLayout defaults;
  const WindowLayout old = layout_;
  layout_ = defaults;
  if (!switches_.urlCoolBar) {
    layout_.url = old.url;
    layout_.urlLeft = old.urlLeft;
    layout_.urlTop = old.urlTop;
    layout_.urlWidth = old.urlWidth;
  }
}

void WebWindow::PageChecked(const Fields& fields) {
  pageFromFrame_ = true;
  view_.SetChecked(HandleField(fields, "element"), Field(fields, "checked") == "1");
  pageFromFrame_ = false;
}

// The values the reader typed go into the core's document first, so that the
// form sends what the reader sees; then the core submits it.
void WebWindow::PageSubmit(const Fields& fields) {
  pageFromFrame_ = true;
  for (const auto& [name, value] : fields) {
    if (name.size() < 2 || (name[0] != 'v' && name[0] != 'c')) continue;
    const int id = DecimalToInt(std::string_view(name).substr(1), 0);
    if (id <= 0) continue;
    const auto element = static_cast<ElementHandle>(id);
    if (name[0] == 'c') {
      view_.SetChecked(element, value == "1");
    } else {
      const std::string type = view_.Type(element);
      if (type != "checkbox" && type != "radio") view_.SetValue(element, value);
    }
  }
  pageFromFrame_ = false;
  view_.Submit(HandleField(fields, "form"), HandleField(fields, "submitter"));
}

void WebWindow::PageScrolled(const Fields& fields) {
  if (static_cast<uint64_t>(IntField(fields, "generation")) != pageGeneration_) return;
  frameScrollTop_ = std::max(0, IntField(fields, "top"));
  view_.SetScrollTop(frameScrollTop_);
}

void WebWindow::HelpAboutMainMenuItemClick() {
  const int id = NewDialogId();
  RunModal(id, JsonObject().Number("id", id).String("kind", "about").Text());
}

std::optional<std::string> WebWindow::AskFileName(const FileDialogRequest& request) {
  std::vector<std::string> filters;
  std::string_view rest = request.filter;
  while (!rest.empty()) {
    const size_t bar = rest.find('|');
    const std::string_view name = rest.substr(0, bar);
    rest = bar == std::string_view::npos ? std::string_view() : rest.substr(bar + 1);
    const size_t next = rest.find('|');
    const std::string_view mask = rest.substr(0, next);
    rest = next == std::string_view::npos ? std::string_view() : rest.substr(next + 1);
    filters.push_back(JsonObject().String("name", name).String("mask", mask).Text());
  }
  const int id = NewDialogId();
  const Fields answer =
      RunModal(id, JsonObject()
                       .Number("id", id)
                       .String("kind", "file")
                       .String("mode", request.kind == FileDialogKind::Open ? "open" : "save")
                       .String("title", request.title)
                       .Raw("filters", JsonArray(filters))
                       .Number("filterIndex", request.filterIndex)
                       .String("directory", request.initialDirectory)
                       .String("fileName", request.fileName)
                       .String("defaultExtension", request.defaultExtension)
                       .Bool("overwritePrompt", request.overwritePrompt)
                       .Text());
  const std::string_view path = Field(answer, "path");
  if (Field(answer, "result") != "ok" || path.empty() || path[0] != '/') return std::nullopt;
  return std::string(path);
}

// ---- dialogs

void WebWindow::ShowOnPage(int id, std::string json, const std::function<bool()>& done) {
  dialogs_.push_back({id, json});
  server_.events().Push("dialog", json);
  MarkChanged(kChromeChanged);
  loop_.WaitUntil([&] { return done() || ended_; });
  std::erase_if(dialogs_, [id](const OpenDialog& dialog) { return dialog.id == id; });
  server_.events().Push("dialog-close", JsonObject().Number("id", id).Text());
  MarkChanged(kChromeChanged);
}

WebWindow::Fields WebWindow::RunModal(int id, std::string json) {
  ShowOnPage(id, std::move(json), [&] { return answers_.count(id) != 0; });
  Fields answer;
  if (auto found = answers_.find(id); found != answers_.end()) {
    answer = std::move(found->second);
    answers_.erase(found);
  } else {
    answer.emplace("result", "closed");
  }
  return answer;
}

void WebWindow::DialogAnswered(const Fields& fields) {
  const int id = IntField(fields, "id");
  const bool open = std::any_of(dialogs_.begin(), dialogs_.end(),
                                [id](const OpenDialog& dialog) { return dialog.id == id; });
  if (open && id != loginDialog_) answers_[id] = fields;
}

ModalResult WebWindow::ShowMessage(const MessageBoxRequest& request) {
  if (ended_) return MessageResult("closed", request.buttons);
  const int id = NewDialogId();
  const Fields answer = RunModal(id, JsonObject()
                                         .Number("id", id)
                                         .String("kind", "message")
                                         .String("caption", request.caption)
                                         .String("text", request.text)
                                         .String("icon", IconName(request.icon))
                                         .Raw("buttons", ButtonsJson(request.buttons))
                                         .Text());
  return MessageResult(Field(answer, "result"), request.buttons);
}

std::string WebWindow::LoginJson(int id, const ConnectFormFields& fields) const {
  return JsonObject()
      .Number("id", id)
      .String("kind", "login")
      .String("caption", fields.caption)
      .String("userLabel", messages_.Text(message::kUserNameLabel))
      .String("passwordLabel", messages_.Text(message::kPasswordLabel))
      .String("user", fields.user)
      .String("password", fields.password)
      .String("focus", fields.focus == ConnectFormFields::Focus::User ? "user" : "password")
      .String("ok", "OK")
      .String("cancel", messages_.Text(message::kCancel))
      .Text();
}

ModalResult WebWindow::ShowConnectForm(ConnectFormEvents& form) {
  if (ended_) return ModalResult::Cancel;
  ConnectFormEvents* const outer = loginForm_;
  const int outerDialog = loginDialog_;
  loginForm_ = &form;
  loginDialog_ = NewDialogId();
  const int id = loginDialog_;
  ShowOnPage(id, LoginJson(id, form.fields()), [&] { return form.modalResult().has_value(); });
  loginForm_ = outer;
  loginDialog_ = outerDialog;
  return form.modalResult().value_or(ModalResult::Cancel);
}

void WebWindow::ConnectFormChanged(const ConnectFormFields& fields) {
  if (loginForm_ == nullptr) return;
  for (OpenDialog& dialog : dialogs_) {
    if (dialog.id != loginDialog_) continue;
    dialog.json = LoginJson(dialog.id, fields);
    server_.events().Push("dialog-changed", dialog.json);
  }
}

void WebWindow::LoginAction(const Fields& fields) {
  if (loginForm_ == nullptr || IntField(fields, "id") != loginDialog_) return;
  ConnectFormEvents& form = *loginForm_;
  form.fields().user = std::string(Field(fields, "user"));
  form.fields().password = std::string(Field(fields, "password"));
  const std::string_view action = Field(fields, "action");
  if (action == "ok") {
    form.OKBitBtnClick();
  } else if (action == "cancel") {
    form.CancelBitBtnClick();
  } else if (action == "close") {
    form.CloseBoxClick();
  } else if (action == "userEnter") {
    form.UserEditEnter();
  } else if (action == "passwordEnter") {
    form.PasswordEditEnter();
  }
}

bool WebWindow::ShowAddFavoritesForm(AddFavoritesForm& form) {
  const int id = NewDialogId();
  const Fields answer = RunModal(id, JsonObject()
                                         .Number("id", id)
                                         .String("kind", "favorite")
                                         .String("caption", form.caption)
                                         .String("label", form.label)
                                         .String("title", form.title)
                                         .String("ok", form.okCaption)
                                         .String("cancel", form.cancelCaption)
                                         .Text());
  if (Field(answer, "result") != "ok") return false;
  form.title = std::string(Field(answer, "title"));
  return true;
}

void WebWindow::WaitFormChanged(const WaitFormState& state) {
  wait_ = state;
  server_.events().Push("wait", WaitJson());
}

// ---- windows

WindowId WebWindow::ActiveWindow() {
  return dialogs_.empty() ? kMainWindow : 1000 + dialogs_.back().id;
}

bool WebWindow::IsWindowEnabled(WindowId window) {
  auto found = disabled_.find(window);
  return found == disabled_.end() || !found->second;
}

void WebWindow::EnableWindow(WindowId window, bool enabled) {
  disabled_[window] = !enabled;
  if (window == kMainWindow && mainEnabled_ != enabled) {
    mainEnabled_ = enabled;
    MarkChanged(kChromeChanged);
  }
}

std::optional<WindowRect> WebWindow::GetWindowRect(WindowId window) {
  if (window != kMainWindow) return std::nullopt;
  return WindowRect{0, 0, layout_.width, layout_.height};
}

void WebWindow::FocusWindow(WindowId) { server_.events().Push("foreground", "{}"); }

void WebWindow::SetWaitCursor(bool waiting) {
  waitCursor_ = waiting;
  MarkChanged(kChromeChanged);
}

// The transport may end the application itself when the user gives up on
// the server; the main window still closes properly first.
void WebWindow::EndApplication() {
  if (ended_) return;
  if (main_ != nullptr && !main_->closed()) {
    main_->Close();
    return;
  }
  ended_ = true;
  pageWatch_.Stop();
  server_.events().Push("closed", "{}");
  loop_.Quit();
}

// ---- MainWindowView

void WebWindow::ShowMainWindow(bool visible) {
  visible_ = visible;
  MarkChanged(kChromeChanged);
}

void WebWindow::SetSplashOnTop(bool onTop) {
  splashOnTop_ = onTop;
  MarkChanged(kChromeChanged);
}

void WebWindow::CloseSplash() {
  splashShown_ = false;
  MarkChanged(kChromeChanged);
}

void WebWindow::ApplyLayout(const WindowLayout& layout) {
  layout_ = layout;
  MarkChanged(kChromeChanged);
}

void WebWindow::ReturnButtonChanged(bool visible) {
  returnButton_ = visible;
  MarkChanged(kChromeChanged);
}

// Another program's window cannot be raised from here: the program itself
// comes forward when it gets the return message.
void WebWindow::BringToForeground(int64_t) {}

void WebWindow::FocusPageElement(PageView&, ElementHandle element) {
  server_.events().Push("focus",
                        JsonObject().Number("element", static_cast<int64_t>(element)).Text());
}

void WebWindow::StartAnimation() {
  busy_ = true;
  MarkChanged(kChromeChanged);
}

void WebWindow::StopAnimation() {
  busy_ = false;
  MarkChanged(kChromeChanged);
}

void WebWindow::VisitsChanged() { MarkChanged(kChromeChanged); }

void WebWindow::FavoritesChanged() { MarkChanged(kFavoritesChanged | kChromeChanged); }

// ---- the mirror

void WebWindow::ViewChanged(HtmlPageView::ViewChange change) {
  if (change == HtmlPageView::ViewChange::Scroll) {
    if (view_.ScrollTop() == frameScrollTop_) return;
    frameScrollTop_ = view_.ScrollTop();
    server_.events().Push("scroll", JsonObject()
                                        .Number("generation", static_cast<int64_t>(pageGeneration_))
                                        .Number("top", frameScrollTop_)
                                        .Text());
    return;
  }
  if (pageFromFrame_) return;
  MarkChanged(kPageChanged);
}

void WebWindow::MarkChanged(unsigned changes) {
  pending_ |= changes;
  if (refreshPosted_ || ended_) return;
  refreshPosted_ = true;
  loop_.Post([this, alive = alive_] {
    if (*alive) Refresh();
  });
}

void WebWindow::Refresh() {
  refreshPosted_ = false;
  unsigned changes = std::exchange(pending_, 0);
  if (ended_) return;
  // While a command writes its page the frame would only flash the steps;
  // the page goes out when the command is done (its end stops the
  // animation, which refreshes again).
  if ((changes & kPageChanged) && main_ != nullptr && main_->started() &&
      main_->core().navigator().state().CommandBusy) {
    pending_ |= kPageChanged;
    changes &= ~kPageChanged;
  }
  if (changes & kPageChanged) {
    ++pageGeneration_;
    frameScrollTop_ = view_.ScrollTop();
    server_.events().Push("page", PageJson());
  }
  if (changes & kFavoritesChanged) server_.events().Push("favorites", FavoritesJson());
  if (changes & kHistoryChanged) server_.events().Push("history", HistoryJson());
  if (changes & (kChromeChanged | kPageChanged | kHistoryChanged)) {
    server_.events().Push("chrome", ChromeJson());
  }
}

void WebWindow::StartPrint(PageView& view, bool silent) {
  printSource_ = &view;
  ++printGeneration_;
  const std::string generation = std::to_string(printGeneration_);
  server_.events().Push("print", JsonObject()
                                     .Number("generation", static_cast<int64_t>(printGeneration_))
                                     .String("src", "/print/" + generation)
                                     .Bool("silent", silent)
                                     .Text());
}

// The document as the frame shows it: the core's handles on the elements a
// reader acts on, local files served by the window's server, and the frame
// script that reports the reader's actions.
WebReply WebWindow::ServePage(HtmlPageView& view, bool withFrameScript) const {
  HtmlPageView::MirrorOptions options;
  if (withFrameScript) options.headStart = kFrameScript;
  std::string location = view.LocationURL();
  if (UrlScheme(location) == "file") {
    ServeFileAddress(location);
    const size_t slash = location.rfind('/');
    options.headStart += "<base href=\"" + location.substr(0, slash + 1) + "\">";
  }
  // Pictures that the navigator fetched or drew stand in the page as plain
  // paths of the work directory.
  options.rewriteUrl = [this](std::string& url) {
    if (!workDirectory_.empty() && url.starts_with(workDirectory_)) {
      url = "/local" + FileUrl(url).substr(kFileUrlPrefix.size());
    } else {
      ServeFileAddress(url);
    }
  };
  std::string html = view.MirrorHtml(options);
  if (html.empty()) html = "<!DOCTYPE html><html><head></head><body></body></html>";
  return WebReply{200, "text/html; charset=utf-8", std::move(html)};
}

std::string WebWindow::PageJson() const {
  const std::string generation = std::to_string(pageGeneration_);
  const std::string location = view_.LocationURL();
  std::string kind = "empty";
  std::string src;
  if (view_.DocumentType() == kHtmlDocumentType) {
    kind = "document";
    const bool rightButton =
        main_ == nullptr || !main_->started() || main_->core().settings().rButtonDown;
    src = "/page/" + generation + "?scroll=" + std::to_string(view_.ScrollTop()) +
          "&rbutton=" + (rightButton ? "1" : "0");
  } else if (UrlScheme(location) == "file") {
    kind = "file";
    src = location;
    ServeFileAddress(src);
  } else if (UrlScheme(location) == "http" || UrlScheme(location) == "https") {
    kind = "external";
    src = location;
  }
  return JsonObject()
      .Number("generation", static_cast<int64_t>(pageGeneration_))
      .String("kind", kind)
      .String("src", src)
      .Number("scrollTop", view_.ScrollTop())
      .Text();
}

// A page that was connected and has stayed away for kGoneDelay was closed
// by the user: so is the main window.
void WebWindow::CheckPageConnected() {
  if (ended_ || main_ == nullptr) return;
  if (server_.events().streamCount() > 0) {
    pageSeen_ = true;
    pageGoneSince_ = {};
    return;
  }
  if (!pageSeen_) return;
  const auto now = std::chrono::steady_clock::now();
  if (pageGoneSince_ == std::chrono::steady_clock::time_point{}) {
    pageGoneSince_ = now;
  } else if (now - pageGoneSince_ >= kGoneDelay) {
    main_->Close();
  }
}

}  // namespace talor

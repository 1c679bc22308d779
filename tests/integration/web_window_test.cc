// The window's core side against a real talor-server: the window's server is
// driven over HTTP as the window page drives it (events read from the
// stream, actions posted), while the core loop runs on the test's thread.

#include "ui/web_window.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "integration/demo_server.h"
#include "shell/ini_file.h"

namespace talor::server {
namespace {

namespace fs = std::filesystem;

constexpr auto kPatience = std::chrono::seconds(20);

// The window page's side: reads the event stream on a thread of its own.
class PageClient {
 public:
  PageClient(int port, std::string token) : port_(port), token_(std::move(token)) {}
  ~PageClient() { Disconnect(); }

  void Connect() {
    reader_ = std::thread([this] {
      httplib::Client client("127.0.0.1", port_);
      client.set_read_timeout(60, 0);
      std::string pending;
      client.Get("/events?token=" + token_, [&](const char* data, size_t size) {
        pending.append(data, size);
        for (size_t end; (end = pending.find("\n\n")) != std::string::npos;) {
          Take(pending.substr(0, end));
          pending.erase(0, end + 2);
        }
        return !stop_;
      });
    });
  }
  void Disconnect() {
    stop_ = true;
    if (reader_.joinable()) reader_.join();
  }

  // The events received so far named `name`.
  std::vector<std::string> Events(std::string_view name) const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> found;
    for (const auto& [eventName, data] : events_) {
      if (eventName == name) found.push_back(data);
    }
    return found;
  }

 private:
  void Take(const std::string& block) {
    std::string name;
    std::string data;
    size_t start = 0;
    while (start < block.size()) {
      size_t end = block.find('\n', start);
      if (end == std::string::npos) end = block.size();
      const std::string line = block.substr(start, end - start);
      if (line.starts_with("event: ")) name = line.substr(7);
      if (line.starts_with("data: ")) data += line.substr(6);
      start = end + 1;
    }
    if (name.empty()) return;
    std::lock_guard lock(mutex_);
    events_.emplace_back(name, data);
  }

  const int port_;
  const std::string token_;
  std::thread reader_;
  std::atomic<bool> stop_ = false;
  mutable std::mutex mutex_;
  std::vector<std::pair<std::string, std::string>> events_;
};

// A number field of a JSON object as the window writes it ("key":123).
int JsonNumber(const std::string& json, const std::string& key) {
  std::smatch match;
  if (!std::regex_search(json, match, std::regex("\"" + key + "\":(-?[0-9]+)"))) return -1;
  return std::stoi(match[1]);
}

std::string JsonText(const std::string& json, const std::string& key) {
  std::smatch match;
  if (!std::regex_search(json, match, std::regex("\"" + key + "\":\"([^\"]*)\""))) return {};
  return match[1];
}

// The handle of the first element whose start tag matches `pattern`.
int ElementId(const std::string& html, const std::string& pattern) {
  std::smatch match;
  if (!std::regex_search(html, match, std::regex(pattern + "[^>]*data-talor-id=\"([0-9]+)\""))) {
    return -1;
  }
  return std::stoi(match[1]);
}

class WebWindowTest : public DemoServerTest {
 protected:
  void SetUp() override {
    DemoServerTest::SetUp();
    std::string pattern = (fs::temp_directory_path() / "talor-webwindow-XXXXXX").string();
    dir_ = std::string(mkdtemp(pattern.data())) + "/";
    configPath_ = dir_ + "Talor_Navigator.ini";
    ASSERT_TRUE(messages_.LoadFromFile(TALOR_SOURCE_DIR "/data/TALORMSG.TXT"));
  }
  void TearDown() override {
    // Stopping the server ends the event stream the page reads.
    if (server_) server_->Stop();
    page_.reset();
    main_.reset();
    window_.reset();
    server_.reset();
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  void WriteConfig(bool withUser) {
    std::ofstream out(configPath_, std::ios::binary | std::ios::trunc);
    out << "[Main]\nServerIP=127.0.0.1\nServerPort=" << Port() << "\n";
    if (withUser) out << "UserName=reader\nUserPassword=reader\n";
  }

  // The navigator with its window, and the page connected to it.
  void StartWindow(bool withUser) {
    WriteConfig(withUser);
    config_ = LocalConfig::Open(configPath_);
    server_ = std::make_unique<LocalWebServer>(loop_);
    window_ = std::make_unique<WebWindow>(WebWindowParts{loop_, *server_, messages_, view_,
                                                         printView_, FormFont{"Arial", 204},
                                                         "ТАЛОР-Навигатор - тест", dir_ + "work/"});
    main_ = std::make_unique<MainWindow>(
        MainWindowParts{loop_, *window_, config_, messages_, view_, printView_, *window_,
                        [](int64_t, uint32_t, int64_t, int64_t) {}, dir_ + "work/"});
    window_->Attach(*main_);
    ASSERT_EQ(server_->Start(), WebServerStart::kStarted);
    page_ = std::make_unique<PageClient>(server_->port(), server_->token());
    page_->Connect();
    main_->EnableStartTimer();
  }

  // Runs `script` as the page's side on a thread of its own while the core
  // loop runs here; the core's modal waits nest inside this loop as they do
  // in the program. When the script ends, the loop is ended too.
  void RunScript(const std::function<void()>& script) {
    std::atomic<bool> done = false;
    std::thread page([&] {
      script();
      done = true;
      loop_.Post([this] { loop_.Quit(); });
    });
    loop_.WaitUntil([&] { return done.load(); });
    page.join();
  }

  // Waits on the page's side until `condition` holds; false after kPatience.
  static bool Eventually(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (!condition()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
  }

  // Reads core state on the core's thread.
  template <typename F>
  auto OnCore(F read) -> decltype(read()) {
    auto promise = std::make_shared<std::promise<decltype(read())>>();
    std::future<decltype(read())> value = promise->get_future();
    loop_.Post([promise, read] { promise->set_value(read()); });
    if (value.wait_for(kPatience) != std::future_status::ready) return {};
    return value.get();
  }

  httplib::Headers TokenHeader() const { return {{"Cookie", "talor_token=" + server_->token()}}; }
  int Post(const std::string& path, const httplib::Params& form) {
    httplib::Client client("127.0.0.1", server_->port());
    httplib::Result result = client.Post(path, TokenHeader(), form);
    return result ? result->status : -1;
  }
  std::string Get(const std::string& path) {
    httplib::Client client("127.0.0.1", server_->port());
    httplib::Result result = client.Get(path, TokenHeader());
    return result ? result->body : std::string();
  }

  bool Idle() {
    return OnCore([this] { return main_->started() && main_->core().navigator().Idle(); });
  }
  std::string Title() {
    return OnCore([this] { return view_.Title(); });
  }
  // The page event after the `seen` first ones; empty after kPatience.
  std::string NextPage(size_t seen) {
    Eventually([&] { return page_->Events("page").size() > seen; });
    std::vector<std::string> pages = page_->Events("page");
    return pages.size() > seen ? pages.back() : std::string();
  }
  // The document of the latest page event, once the core is idle again.
  std::string ShownDocument() {
    Eventually([&] { return Idle(); });
    return Get(JsonText(page_->Events("page").back(), "src"));
  }
  // Waits for the start page after the login.
  std::string WaitForStartPage() {
    EXPECT_TRUE(Eventually([&] { return Title() == kStartTitle; }));
    Eventually([&] {
      return !page_->Events("page").empty() &&
             JsonNumber(page_->Events("page").back(), "generation") > 1;
    });
    return ShownDocument();
  }

  static constexpr std::string_view kStartTitle = "Демонстрационный каталог — главная";

  std::string dir_;
  std::string configPath_;
  Messages messages_;
  LocalConfig config_;
  EventLoop loop_;
  HtmlPageView view_{loop_};
  HtmlPageView printView_{loop_};
  std::unique_ptr<LocalWebServer> server_;
  std::unique_ptr<WebWindow> window_;
  std::unique_ptr<MainWindow> main_;
  std::unique_ptr<PageClient> page_;
};

TEST_F(WebWindowTest, LoginDialogOnThePageLogsInAndTheStartPageIsMirrored) {
  StartWindow(false);
  RunScript([&] {
    ASSERT_TRUE(Eventually([&] { return !page_->Events("dialog").empty(); }));
    const std::string dialog = page_->Events("dialog").front();
    EXPECT_EQ(JsonText(dialog, "kind"), "login");
    EXPECT_EQ(JsonText(dialog, "userLabel"), "Имя пользователя:");
    EXPECT_NE(JsonText(dialog, "caption").find("Регистрация на сервере"), std::string::npos);

    // A wrong password: the error box shows above the dialog, which stays
    // open with its boxes emptied.
    const int id = JsonNumber(dialog, "id");
    EXPECT_EQ(Post("/api/login", {{"id", std::to_string(id)},
                                  {"action", "ok"},
                                  {"user", "reader"},
                                  {"password", "wrong"}}),
              204);
    ASSERT_TRUE(Eventually([&] { return page_->Events("dialog").size() >= 2; }));
    const std::string box = page_->Events("dialog")[1];
    EXPECT_EQ(JsonText(box, "kind"), "message");
    EXPECT_EQ(JsonText(box, "icon"), "exclamation");
    EXPECT_EQ(JsonText(box, "text"), "Неверное имя пользователя или пароль. Повторите ввод.");
    // While a dialog is open the page's other actions are refused.
    Post("/api/command", {{"name", "History"}});
    Post("/api/dialog", {{"id", std::to_string(JsonNumber(box, "id"))}, {"result", "ok"}});
    ASSERT_TRUE(Eventually([&] { return !page_->Events("dialog-changed").empty(); }));
    EXPECT_EQ(JsonText(page_->Events("dialog-changed").back(), "user"), "");
    EXPECT_EQ(OnCore([&] { return main_->favorites().panel(); }), LeftPanel::None);

    Post("/api/login", {{"id", std::to_string(id)},
                        {"action", "passwordEnter"},
                        {"user", "reader"},
                        {"password", "reader"}});
    const std::string html = WaitForStartPage();
    EXPECT_FALSE(page_->Events("dialog-close").empty());
    // The mirror: the frame script first in HEAD, ids on what a reader acts
    // on, the pseudo-URLs untouched; the core's own document has none of it.
    EXPECT_NE(html.find("<head><script src=\"/frame.js\"></script>"), std::string::npos);
    EXPECT_GT(ElementId(html, "<form action=\"TALOR:2,,DEMO,brief\""), 0);
    EXPECT_GT(ElementId(html, "<a [^>]*href=\"TALOR:"), 0);
    EXPECT_EQ(OnCore([&] { return view_.DocumentHtml(); }).find("data-talor-id"),
              std::string::npos);
    const std::string chrome = page_->Events("chrome").back();
    EXPECT_EQ(JsonText(chrome, "caption"), "ТАЛОР-Навигатор - тест");
    EXPECT_EQ(JsonText(chrome, "address"), "TALOR:3,1,DEMO,index.html");
  });
}

TEST_F(WebWindowTest, ReaderActionsInTheFrameReachTheCore) {
  StartWindow(true);
  RunScript([&] {
    std::string html = WaitForStartPage();

    // A search typed into the page's form and sent.
    const int form = ElementId(html, "<form action=\"TALOR:2,,DEMO,brief\"");
    const int query = ElementId(html, "<input id=\"quick\"");
    ASSERT_GT(form, 0);
    ASSERT_GT(query, 0);
    size_t pages = page_->Events("page").size();
    Post("/api/page/submit", {{"generation", "2"},
                              {"form", std::to_string(form)},
                              {"submitter", "0"},
                              {"v" + std::to_string(query), "война"}});
    ASSERT_FALSE(NextPage(pages).empty());
    html = ShownDocument();
    EXPECT_NE(html.find("Война и мир"), std::string::npos);
    // The covers the navigator fetched into its work directory are served.
    std::smatch cover;
    ASSERT_TRUE(std::regex_search(html, cover, std::regex("<img [^>]*src=\"(/local/[^\"]+)\"")));
    EXPECT_FALSE(Get(cover[1]).empty()) << cover[1];

    // A box ticked in the frame changes the core's document without a new copy
    // for the frame, which shows it already.
    const int box = ElementId(html, "<input type=\"checkbox\"");
    ASSERT_GT(box, 0);
    pages = page_->Events("page").size();
    Post("/api/page/checked",
         {{"generation", "0"}, {"element", std::to_string(box)}, {"checked", "1"}});
    ASSERT_TRUE(Eventually(
        [&] { return OnCore([&] { return view_.Checked(static_cast<ElementHandle>(box)); }); }));
    EXPECT_EQ(page_->Events("page").size(), pages);

    // The scroll position of the shown generation is kept; a late report of
    // an earlier page is not.
    const int generation = JsonNumber(page_->Events("page").back(), "generation");
    Post("/api/page/scroll", {{"generation", std::to_string(generation)}, {"top", "240"}});
    ASSERT_TRUE(Eventually([&] { return OnCore([&] { return view_.ScrollTop(); }) == 240; }));
    Post("/api/page/scroll", {{"generation", std::to_string(generation - 1)}, {"top", "5"}});
    Post("/api/status", {{"text", "TALOR:3,1,DEMO,index.html"}});
    Eventually([&] { return JsonText(page_->Events("chrome").back(), "statusKind") == "talor"; });
    EXPECT_EQ(OnCore([&] { return view_.ScrollTop(); }), 240);

    // F5 runs the search again: the core takes the ticked box into the
    // selection first, and the frame's new copy shows it ticked.
    pages = page_->Events("page").size();
    Post("/api/key", {{"key", "116"}, {"ctrl", "0"}, {"alt", "0"}, {"shift", "0"}});
    ASSERT_FALSE(NextPage(pages).empty());
    html = ShownDocument();
    EXPECT_NE(html.find("<input type=\"checkbox\" name=\"SEL\" value=\"82\" checked"),
              std::string::npos);
    EXPECT_EQ(OnCore([&] { return main_->core().navigator().state().SelectedList.Count(); }), 1);

    // Alt+Left goes back to the start page.
    Post("/api/key", {{"key", "37"}, {"ctrl", "0"}, {"alt", "1"}, {"shift", "0"}});
    ASSERT_TRUE(Eventually([&] { return Title() == kStartTitle; }));

    // A link followed by its id.
    html = ShownDocument();
    const int link = ElementId(html, "<a href=\"TALOR:3,2,DEMO,fulltext.html\"");
    ASSERT_GT(link, 0);
    Post("/api/page/click", {{"generation", "0"}, {"element", std::to_string(link)}});
    ASSERT_TRUE(Eventually([&] { return Title().find("Поиск по тексту") != std::string::npos; }));
  });
}

TEST_F(WebWindowTest, DialogsOfTheWindowAnswerOverThePage) {
  StartWindow(true);
  RunScript([&] {
    WaitForStartPage();

    // The add-favourite dialog, answered with a title.
    const size_t dialogs = page_->Events("dialog").size();
    Post("/api/command", {{"name", "FavoritesAdd"}});
    ASSERT_TRUE(Eventually([&] { return page_->Events("dialog").size() > dialogs; }));
    std::string dialog = page_->Events("dialog").back();
    EXPECT_EQ(JsonText(dialog, "kind"), "favorite");
    EXPECT_EQ(JsonText(dialog, "title"), std::string(kStartTitle));
    Post("/api/dialog",
         {{"id", std::to_string(JsonNumber(dialog, "id"))}, {"result", "ok"}, {"title", "Начало"}});
    ASSERT_TRUE(Eventually(
        [&] { return OnCore([&] { return main_->favorites().favorites().size(); }) == 1; }));
    EXPECT_EQ(OnCore([&] { return main_->favorites().favorites()[0].title; }), "Начало");
    // The page may have been sent the empty list first: wait for the new one.
    EXPECT_TRUE(Eventually([&] {
      const auto events = page_->Events("favorites");
      return !events.empty() && events.back().find("\"title\":\"Начало\"") != std::string::npos;
    }));

    // The save dialog asks for a name; the page answers with a path.
    Post("/api/key", {{"key", "83"}, {"ctrl", "1"}, {"alt", "0"}, {"shift", "0"}});
    ASSERT_TRUE(Eventually([&] { return page_->Events("dialog").size() > dialogs + 1; }));
    dialog = page_->Events("dialog").back();
    EXPECT_EQ(JsonText(dialog, "kind"), "file");
    EXPECT_EQ(JsonText(dialog, "mode"), "save");
    EXPECT_EQ(JsonText(dialog, "title"), "Сохранение файла");
    EXPECT_NE(dialog.find("{\"name\":\"HTML-Файлы\",\"mask\":\"*.html\"}"), std::string::npos);
    const std::string saved = dir_ + "копия.htm";
    Post("/api/dialog",
         {{"id", std::to_string(JsonNumber(dialog, "id"))}, {"result", "ok"}, {"path", saved}});
    ASSERT_TRUE(Eventually([&] { return fs::exists(saved); }));

    // Printing loads the print frame's copy of the page.
    Post("/api/command", {{"name", "FilePrint"}});
    ASSERT_TRUE(Eventually([&] { return !page_->Events("print").empty(); }));
    const std::string print = Get(JsonText(page_->Events("print").back(), "src"));
    EXPECT_NE(print.find(std::string(kStartTitle)), std::string::npos);
    EXPECT_EQ(print.find("/frame.js"), std::string::npos);
  });
}

TEST_F(WebWindowTest, ClosingSavesTheLayoutTheWindowReported) {
  StartWindow(true);
  RunScript([&] {
    WaitForStartPage();
    Post("/api/layout",
         {{"width", "900"}, {"height", "700"}, {"maximized", "0"}, {"viewLeft", "40"}});
    Post("/api/toolbar", {{"bar", "file"}, {"visible", "0"}});
    Post("/api/command", {{"name", "History"}});
    ASSERT_TRUE(Eventually(
        [&] { return OnCore([&] { return main_->favorites().panel(); }) == LeftPanel::History; }));
    Post("/api/command", {{"name", "FileExit"}});
    ASSERT_TRUE(Eventually([&] { return !page_->Events("closed").empty(); }));

    IniFile file = IniFile::Open(configPath_);
    EXPECT_EQ(file.ReadString("DESKTOP", "Width", ""), "900");
    EXPECT_EQ(file.ReadString("DESKTOP", "Height", ""), "700");
    EXPECT_EQ(file.ReadString("DESKTOP", "ViewLeft", ""), "40");
    EXPECT_EQ(file.ReadString("DESKTOP", "File", ""), "0");
    EXPECT_EQ(file.ReadString("DESKTOP", "History", ""), "1");
  });
}

}  // namespace
}  // namespace talor::server

#include "ui/local_web_server.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <future>
#include <optional>
#include <thread>

#include "ui/scratch_dir.h"

namespace talor {
namespace {

// The window page as it is built into the program.
std::string IndexAsset() {
  for (const WebAsset& asset : BuiltInWebAssets()) {
    if (asset.name == "index.html") return std::string(asset.bytes);
  }
  return {};
}

using std::chrono::milliseconds;
using std::chrono::steady_clock;

// A connection that sends raw bytes, so that tests can forge any header.
class RawConnection {
 public:
  explicit RawConnection(int port) : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
    timeval timeout{10, 0};  // a hung server fails the test instead of hanging it
    setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
  }
  ~RawConnection() { close(fd_); }

  bool Send(std::string_view bytes) {
    return connected_ && send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
                             static_cast<ssize_t>(bytes.size());
  }

  // Reads until `done` holds for what arrived, the peer closes or 10 s pass.
  // Returns everything read.
  std::string ReadUntil(const std::function<bool(const std::string&)>& done) {
    char buffer[4096];
    while (!done(received_)) {
      ssize_t got = recv(fd_, buffer, sizeof(buffer), 0);
      if (got <= 0) {
        closed_ = true;
        break;
      }
      received_.append(buffer, static_cast<std::size_t>(got));
    }
    return received_;
  }
  std::string ReadAll() {
    return ReadUntil([](const std::string&) { return false; });
  }
  bool closed() const { return closed_; }

 private:
  int fd_;
  bool connected_ = false;
  bool closed_ = false;
  std::string received_;
};

int StatusOf(const std::string& response) {
  if (response.size() < 12 || response.compare(0, 5, "HTTP/") != 0) return -1;
  return std::stoi(response.substr(9, 3));
}

std::string BodyOf(const std::string& response) {
  std::size_t end = response.find("\r\n\r\n");
  return end == std::string::npos ? "" : response.substr(end + 4);
}

class LocalWebServerTest : public ::testing::Test {
 protected:
  ~LocalWebServerTest() override {
    if (server_) server_->Stop();
    ReleaseLoop();
    loop_.Post([this] { loop_.Quit(); });
    loopThread_.join();
  }

  // Starts the server; `configure` adds routes first, as the owner does.
  void Start(LocalWebServerOptions options = {},
             const std::function<void(LocalWebServer&)>& configure = {}) {
    server_.emplace(loop_, options);
    server_->AddAssets(BuiltInWebAssets());
    server_->events().SetSnapshot([this] {
      return std::vector<WindowEvent>{{"state", std::to_string(state_)}};
    });
    if (configure) configure(*server_);
    ASSERT_EQ(server_->Start(), WebServerStart::kStarted);
    port_ = server_->port();
    host_ = "127.0.0.1:" + std::to_string(port_);
    cookie_ = "talor_token=" + server_->token();
  }

  // A request with the token cookie and this server's Host, plus `headers`
  // (each ending in "\r\n"), answered in full.
  std::string Request(std::string_view method, std::string_view path, std::string_view headers = "",
                      std::string_view body = "") {
    return RawRequest(std::string(method) + " " + std::string(path) +
                      " HTTP/1.1\r\nHost: " + host_ + "\r\nCookie: " + cookie_ + "\r\n" +
                      std::string(headers) + "Content-Length: " + std::to_string(body.size()) +
                      "\r\nConnection: close\r\n\r\n" + std::string(body));
  }
  std::string Get(std::string_view path, std::string_view headers = "") {
    return Request("GET", path, headers);
  }
  std::string RawRequest(const std::string& bytes) {
    RawConnection connection(port_);
    EXPECT_TRUE(connection.Send(bytes));
    return connection.ReadAll();
  }

  // Keeps the core loop busy until ReleaseLoop, as a long modal wait would
  // if it stopped taking events.
  void BlockLoop() {
    std::shared_future<void> released = loopRelease_.get_future().share();
    loop_.Post([released] { released.wait(); });
  }
  void ReleaseLoop() {
    if (!loopReleased_.exchange(true)) loopRelease_.set_value();
  }

  // Posts a push onto the core loop, where pushes come from.
  void PushFromCore(std::string name, std::string data) {
    loop_.Post([this, name, data] {
      ++state_;
      server_->events().Push(name, data);
    });
  }

  EventLoop loop_;
  std::thread::id loopThreadId_;
  std::thread loopThread_{[this] {
    loopThreadId_ = std::this_thread::get_id();
    loop_.Run();
  }};
  std::promise<void> loopRelease_;
  std::atomic<bool> loopReleased_{false};
  int state_ = 0;  // core state: touched on the loop thread only

  std::optional<LocalWebServer> server_;
  int port_ = 0;
  std::string host_;
  std::string cookie_;
};

TEST_F(LocalWebServerTest, TokenIsRequiredAndTheCookieCarriesIt) {
  Start();
  std::string url = server_->WindowUrl();
  ASSERT_EQ(url, "http://" + host_ + "/?token=" + server_->token());
  std::string base = "GET /index.html HTTP/1.1\r\nHost: " + host_ + "\r\nConnection: close\r\n";

  std::string missing = RawRequest(base + "\r\n");
  EXPECT_EQ(StatusOf(missing), 403);
  EXPECT_EQ(BodyOf(missing), "");
  EXPECT_EQ(StatusOf(RawRequest("GET /?token=0123 HTTP/1.1\r\nHost: " + host_ +
                                "\r\nConnection: close\r\n\r\n")),
            403);
  EXPECT_EQ(StatusOf(RawRequest(base + "Cookie: talor_token=" + std::string(64, '0') + "\r\n\r\n")),
            403);

  // The window's first load: the token in the address, the cookie in return.
  httplib::Client client("127.0.0.1", port_);
  httplib::Result first = client.Get(url.substr(url.find("/?")));
  ASSERT_TRUE(first) << httplib::to_string(first.error());
  EXPECT_EQ(first->status, 200);
  EXPECT_EQ(first->get_header_value("Content-Type"), "text/html");
  EXPECT_EQ(first->body, IndexAsset());
  std::string setCookie = first->get_header_value("Set-Cookie");
  EXPECT_EQ(setCookie.find(cookie_ + ";"), 0u) << setCookie;
  EXPECT_NE(setCookie.find("HttpOnly"), std::string::npos);
  EXPECT_NE(setCookie.find("SameSite=Strict"), std::string::npos);

  // Later requests of the page carry only the cookie, or the header.
  EXPECT_EQ(StatusOf(RawRequest(base + "Cookie: " + cookie_ + "\r\n\r\n")), 200);
  EXPECT_EQ(StatusOf(RawRequest(base + "X-Talor-Token: " + server_->token() + "\r\n\r\n")), 200);
}

TEST_F(LocalWebServerTest, RefusesOtherHostsAndOrigins) {
  Start();
  std::string port = std::to_string(port_);
  std::string token = "Cookie: " + cookie_ + "\r\n";
  auto withHost = [&](const std::string& host) {
    return StatusOf(RawRequest("GET / HTTP/1.1\r\nHost: " + host + "\r\n" + token +
                               "Connection: close\r\n\r\n"));
  };
  EXPECT_EQ(withHost("127.0.0.1:" + port), 200);
  EXPECT_EQ(withHost("localhost:" + port), 200);
  EXPECT_EQ(withHost("attacker.example:" + port), 403);  // DNS rebinding
  EXPECT_EQ(withHost("127.0.0.1:" + std::to_string(port_ + 1)), 403);
  EXPECT_EQ(withHost("127.0.0.1"), 403);
  EXPECT_EQ(StatusOf(RawRequest("GET / HTTP/1.0\r\n" + token + "\r\n")), 403);  // no Host
  EXPECT_EQ(
      StatusOf(RawRequest("GET / HTTP/1.1\r\nHost: 127.0.0.1:" + port +
                          "\r\nHost: attacker.example\r\n" + token + "Connection: close\r\n\r\n")),
      403);

  EXPECT_EQ(StatusOf(Get("/", "Origin: http://127.0.0.1:" + port + "\r\n")), 200);
  EXPECT_EQ(StatusOf(Get("/", "Origin: http://attacker.example\r\n")), 403);
  EXPECT_EQ(StatusOf(Get("/", "Origin: null\r\n")), 403);
  EXPECT_EQ(StatusOf(Get("/", "Origin: http://127.0.0.1:" + std::to_string(port_ + 1) + "\r\n")),
            403);
  EXPECT_EQ(StatusOf(Get("/", "Sec-Fetch-Site: same-site\r\n")), 403);
  EXPECT_EQ(StatusOf(Get("/", "Sec-Fetch-Site: same-origin\r\n")), 200);
}

TEST_F(LocalWebServerTest, AnswersForbidFramingByOthersCachingAndCors) {
  Start();
  std::string response = Get("/", "Origin: http://127.0.0.1:" + std::to_string(port_) + "\r\n");
  ASSERT_EQ(StatusOf(response), 200);
  std::string headers = response.substr(0, response.find("\r\n\r\n"));
  EXPECT_NE(headers.find("X-Frame-Options: SAMEORIGIN"), std::string::npos) << headers;
  EXPECT_NE(headers.find("Content-Security-Policy: frame-ancestors 'self'"), std::string::npos);
  EXPECT_NE(headers.find("Cache-Control: no-store"), std::string::npos);
  EXPECT_EQ(headers.find("Access-Control-"), std::string::npos);
  // A cross-origin preflight finds nothing to allow it.
  std::string preflight = Request("OPTIONS", "/x",
                                  "Origin: http://attacker.example\r\n"
                                  "Access-Control-Request-Method: POST\r\n");
  EXPECT_EQ(StatusOf(preflight), 403);
  EXPECT_EQ(preflight.find("Access-Control-"), std::string::npos);
}

TEST_F(LocalWebServerTest, CoreRouteRunsOnTheLoopThread) {
  std::thread::id ranOn;
  int calls = 0;
  auto echo = [&](const WebRequest& request) {
    ranOn = std::this_thread::get_id();
    ++calls;
    std::string text = request.path + "|" + request.rest + "|";
    for (const auto& [name, value] : request.params) text += name + "=" + value + ";";
    return WebReply{201, "application/json", text + request.body};
  };
  Start({}, [&](LocalWebServer& server) {
    server.AddCoreRoute(HttpMethod::kGet, "/core/", echo);
    server.AddCoreRoute(HttpMethod::kPost, "/core/post", echo);
  });

  std::string got = Get("/core/a%20b?x=1&token=" + server_->token());
  EXPECT_EQ(StatusOf(got), 201);
  EXPECT_EQ(BodyOf(got), "/core/a b|a b|x=1;");
  EXPECT_NE(got.find("Content-Type: application/json"), std::string::npos);

  std::string posted = Request("POST", "/core/post",
                               "Content-Type: application/x-www-form-urlencoded\r\n"
                               "Origin: http://" +
                                   host_ + "\r\n",
                               "q=%D0%BA%D0%BD%D0%B8%D0%B3%D0%B0");
  EXPECT_EQ(StatusOf(posted), 201);
  EXPECT_EQ(BodyOf(posted), "/core/post||q=книга;q=%D0%BA%D0%BD%D0%B8%D0%B3%D0%B0");
  // Both ran on the core's thread, which is only safe to read after a round
  // trip through the loop.
  std::promise<std::thread::id> seen;
  loop_.Post([&] { seen.set_value(ranOn); });
  EXPECT_EQ(seen.get_future().get(), loopThreadId_);
  EXPECT_NE(loopThreadId_, std::this_thread::get_id());

  // Without the token, or from another origin, the core never hears of it.
  std::string noToken = RawRequest("POST /core/post HTTP/1.1\r\nHost: " + host_ +
                                   "\r\nContent-Length: 3\r\nConnection: close\r\n\r\nq=1");
  EXPECT_EQ(StatusOf(noToken), 403);
  EXPECT_EQ(StatusOf(Request("POST", "/core/post", "Origin: http://attacker.example\r\n", "q=1")),
            403);
  std::promise<int> callCount;
  loop_.Post([&] { callCount.set_value(calls); });
  EXPECT_EQ(callCount.get_future().get(), 2);
}

TEST_F(LocalWebServerTest, ExactRouteWinsThenTheLongestPrefix) {
  auto named = [](std::string name) {
    return [name](const WebRequest& request) {
      return WebReply{200, "text/plain", name + ":" + request.rest};
    };
  };
  Start({}, [&](LocalWebServer& server) {
    server.AddCoreRoute(HttpMethod::kGet, "/a/", named("a"));
    server.AddCoreRoute(HttpMethod::kGet, "/a/b/", named("old"));
    server.AddCoreRoute(HttpMethod::kGet, "/a/b/", named("ab"));
    server.AddCoreRoute(HttpMethod::kGet, "/a/b/c", named("exact"));
  });
  EXPECT_EQ(BodyOf(Get("/a/x")), "a:x");
  EXPECT_EQ(BodyOf(Get("/a/b/x/y")), "ab:x/y");
  EXPECT_EQ(BodyOf(Get("/a/b/c")), "exact:");
  EXPECT_EQ(BodyOf(Get("/a/b/cd")), "ab:cd");
  EXPECT_EQ(StatusOf(Get("/a")), 404);
  EXPECT_EQ(StatusOf(Request("POST", "/a/x")), 404);
}

TEST_F(LocalWebServerTest, CoreRouteTimesOutWhenTheLoopDoesNotAnswer) {
  std::atomic<bool> ran{false};
  LocalWebServerOptions options;
  options.coreTimeout = milliseconds(200);
  Start(options, [&](LocalWebServer& server) {
    server.AddCoreRoute(HttpMethod::kGet, "/core", [&](const WebRequest&) {
      ran = true;
      return WebReply{};
    });
  });

  BlockLoop();
  EXPECT_EQ(StatusOf(Get("/core")), 503);
  EXPECT_FALSE(ran);
  ReleaseLoop();
  // The late closure still runs on the loop, harmlessly.
  std::promise<void> drained;
  loop_.Post([&] { drained.set_value(); });
  drained.get_future().wait();
  EXPECT_TRUE(ran);
  EXPECT_EQ(StatusOf(Get("/core")), 200);
}

TEST_F(LocalWebServerTest, ServesFilesOnlyFromTheAllowedDirectory) {
  ScratchDir dir;
  dir.Write("work/page.htm", "<p>страница</p>");
  dir.Write("work/img/a.gif", "GIF89a");
  dir.Write("secret.txt", "SECRET");
  std::filesystem::create_symlink(dir.path() / "secret.txt", dir.path() / "work" / "link.txt");
  Start({}, [&](LocalWebServer& server) {
    EXPECT_FALSE(server.AddDirectory("/none/", dir.path() / "missing"));
    EXPECT_TRUE(server.AddDirectory("/work/", dir.path() / "work"));
    server.AddDirectoryListing("/fs/list");
  });

  std::string page = Get("/work/page.htm");
  EXPECT_EQ(StatusOf(page), 200);
  EXPECT_EQ(BodyOf(page), "<p>страница</p>");
  EXPECT_NE(page.find("Content-Type: text/html\r\n"), std::string::npos);
  std::string image = Get("/work/img/a.gif");
  EXPECT_EQ(BodyOf(image), "GIF89a");
  EXPECT_NE(image.find("Content-Type: image/gif\r\n"), std::string::npos);

  for (std::string_view path : {"/work/../secret.txt", "/work/%2e%2e/secret.txt",
                                "/work/img/..%2f..%2fsecret.txt", "/work/link.txt"}) {
    std::string refused = Get(path);
    EXPECT_TRUE(StatusOf(refused) == 403 || StatusOf(refused) == 400) << path << "\n" << refused;
    EXPECT_EQ(refused.find("SECRET"), std::string::npos) << path;
  }
  EXPECT_EQ(StatusOf(Get("/work/missing.htm")), 404);
  EXPECT_EQ(StatusOf(Get("/work/img")), 404);

  std::string work = (dir.path() / "work").string();
  std::string listing = Get("/fs/list?path=" + work);
  EXPECT_EQ(StatusOf(listing), 200);
  EXPECT_NE(listing.find("Content-Type: application/json"), std::string::npos);
  EXPECT_EQ(BodyOf(listing).find("{\"path\":\"" + work + "\""), 0u) << listing;
  EXPECT_NE(listing.find("{\"name\":\"img\",\"directory\":true"), std::string::npos);
  EXPECT_EQ(StatusOf(Get("/fs/list?path=work")), 400);
  EXPECT_EQ(StatusOf(Get("/fs/list?path=" + work + "/missing")), 404);
}

// An event stream of this server, read through a raw connection.
class EventStream {
 public:
  EventStream(int port, const std::string& host, const std::string& cookie) : connection_(port) {
    connection_.Send("GET /events HTTP/1.1\r\nHost: " + host + "\r\nCookie: " + cookie +
                     "\r\nAccept: text/event-stream\r\n\r\n");
  }
  // Reads until `text` has arrived; returns everything so far.
  std::string WaitFor(const std::string& text) {
    return connection_.ReadUntil(
        [&](const std::string& received) { return received.find(text) != std::string::npos; });
  }
  RawConnection& connection() { return connection_; }

 private:
  RawConnection connection_;
};

TEST_F(LocalWebServerTest, EventsReachEveryStreamInOrderAndLateStreamsGetTheSnapshot) {
  Start();
  EventStream first(port_, host_, cookie_);
  EventStream second(port_, host_, cookie_);
  std::string head = first.WaitFor("event: state\ndata: 0\n\n");
  EXPECT_EQ(StatusOf(head), 200);
  EXPECT_NE(head.find("Content-Type: text/event-stream\r\n"), std::string::npos) << head;
  second.WaitFor("event: state\ndata: 0\n\n");

  for (int i = 1; i <= 3; ++i) PushFromCore("change", "{\"n\":" + std::to_string(i) + "}");
  for (EventStream* stream : {&first, &second}) {
    std::string seen = stream->WaitFor("data: {\"n\":3}\n\n");
    std::size_t one = seen.find("event: change\ndata: {\"n\":1}\n\n");
    std::size_t two = seen.find("event: change\ndata: {\"n\":2}\n\n");
    std::size_t three = seen.find("event: change\ndata: {\"n\":3}\n\n");
    ASSERT_NE(one, std::string::npos) << seen;
    EXPECT_LT(one, two);
    EXPECT_LT(two, three);
  }

  EventStream late(port_, host_, cookie_);
  std::string caughtUp = late.WaitFor("event: state\ndata: 3\n\n");
  EXPECT_NE(caughtUp.find("event: state\ndata: 3\n\n"), std::string::npos) << caughtUp;
  EXPECT_EQ(caughtUp.find("event: change"), std::string::npos);
  PushFromCore("change", "{\"n\":4}");
  EXPECT_NE(late.WaitFor("{\"n\":4}").find("{\"n\":4}"), std::string::npos);

  // A stream without the token is refused.
  EventStream stranger(port_, host_, "talor_token=x");
  EXPECT_EQ(StatusOf(stranger.WaitFor("\r\n\r\n")), 403);
}

TEST_F(LocalWebServerTest, StreamsBeyondTheLimitAreRefused) {
  LocalWebServerOptions options;
  options.events.maxStreams = 1;
  Start(options);
  EventStream first(port_, host_, cookie_);
  first.WaitFor("event: state");
  EventStream second(port_, host_, cookie_);
  EXPECT_EQ(StatusOf(second.WaitFor("\r\n\r\n")), 503);
}

TEST_F(LocalWebServerTest, StopEndsOpenStreamsPromptly) {
  LocalWebServerOptions options;
  options.keepAliveInterval = std::chrono::minutes(10);
  Start(options);
  EventStream stream(port_, host_, cookie_);
  stream.WaitFor("event: state");
  auto before = steady_clock::now();
  server_->Stop();
  // Generous: only a stream that ignores Stop would take this long.
  EXPECT_LT(steady_clock::now() - before, std::chrono::seconds(5));
  stream.connection().ReadAll();
  EXPECT_TRUE(stream.connection().closed());
  server_->Stop();  // idempotent
  EXPECT_EQ(server_->Start(), WebServerStart::kAlreadyStarted);
}

TEST_F(LocalWebServerTest, ConfiguredPortIsUsedAndATakenOneReported) {
  Start();
  LocalWebServerOptions options;
  options.port = port_;
  LocalWebServer other(loop_, options);
  EXPECT_EQ(other.Start(), WebServerStart::kCannotBind);
  EXPECT_EQ(other.WindowUrl(), "");
}

}  // namespace
}  // namespace talor

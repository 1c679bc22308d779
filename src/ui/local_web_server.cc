#include "ui/local_web_server.h"

#include <httplib.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <fstream>
#include <future>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "ui/content_types.h"
#include "ui/file_access.h"
#include "ui/request_guard.h"

namespace talor {
namespace {

using std::chrono::milliseconds;

constexpr std::string_view kEventsPath = "/events";
constexpr std::size_t kMaxRequestBody = 64u << 20;
constexpr std::size_t kFileChunk = 64u << 10;
// Threads for ordinary requests beside those the event streams hold.
constexpr std::size_t kRequestThreads = 8;
// A browser keeps idle connections open; the server lets them go soon, as
// each one holds a thread and delays Stop until it times out.
constexpr time_t kKeepAliveSeconds = 1;
constexpr milliseconds kStopCheckInterval{50};

using Serve = std::function<void(const httplib::Request&, httplib::Response&, std::string_view)>;

struct Route {
  HttpMethod method;
  std::string path;
  bool prefix;
  Serve serve;
};

// A header that must appear at most once: nullopt when absent, and an empty
// value, which every check refuses, when repeated.
std::optional<std::string_view> SingleHeader(const httplib::Request& request, const char* name) {
  auto [first, last] = request.headers.equal_range(name);
  if (first == last) return std::nullopt;
  if (std::next(first) != last) return std::string_view();
  return std::string_view(first->second);
}

RequestFacts FactsOf(const httplib::Request& request) {
  RequestFacts facts;
  facts.peerAddress = request.remote_addr;
  facts.host = SingleHeader(request, "Host");
  facts.origin = SingleHeader(request, "Origin");
  facts.fetchSite = SingleHeader(request, "Sec-Fetch-Site");
  facts.headerToken = SingleHeader(request, kTokenHeader.data());
  auto token = request.params.find(std::string(kTokenParameter));
  if (token != request.params.end()) facts.queryToken = token->second;
  auto [first, last] = request.headers.equal_range("Cookie");
  for (auto it = first; it != last; ++it) facts.cookieHeaders.push_back(it->second);
  return facts;
}

WebRequest MakeWebRequest(const httplib::Request& request, HttpMethod method,
                          std::string_view rest) {
  WebRequest web;
  web.method = method;
  web.path = request.path;
  web.rest = std::string(rest);
  for (const auto& [name, value] : request.params) {
    if (name != kTokenParameter) web.params.emplace(name, value);
  }
  for (const auto& [name, item] : request.files) web.params.emplace(name, item.content);
  web.contentType = request.get_header_value("Content-Type");
  web.body = request.body;
  return web;
}

void Refuse(httplib::Response& response, int status) {
  response.status = status;
  response.body.clear();
}

}  // namespace

struct LocalWebServer::Impl {
  Impl(EventLoop& loop, LocalWebServerOptions options) : loop(loop), options(options) {}

  void AddRoute(Route route);
  const Route* FindRoute(HttpMethod method, const std::string& path) const;
  void Dispatch(HttpMethod method, const httplib::Request& request, httplib::Response& response);
  httplib::Server::HandlerResponse Guard(const httplib::Request& request,
                                         httplib::Response& response) const;
  void ServeCore(const std::shared_ptr<CoreRouteHandler>& handler, HttpMethod method,
                 const httplib::Request& request, httplib::Response& response,
                 std::string_view rest);
  std::optional<WebReply> WaitForCore(std::future<WebReply>& future) const;
  void ServeEvents(const std::shared_ptr<EventChannel>& channel, httplib::Response& response);
  void Configure();

  // Constant after construction
  EventLoop& loop;
  const LocalWebServerOptions options;

  // Set up before Start, read-only while running
  std::vector<Route> routes;
  std::optional<RequestGuard> guard;
  int port = 0;
  std::string url;

  httplib::Server server;
  std::thread thread;
  std::atomic<bool> stopping{false};
  std::atomic<bool> listenEnded{false};
  bool configured = false;
  bool stopped = false;
};

void LocalWebServer::Impl::AddRoute(Route route) {
  std::erase_if(routes, [&](const Route& old) {
    return old.method == route.method && old.path == route.path;
  });
  routes.push_back(std::move(route));
}

const Route* LocalWebServer::Impl::FindRoute(HttpMethod method, const std::string& path) const {
  const Route* best = nullptr;
  for (const Route& route : routes) {
    if (route.method != method) continue;
    if (!route.prefix && route.path == path) return &route;
    if (route.prefix && path.starts_with(route.path) &&
        (best == nullptr || route.path.size() > best->path.size())) {
      best = &route;
    }
  }
  return best;
}

void LocalWebServer::Impl::Dispatch(HttpMethod method, const httplib::Request& request,
                                    httplib::Response& response) {
  const Route* route = FindRoute(method, request.path);
  if (route == nullptr) return Refuse(response, 404);
  std::string_view rest = request.path;
  rest.remove_prefix(route->prefix ? route->path.size() : rest.size());
  route->serve(request, response, rest);
}

httplib::Server::HandlerResponse LocalWebServer::Impl::Guard(const httplib::Request& request,
                                                             httplib::Response& response) const {
  RequestFacts facts = FactsOf(request);
  if (guard->Check(facts) != GuardVerdict::kAllowed) {
    Refuse(response, 403);
    return httplib::Server::HandlerResponse::Handled;
  }
  if (facts.queryToken && guard->TokenMatches(*facts.queryToken)) {
    response.set_header("Set-Cookie", guard->CookieHeader());
  }
  return httplib::Server::HandlerResponse::Unhandled;
}

void LocalWebServer::Impl::ServeCore(const std::shared_ptr<CoreRouteHandler>& handler,
                                     HttpMethod method, const httplib::Request& request,
                                     httplib::Response& response, std::string_view rest) {
  auto promise = std::make_shared<std::promise<WebReply>>();
  std::future<WebReply> future = promise->get_future();
  loop.Post([handler, promise, web = MakeWebRequest(request, method, rest)] {
    // Core handlers report through the status; this only keeps a stray
    // exception from ending the core.
    try {
      promise->set_value((*handler)(web));
    } catch (...) {
      promise->set_value(WebReply{500, "text/plain; charset=utf-8", {}});
    }
  });
  std::optional<WebReply> reply = WaitForCore(future);
  if (!reply) return Refuse(response, 503);
  response.status = reply->status;
  response.set_content(reply->body, reply->contentType);
}

std::optional<WebReply> LocalWebServer::Impl::WaitForCore(std::future<WebReply>& future) const {
  auto deadline = std::chrono::steady_clock::now() + options.coreTimeout;
  while (!stopping) {
    auto left =
        std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left <= milliseconds::zero()) break;
    if (future.wait_for(std::min(left, kStopCheckInterval)) != std::future_status::ready) continue;
    // A loop destroyed with the closure still queued breaks the promise.
    try {
      return future.get();
    } catch (const std::future_error&) {
      return std::nullopt;
    }
  }
  return std::nullopt;
}

void LocalWebServer::Impl::ServeEvents(const std::shared_ptr<EventChannel>& channel,
                                       httplib::Response& response) {
  std::shared_ptr<EventSubscriber> subscriber = channel->Open();
  if (!subscriber) return Refuse(response, 503);
  loop.Post([channel, subscriber] { channel->Attach(*subscriber); });
  milliseconds interval = options.keepAliveInterval;
  // The type must be exactly "text/event-stream": the library compresses
  // every other text type, which would hold events back in its buffer.
  response.set_chunked_content_provider(
      "text/event-stream",
      [channel, subscriber, interval](std::size_t, httplib::DataSink& sink) {
        std::string chunk;
        switch (channel->Next(*subscriber, interval, chunk)) {
          case EventChannel::NextResult::kData:
            return sink.write(chunk.data(), chunk.size());
          case EventChannel::NextResult::kIdle: {
            constexpr std::string_view kKeepAlive = ": keep-alive\n\n";
            return sink.write(kKeepAlive.data(), kKeepAlive.size());
          }
          case EventChannel::NextResult::kClosed:
            break;
        }
        return false;
      },
      [channel, subscriber](bool) { channel->Release(*subscriber); });
}

void LocalWebServer::Impl::Configure() {
  server.set_address_family(AF_INET);
  // The library's default adds SO_REUSEPORT, which lets a second socket of
  // the same user share the port and take some of the window's connections.
  server.set_socket_options([](socket_t socket) {
    int yes = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
  });
  server.set_keep_alive_timeout(kKeepAliveSeconds);
  server.set_payload_max_length(kMaxRequestBody);
  std::size_t threads = kRequestThreads + options.events.maxStreams;
  // The library owns the queue it gets from here.
  server.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
  server.set_default_headers({
      {"Cache-Control", "no-store"},
      {"X-Frame-Options", "SAMEORIGIN"},
      {"Content-Security-Policy", "frame-ancestors 'self'"},
      {"X-Content-Type-Options", "nosniff"},
      {"Referrer-Policy", "no-referrer"},
  });
  server.set_pre_routing_handler(
      [this](const httplib::Request& request, httplib::Response& response) {
        return Guard(request, response);
      });
  server.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
    Dispatch(HttpMethod::kGet, request, response);
  });
  server.Post(".*", [this](const httplib::Request& request, httplib::Response& response) {
    Dispatch(HttpMethod::kPost, request, response);
  });
}

LocalWebServer::LocalWebServer(EventLoop& loop, LocalWebServerOptions options)
    : events_(std::make_shared<EventChannel>(options.events)),
      impl_(std::make_unique<Impl>(loop, options)) {
  impl_->AddRoute({HttpMethod::kGet, std::string(kEventsPath), false,
                   [this](const httplib::Request&, httplib::Response& response, std::string_view) {
                     impl_->ServeEvents(events_, response);
                   }});
}

LocalWebServer::~LocalWebServer() { Stop(); }

void LocalWebServer::AddAssets(std::span<const WebAsset> assets) {
  for (const WebAsset& asset : assets) {
    Serve serve = [asset](const httplib::Request&, httplib::Response& response, std::string_view) {
      response.set_content(asset.bytes.data(), asset.bytes.size(),
                           std::string(ContentTypeFor(asset.name)));
    };
    if (asset.name == "index.html") impl_->AddRoute({HttpMethod::kGet, "/", false, serve});
    impl_->AddRoute({HttpMethod::kGet, "/" + std::string(asset.name), false, serve});
  }
}

void LocalWebServer::AddCoreRoute(HttpMethod method, std::string path, CoreRouteHandler handler) {
  auto shared = std::make_shared<CoreRouteHandler>(std::move(handler));
  bool prefix = path.ends_with('/');
  impl_->AddRoute({method, std::move(path), prefix,
                   [this, shared, method](const httplib::Request& request,
                                          httplib::Response& response, std::string_view rest) {
                     impl_->ServeCore(shared, method, request, response, rest);
                   }});
}

bool LocalWebServer::AddDirectory(std::string prefix, const std::filesystem::path& root) {
  std::error_code error;
  std::filesystem::path canonicalRoot = std::filesystem::canonical(root, error);
  if (error || !std::filesystem::is_directory(canonicalRoot, error)) return false;
  Serve serve = [canonicalRoot](const httplib::Request&, httplib::Response& response,
                                std::string_view rest) {
    ServedFile file = FindServedFile(canonicalRoot, rest);
    if (file.lookup == FileLookup::kOutside) return Refuse(response, 403);
    auto stream = std::make_shared<std::ifstream>(file.path, std::ios::binary);
    if (file.lookup != FileLookup::kFound || !*stream) return Refuse(response, 404);
    response.set_content_provider(
        file.size, std::string(ContentTypeFor(file.path.filename().string())),
        [stream](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
          std::string buffer(std::min(length, kFileChunk), '\0');
          stream->seekg(static_cast<std::streamoff>(offset));
          stream->read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
          std::streamsize got = stream->gcount();
          return got > 0 && sink.write(buffer.data(), static_cast<std::size_t>(got));
        });
  };
  impl_->AddRoute({HttpMethod::kGet, std::move(prefix), true, std::move(serve)});
  return true;
}

void LocalWebServer::AddDirectoryListing(std::string path) {
  Serve serve = [](const httplib::Request& request, httplib::Response& response, std::string_view) {
    std::string json;
    bool hidden = request.get_param_value("hidden") == "1";
    switch (ListDirectory(request.get_param_value("path"), hidden, json)) {
      case ListingResult::kListed:
        return response.set_content(json, "application/json");
      case ListingResult::kNotAbsolute:
        return Refuse(response, 400);
      case ListingResult::kNotDirectory:
        return Refuse(response, 404);
      case ListingResult::kUnreadable:
        return Refuse(response, 403);
    }
  };
  impl_->AddRoute({HttpMethod::kGet, std::move(path), false, std::move(serve)});
}

WebServerStart LocalWebServer::Start() {
  Impl& impl = *impl_;
  if (impl.thread.joinable() || impl.stopped) return WebServerStart::kAlreadyStarted;
  std::optional<std::string> token = NewSessionToken();
  if (!token) return WebServerStart::kNoRandomness;
  if (!impl.configured) impl.Configure();
  impl.configured = true;
  int port = impl.options.port;
  if (port == 0) {
    port = impl.server.bind_to_any_port("127.0.0.1");
  } else if (!impl.server.bind_to_port("127.0.0.1", port)) {
    port = -1;
  }
  if (port <= 0) return WebServerStart::kCannotBind;
  impl.port = port;
  impl.guard.emplace(*token, port);
  impl.url = "http://127.0.0.1:" + std::to_string(port) + "/?" + std::string(kTokenParameter) +
             "=" + *token;
  impl.listenEnded = false;
  impl.thread = std::thread([&impl] {
    impl.server.listen_after_bind();
    impl.listenEnded = true;
  });
  // stop() is lost on a server that is not running yet, so Start returns
  // only once it runs (or has already failed).
  while (!impl.server.is_running() && !impl.listenEnded)
    std::this_thread::sleep_for(milliseconds(1));
  if (impl.listenEnded) {
    impl.thread.join();
    return WebServerStart::kCannotListen;
  }
  return WebServerStart::kStarted;
}

void LocalWebServer::Stop() {
  Impl& impl = *impl_;
  if (!impl.thread.joinable()) return;
  impl.stopping = true;
  events_->Close();
  impl.server.stop();
  impl.thread.join();
  impl.stopped = true;
}

int LocalWebServer::port() const { return impl_->port; }

const std::string& LocalWebServer::token() const {
  static const std::string kNone;
  return impl_->guard ? impl_->guard->token() : kNone;
}

std::string LocalWebServer::WindowUrl() const { return impl_->url; }

}  // namespace talor

// The window's local web server: HTTP on 127.0.0.1 for the browser page
// that is the navigator's window.
//
// Every request passes the RequestGuard (ui/request_guard.h): loopback peer,
// own Host and Origin, the per-run token. Refused requests get 403 with an
// empty body. Every answer carries "Cache-Control: no-store", allows framing
// only by the server's own pages and sends no CORS headers.
//
// The server runs on threads of its own and never touches core state: a
// core route's work is posted into the core's EventLoop and the HTTP thread
// waits for its result; changes flow the other way through the EventChannel
// as Server-Sent Events on GET /events.
//
// Threads: the Add* calls and SetSnapshot belong to the owner before Start;
// Start, Stop and the destructor to the owner's thread; the accessors are
// safe from any thread once Start has returned; events() may be pushed to
// from the core loop's thread at any time.
//
// REQUIRES: the EventLoop outlives the server.

#ifndef TALOR_UI_LOCAL_WEB_SERVER_H_
#define TALOR_UI_LOCAL_WEB_SERVER_H_

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>

#include "platform/event_loop.h"
#include "ui/event_channel.h"
#include "ui/web_assets.h"

namespace talor {

enum class HttpMethod { kGet, kPost };

// A request as a core route sees it.
struct WebRequest {
  HttpMethod method = HttpMethod::kGet;
  std::string path;  // percent-decoded
  std::string rest;  // for a prefix route, the part of `path` after the prefix
  // Query parameters, and for a POST its form fields (URL-encoded or
  // multipart); the token parameter is not among them.
  std::multimap<std::string, std::string> params;
  std::string contentType;
  std::string body;
};

struct WebReply {
  int status = 200;
  std::string contentType = "text/plain; charset=utf-8";
  std::string body;
};

// Runs on the core loop's thread; may read and change core state.
using CoreRouteHandler = std::function<WebReply(const WebRequest&)>;

struct LocalWebServerOptions {
  int port = 0;  // 0: any free port
  // How long an HTTP thread waits for the core to run a route before it
  // answers 503.
  std::chrono::milliseconds coreTimeout{5000};
  // How often an idle event stream gets a comment line, so that a page that
  // went away is noticed and proxies keep the stream open.
  std::chrono::milliseconds keepAliveInterval{15000};
  EventChannelLimits events;
};

enum class WebServerStart {
  kStarted,
  kNoRandomness,  // the kernel gave no random bytes for the token
  kCannotBind,    // the port is taken or 127.0.0.1 is unusable
  kCannotListen,
  kAlreadyStarted,
};

class LocalWebServer {
 public:
  LocalWebServer(EventLoop& loop, LocalWebServerOptions options = {});
  ~LocalWebServer();  // Stop()
  LocalWebServer(const LocalWebServer&) = delete;
  LocalWebServer& operator=(const LocalWebServer&) = delete;

  // Route paths are exact, except that a path ending in '/' also takes every
  // path below it (the longest such prefix wins). An exact path wins over
  // any prefix. A later route for the same method and path replaces the
  // earlier one. HEAD requests go to GET routes.

  // GET "/<name>" for every asset; "index.html" is also served at "/".
  void AddAssets(std::span<const WebAsset> assets);

  void AddCoreRoute(HttpMethod method, std::string path, CoreRouteHandler handler);

  // GET <prefix><relative> serves the file `relative` below `root` (see
  // FindServedFile): 404 when it is not there, 403 when it lies outside.
  // Returns false, adding nothing, when `root` is not an existing directory.
  // REQUIRES: `prefix` ends with '/'.
  bool AddDirectory(std::string prefix, const std::filesystem::path& root);

  // GET <path>?path=/absolute/dir[&hidden=1] answers the JSON of
  // ListDirectory: 400 for a relative path, 404 for a missing directory, 403
  // for an unreadable one. Any directory the user may read can be listed:
  // the file dialogs browse the whole file system, as a desktop one does.
  void AddDirectoryListing(std::string path);

  // The channel behind GET /events. Its snapshot is set here too.
  EventChannel& events() { return *events_; }

  // Binds 127.0.0.1, makes the token and starts serving. On failure nothing
  // is left running and the server may be started again.
  WebServerStart Start();

  // Ends the event streams, stops accepting and joins the server's threads.
  // Requests in progress finish first; a core route waiting for the loop
  // gives up at once with 503. Idempotent.
  void Stop();

  int port() const;
  const std::string& token() const;
  // "http://127.0.0.1:<port>/?token=<token>": the address to open the
  // window with. Empty before Start.
  std::string WindowUrl() const;

 private:
  struct Impl;
  std::shared_ptr<EventChannel> events_;
  std::unique_ptr<Impl> impl_;
};

}  // namespace talor

#endif  // TALOR_UI_LOCAL_WEB_SERVER_H_

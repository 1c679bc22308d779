#include "platform/message_bus.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <asio/local/stream_protocol.hpp>
#include <asio/steady_timer.hpp>
#include <cerrno>
#include <random>
#include <thread>
#include <vector>

#include "platform/bus_directory.h"
#include "platform/file_descriptor.h"

namespace talor {
namespace {

using Clock = std::chrono::steady_clock;
using LocalSocket = asio::local::stream_protocol::socket;

constexpr std::chrono::milliseconds kBusyRetryPause{5};
constexpr std::chrono::milliseconds kAcceptRetryPause{100};
constexpr int kMaxHandleTries = 64;

bool FitsSocketAddress(const std::string& path) {
  return path.size() < sizeof(sockaddr_un{}.sun_path);
}

enum class ConnectResult {
  Connected,  // a window listens and took the connection
  Busy,       // a window listens but its queue stayed full until the deadline
  Refused,    // a socket file without a listener: its program has ended
  Absent,     // no such file, or nothing to connect to
};

// Connects `fd` (non-blocking) to the socket at `path`, retrying while the
// listener's queue is full until `deadline`.
ConnectResult ConnectUntil(int fd, const std::string& path, Clock::time_point deadline) {
  if (!FitsSocketAddress(path)) return ConnectResult::Absent;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  path.copy(address.sun_path, path.size());
  for (;;) {
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
      return ConnectResult::Connected;
    }
    if (errno == ECONNREFUSED) return ConnectResult::Refused;
    if (errno != EAGAIN && errno != EINTR) return ConnectResult::Absent;
    if (Clock::now() >= deadline) return ConnectResult::Busy;
    std::this_thread::sleep_for(kBusyRetryPause);
  }
}

FileDescriptor NewClientSocket() {
  return FileDescriptor(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
}

// Whether a window listens at `path`, without sending it anything.
ConnectResult Probe(const std::string& path) {
  FileDescriptor fd = NewClientSocket();
  if (fd.get() < 0) return ConnectResult::Absent;
  return ConnectUntil(fd.get(), path, Clock::now() + kPostTimeout);
}

bool IsLive(const std::string& path) {
  const ConnectResult result = Probe(path);
  return result == ConnectResult::Connected || result == ConnectResult::Busy;
}

// Writes all of `bytes` to the non-blocking `fd` before `deadline`.
bool WriteAllUntil(int fd, std::string_view bytes, Clock::time_point deadline) {
  while (!bytes.empty()) {
    const ssize_t written = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (written > 0) {
      bytes.remove_prefix(static_cast<size_t>(written));
    } else if ((errno != EAGAIN && errno != EINTR) || Clock::now() >= deadline) {
      return false;
    } else {
      std::this_thread::sleep_for(kBusyRetryPause);
    }
  }
  return true;
}

// The windows named in `directory` (live or not), in name order; empty when
// the directory is not a usable bus directory.
std::vector<std::pair<std::string, WindowName>> ListWindows(const std::string& directory) {
  std::vector<std::pair<std::string, WindowName>> windows;
  if (PrepareBusDirectory(directory, false) != BusDirectoryState::Usable) return windows;
  DIR* dir = ::opendir(directory.c_str());
  if (dir == nullptr) return windows;
  while (const dirent* entry = ::readdir(dir)) {
    if (std::optional<WindowName> name = ParseWindowSocketName(entry->d_name)) {
      windows.emplace_back(entry->d_name, std::move(*name));
    }
  }
  ::closedir(dir);
  std::sort(windows.begin(), windows.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  return windows;
}

}  // namespace

// One listening window: its socket, its handler and its open connections.
// Shared with the pending operations, which find `closed_` set once the
// window has stopped and then do nothing.
class MessageBus::Window : public std::enable_shared_from_this<Window> {
 public:
  Window(asio::io_context& context, std::string path, MessageBus::Handler handler)
      : acceptor_(context),
        retryTimer_(context),
        path_(std::move(path)),
        handler_(std::move(handler)) {}

  asio::local::stream_protocol::acceptor& acceptor() { return acceptor_; }
  bool closed() const { return closed_; }

  // Remembers which file the socket is, so that Close removes only that one.
  void NoteSocketFile() {
    struct stat info {};
    if (::lstat(path_.c_str(), &info) == 0) {
      device_ = info.st_dev;
      inode_ = info.st_ino;
    }
  }

  void Accept();
  void Deliver(const WindowMessage& message) { handler_(message); }
  void Forget(uint64_t connectionId) { connections_.erase(connectionId); }
  void Close();

 private:
  asio::local::stream_protocol::acceptor acceptor_;
  asio::steady_timer retryTimer_;
  const std::string path_;
  const MessageBus::Handler handler_;
  dev_t device_ = 0;
  ino_t inode_ = 0;
  bool closed_ = false;
  uint64_t nextConnectionId_ = 0;
  std::map<uint64_t, std::shared_ptr<Connection>> connections_;
};

// One accepted connection, read line by line.
class MessageBus::Connection : public std::enable_shared_from_this<Connection> {
 public:
  Connection(std::shared_ptr<Window> window, uint64_t id, LocalSocket socket)
      : window_(std::move(window)), id_(id), socket_(std::move(socket)) {}

  void Read() {
    socket_.async_read_some(asio::buffer(buffer_), [self = shared_from_this()](
                                                       const asio::error_code& error, size_t size) {
      self->OnRead(error, size);
    });
  }

  void Close() {
    asio::error_code ignored;
    socket_.close(ignored);
  }

 private:
  void OnRead(const asio::error_code& error, size_t size) {
    if (window_->closed()) return;
    if (error) {
      Close();
      window_->Forget(id_);
      return;
    }
    Consume(std::string_view(buffer_.data(), size));
    if (!window_->closed()) Read();
  }

  // Splits `bytes` into lines; a line longer than kMaxMessageLineLength is
  // skipped up to its line break.
  void Consume(std::string_view bytes) {
    while (!bytes.empty() && !window_->closed()) {
      const size_t end = bytes.find('\n');
      const std::string_view piece = bytes.substr(0, end);
      if (!skipping_) line_.append(piece);
      if (line_.size() > kMaxMessageLineLength) {
        skipping_ = true;
        line_.clear();
      }
      if (end == std::string_view::npos) return;
      bytes.remove_prefix(end + 1);
      const std::optional<WindowMessage> message =
          skipping_ ? std::nullopt : ParseMessageLine(line_);
      skipping_ = false;
      line_.clear();
      if (message) window_->Deliver(*message);
    }
  }

  const std::shared_ptr<Window> window_;
  const uint64_t id_;
  LocalSocket socket_;
  std::array<char, 128> buffer_{};
  std::string line_;
  bool skipping_ = false;
};

void MessageBus::Window::Accept() {
  acceptor_.async_accept(
      [self = shared_from_this()](const asio::error_code& error, LocalSocket socket) {
        if (self->closed_) return;
        if (error) {
          // Such as running out of descriptors: try again a little later rather
          // than at once and forever.
          self->retryTimer_.expires_after(kAcceptRetryPause);
          self->retryTimer_.async_wait([self](const asio::error_code&) {
            if (!self->closed_) self->Accept();
          });
          return;
        }
        if (self->connections_.size() >= kMaxWindowConnections) {
          self->connections_.begin()->second->Close();
          self->connections_.erase(self->connections_.begin());
        }
        const uint64_t id = self->nextConnectionId_++;
        auto connection = std::make_shared<Connection>(self, id, std::move(socket));
        self->connections_.emplace(id, connection);
        connection->Read();
        self->Accept();
      });
}

void MessageBus::Window::Close() {
  if (closed_) return;
  closed_ = true;
  asio::error_code ignored;
  acceptor_.close(ignored);
  retryTimer_.cancel();
  for (auto& [id, connection] : connections_) connection->Close();
  connections_.clear();
  struct stat info {};
  if (::lstat(path_.c_str(), &info) == 0 && info.st_dev == device_ && info.st_ino == inode_) {
    ::unlink(path_.c_str());
  }
}

MessageBus::MessageBus(EventLoop& loop) : MessageBus(loop, DefaultBusDirectory()) {}

MessageBus::MessageBus(EventLoop& loop, std::string directory)
    : loop_(loop), directory_(std::move(directory)) {}

MessageBus::~MessageBus() {
  for (auto& [handle, window] : windows_) window->Close();
}

ListenResult MessageBus::Listen(std::string_view windowClass, WindowHandle handle,
                                Handler handler) {
  if (!IsValidWindowClass(windowClass) || handle <= 0) return ListenResult::BadName;
  switch (PrepareBusDirectory(directory_, true)) {
    case BusDirectoryState::Usable:
      break;
    case BusDirectoryState::Unsafe:
      return ListenResult::UnsafeDirectory;
    case BusDirectoryState::Missing:
    case BusDirectoryState::Failed:
      return ListenResult::NoDirectory;
  }
  const std::string path = directory_ + '/' + WindowSocketName(windowClass, handle);
  if (!FitsSocketAddress(path)) return ListenResult::NameTooLong;
  if (windows_.count(handle) != 0) return ListenResult::InUse;

  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0) {
    if (!S_ISSOCK(info.st_mode) || Probe(path) != ConnectResult::Refused) {
      return ListenResult::InUse;
    }
    ::unlink(path.c_str());
  }

  auto window = std::make_shared<Window>(loop_.context(), path, std::move(handler));
  asio::error_code error;
  const asio::local::stream_protocol::endpoint endpoint(path);
  window->acceptor().open(endpoint.protocol(), error);
  if (!error) window->acceptor().bind(endpoint, error);
  if (error) {
    return error == asio::error::address_in_use ? ListenResult::InUse : ListenResult::SocketFailed;
  }
  window->NoteSocketFile();
  window->acceptor().listen(asio::socket_base::max_listen_connections, error);
  if (error) {
    window->Close();
    return ListenResult::SocketFailed;
  }
  window->Accept();
  windows_.emplace(handle, std::move(window));
  return ListenResult::Listening;
}

bool MessageBus::StopListening(WindowHandle handle) {
  const auto found = windows_.find(handle);
  if (found == windows_.end()) return false;
  found->second->Close();
  windows_.erase(found);
  return true;
}

bool MessageBus::PostMessage(std::string_view windowClass, WindowHandle handle, uint32_t message,
                             int64_t wParam, int64_t lParam) const {
  if (handle <= 0) return false;
  const std::string line = EncodeMessageLine({message, wParam, lParam});
  for (const auto& [name, window] : ListWindows(directory_)) {
    if (window.handle != handle) continue;
    if (!windowClass.empty() && !SameWindowClass(window.windowClass, windowClass)) continue;
    FileDescriptor fd = NewClientSocket();
    if (fd.get() < 0) return false;
    const Clock::time_point deadline = Clock::now() + kPostTimeout;
    if (ConnectUntil(fd.get(), directory_ + '/' + name, deadline) != ConnectResult::Connected) {
      continue;
    }
    return WriteAllUntil(fd.get(), line, deadline);
  }
  return false;
}

std::optional<WindowHandle> MessageBus::FindWindow(std::string_view windowClass) const {
  for (const auto& [name, window] : ListWindows(directory_)) {
    if (SameWindowClass(window.windowClass, windowClass) && IsLive(directory_ + '/' + name)) {
      return window.handle;
    }
  }
  return std::nullopt;
}

std::optional<std::string> MessageBus::WindowClass(WindowHandle handle) const {
  for (const auto& [name, window] : ListWindows(directory_)) {
    if (window.handle == handle && IsLive(directory_ + '/' + name)) return window.windowClass;
  }
  return std::nullopt;
}

WindowHandle MessageBus::NewWindowHandle() const {
  const auto windows = ListWindows(directory_);
  const auto taken = [&windows](WindowHandle handle) {
    return std::any_of(windows.begin(), windows.end(),
                       [handle](const auto& window) { return window.second.handle == handle; });
  };
  const auto pid = static_cast<int64_t>(::getpid());
  if (pid > 0 && pid <= INT32_MAX && !taken(static_cast<WindowHandle>(pid))) {
    return static_cast<WindowHandle>(pid);
  }
  std::random_device seed;
  std::mt19937 random(seed());
  std::uniform_int_distribution<WindowHandle> anyHandle(1, INT32_MAX);
  WindowHandle handle = anyHandle(random);
  for (int i = 0; i < kMaxHandleTries && taken(handle); ++i) handle = anyHandle(random);
  return handle;
}

}  // namespace talor

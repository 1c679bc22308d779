// The local message bus: how programs of the catalogue system post window
// messages to each other's windows (the hand-over of a page, the way back to
// the program that handed it over).
//
// Every window that takes messages listens on a Unix socket named
// `<class>.<handle>` (platform/window_messages.h) in the bus directory
// (platform/bus_directory.h). Posting a message connects to that socket,
// writes one line and closes; the listening program reads the line on its
// event loop and calls the window's handler. A message is delivered at most
// once and only while the window listens; nothing is queued for windows that
// are not there.
//
// Thread-safety: Listen, StopListening and the destructor run on the loop's
// thread, and so do the handlers. PostMessage, FindWindow, WindowClass and
// NewWindowHandle may be called from any thread (the loop's included): they
// read only the directory name and block only while a window's queue of
// connections is full, for at most kPostTimeout per window tried. Nothing
// here throws.

#ifndef TALOR_PLATFORM_MESSAGE_BUS_H_
#define TALOR_PLATFORM_MESSAGE_BUS_H_

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/event_loop.h"
#include "platform/window_messages.h"

namespace talor {

// For PostMessage: a window of any class.
inline constexpr std::string_view kAnyWindowClass = "";

// The longest a post waits for a window whose queue of connections is full.
inline constexpr std::chrono::milliseconds kPostTimeout{500};

// Connections that one window keeps open at a time; beyond that the oldest
// is dropped.
inline constexpr size_t kMaxWindowConnections = 32;

enum class ListenResult {
  Listening,        // the window takes messages
  BadName,          // the class is not IsValidWindowClass or the handle is not positive
  UnsafeDirectory,  // the bus directory is not the user's own (see bus_directory.h)
  NoDirectory,      // the bus directory could not be created or examined
  NameTooLong,      // the socket's path is longer than a Unix socket allows
  InUse,            // a live window, or a file that is not a socket, has the name
  SocketFailed,     // the socket could not be made
};

class MessageBus {
 public:
  // Called on the loop's thread with each message posted to the window.
  using Handler = std::function<void(const WindowMessage&)>;

  // A bus in DefaultBusDirectory().
  explicit MessageBus(EventLoop& loop);
  // A bus in `directory` (which is created by the first Listen when missing).
  MessageBus(EventLoop& loop, std::string directory);
  // Stops every window of this bus, as StopListening does.
  ~MessageBus();
  MessageBus(const MessageBus&) = delete;
  MessageBus& operator=(const MessageBus&) = delete;

  const std::string& directory() const { return directory_; }

  // Makes the window `windowClass`.`handle` take messages through `handler`.
  // A socket file left by a program that has ended is replaced. On any result
  // but Listening nothing has changed.
  // REQUIRES: on the loop's thread; `handler` is not empty.
  ListenResult Listen(std::string_view windowClass, WindowHandle handle, Handler handler);

  // The window `handle` of this bus stops taking messages and its socket file
  // is removed (unless another program has put its own in its place). Lines
  // already read but not yet handled are dropped. False when the bus had no
  // such window. Callable from inside the window's own handler.
  // REQUIRES: on the loop's thread.
  bool StopListening(WindowHandle handle);

  // Posts `message` with its parameters to the window `handle` of class
  // `windowClass` (letter case ignored; kAnyWindowClass for any class).
  // True when the line was handed to a listening window; false when no such
  // window listens, the bus directory is unsafe, or the window stayed busy
  // for kPostTimeout.
  bool PostMessage(std::string_view windowClass, WindowHandle handle, uint32_t message,
                   int64_t wParam, int64_t lParam) const;

  // A window of `windowClass` (letter case ignored) that listens now: the
  // first in the order of the socket names. nullopt when there is none.
  std::optional<WindowHandle> FindWindow(std::string_view windowClass) const;

  // The class of the window `handle` when it listens now; nullopt otherwise.
  std::optional<std::string> WindowClass(WindowHandle handle) const;

  // A handle for a new window that no socket file of the bus names now: the
  // process id when it is free, else a random positive 31-bit number.
  // Another program may take it before Listen, which then says InUse.
  WindowHandle NewWindowHandle() const;

 private:
  class Window;
  class Connection;

  // Constant after construction.
  EventLoop& loop_;
  const std::string directory_;

  // Listening windows of this process, by handle. Loop thread only.
  std::map<WindowHandle, std::shared_ptr<Window>> windows_;
};

}  // namespace talor

#endif  // TALOR_PLATFORM_MESSAGE_BUS_H_

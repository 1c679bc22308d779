// Window messages between programs on the local message bus: the numbers and
// window classes that programs of the catalogue system exchange, and the one
// line by which a message travels.
//
// A window is named by its class and a handle. On the bus a listening window
// is the socket `<class>.<handle>` in the bus directory (platform/
// message_bus.h), and a posted message is one line of text:
//
//   <message> <wParam> <lParam>\n
//
// three decimal integers separated by single spaces; a CR before the LF is
// allowed. A line that is not exactly that is ignored by the receiver.

#ifndef TALOR_PLATFORM_WINDOW_MESSAGES_H_
#define TALOR_PLATFORM_WINDOW_MESSAGES_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace talor {

// A window handle: a positive 31-bit integer; 0 is "no window".
using WindowHandle = int32_t;
inline constexpr WindowHandle kNoWindowHandle = 0;

// The first message number that programs may give their own meaning.
inline constexpr uint32_t kUserMessageBase = 1024;
// The hand-over: "show the page in `InitURL` of section `CONTEXT` of your
// configuration file". lParam is the sender's window to return to (0 for
// none), wParam is 0. Posted back with both parameters 0 when the user
// returns to the sender.
inline constexpr uint32_t kHandOverMessage = kUserMessageBase + 1000;
static_assert(kHandOverMessage == 2024);

// Window classes.
inline constexpr std::string_view kNavigatorWindowClass = "TTalorNavigatorForm";
inline constexpr std::string_view kSiblingClientWindowClass = "TWBMAINFORM";

// The longest window class name, and the longest line a receiver reads; a
// longer line is skipped up to its line break.
inline constexpr size_t kMaxWindowClassLength = 64;
inline constexpr size_t kMaxMessageLineLength = 80;

struct WindowMessage {
  uint32_t message = 0;
  int64_t wParam = 0;
  int64_t lParam = 0;

  bool operator==(const WindowMessage&) const = default;
};

// The line that carries `message`, line break included.
std::string EncodeMessageLine(const WindowMessage& message);
// The message held by `line` (without its LF; a final CR is dropped);
// nullopt unless it is exactly three decimal numbers in range separated by
// single spaces (a sign only on the parameters).
std::optional<WindowMessage> ParseMessageLine(std::string_view line);

// True for a usable class name: 1 to kMaxWindowClassLength ASCII letters,
// digits and `_`.
bool IsValidWindowClass(std::string_view windowClass);
// True when `a` and `b` name the same class (ASCII letter case ignored).
bool SameWindowClass(std::string_view a, std::string_view b);

// The socket name `<class>.<handle>`.
// REQUIRES: IsValidWindowClass(windowClass), handle > 0.
std::string WindowSocketName(std::string_view windowClass, WindowHandle handle);
// The class and handle named by a socket name; nullopt for any other name
// (an invalid class, a handle that is not a positive 31-bit number written
// without leading zeros).
struct WindowName {
  std::string windowClass;
  WindowHandle handle = kNoWindowHandle;
};
std::optional<WindowName> ParseWindowSocketName(std::string_view name);

}  // namespace talor

#endif  // TALOR_PLATFORM_WINDOW_MESSAGES_H_

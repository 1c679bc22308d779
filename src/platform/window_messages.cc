#include "platform/window_messages.h"

#include <array>
#include <limits>

#include "text/number_text.h"

namespace talor {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// `line` cut at single spaces into exactly `N` non-empty parts.
template <size_t N>
std::optional<std::array<std::string_view, N>> SplitFields(std::string_view line) {
  std::array<std::string_view, N> parts;
  for (size_t i = 0; i < N; ++i) {
    const size_t space = i + 1 < N ? line.find(' ') : std::string_view::npos;
    parts[i] = line.substr(0, space);
    if (parts[i].empty()) return std::nullopt;
    line.remove_prefix(space == std::string_view::npos ? line.size() : space + 1);
  }
  if (parts[N - 1].find(' ') != std::string_view::npos) return std::nullopt;
  return parts;
}

}  // namespace

std::string EncodeMessageLine(const WindowMessage& message) {
  return std::to_string(message.message) + ' ' + std::to_string(message.wParam) + ' ' +
         std::to_string(message.lParam) + '\n';
}

std::optional<WindowMessage> ParseMessageLine(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  const auto parts = SplitFields<3>(line);
  if (!parts || !IsDigit((*parts)[0].front())) return std::nullopt;
  const std::optional<int64_t> message = ParseDecimal64((*parts)[0]);
  const std::optional<int64_t> wParam = ParseDecimal64((*parts)[1]);
  const std::optional<int64_t> lParam = ParseDecimal64((*parts)[2]);
  if (!message || !wParam || !lParam) return std::nullopt;
  if (*message > std::numeric_limits<uint32_t>::max()) return std::nullopt;
  return WindowMessage{static_cast<uint32_t>(*message), *wParam, *lParam};
}

bool IsValidWindowClass(std::string_view windowClass) {
  if (windowClass.empty() || windowClass.size() > kMaxWindowClassLength) return false;
  for (char c : windowClass) {
    const char lower = LowerAscii(c);
    if (!IsDigit(c) && c != '_' && !(lower >= 'a' && lower <= 'z')) return false;
  }
  return true;
}

bool SameWindowClass(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

std::string WindowSocketName(std::string_view windowClass, WindowHandle handle) {
  return std::string(windowClass) + '.' + std::to_string(handle);
}

std::optional<WindowName> ParseWindowSocketName(std::string_view name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return std::nullopt;
  const std::string_view windowClass = name.substr(0, dot);
  const std::string_view digits = name.substr(dot + 1);
  if (!IsValidWindowClass(windowClass) || digits.empty() || digits.front() == '0') {
    return std::nullopt;
  }
  for (char c : digits) {
    if (!IsDigit(c)) return std::nullopt;
  }
  const std::optional<int64_t> handle = ParseDecimal64(digits);
  if (!handle || *handle > std::numeric_limits<WindowHandle>::max()) return std::nullopt;
  return WindowName{std::string(windowClass), static_cast<WindowHandle>(*handle)};
}

}  // namespace talor

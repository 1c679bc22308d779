#include "ui/content_types.h"

#include <array>

namespace talor {
namespace {

struct ExtensionType {
  std::string_view extension;  // lower case, without the dot
  std::string_view type;
};

constexpr std::array<ExtensionType, 16> kTypes{{
    {"html", "text/html"},
    {"htm", "text/html"},
    {"css", "text/css"},
    {"js", "text/javascript"},
    {"txt", "text/plain"},
    {"json", "application/json"},
    {"gif", "image/gif"},
    {"jpg", "image/jpeg"},
    {"jpeg", "image/jpeg"},
    {"png", "image/png"},
    {"bmp", "image/bmp"},
    {"svg", "image/svg+xml"},
    {"ico", "image/x-icon"},
    {"pdf", "application/pdf"},
    {"xml", "application/xml"},
    {"woff2", "font/woff2"},
}};

bool EqualsLowerAscii(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != lower[i]) return false;
  }
  return true;
}

}  // namespace

std::string_view ContentTypeFor(std::string_view fileName) {
  std::size_t slash = fileName.find_last_of('/');
  std::string_view base = slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
  std::size_t dot = base.rfind('.');
  if (dot != std::string_view::npos) {
    std::string_view extension = base.substr(dot + 1);
    for (const ExtensionType& row : kTypes) {
      if (EqualsLowerAscii(extension, row.extension)) return row.type;
    }
  }
  return "application/octet-stream";
}

}  // namespace talor

// What the headless HTML page view shows for an address.
//
// - `about:` addresses (`about:blank`, `about:blank#...`): the empty HTML
//   document.
// - `file:` URLs and absolute paths: the local file. A name ending in `.htm`
//   or `.html` (any case), or content that begins like a web page, is an HTML
//   page, decoded to UTF-8 (see DetectHtmlCharset); GIF, JPEG, PNG and BMP
//   files, known by their first bytes, are images ("GIF Image", "JPEG
//   Image", "PNG Image", "Bitmap Image") with no document; anything else is
//   "File", also with no document.
// - A file that cannot be shown gives a small HTML page that says why, in
//   Russian: "Файл не найден: <path>" when it does not exist (or the URL
//   names another host), "Не удалось прочитать файл: <path>" when it is a
//   folder, a device or unreadable, "Файл слишком велик для показа: <path>"
//   for an HTML page over kMaxPageBytes. The view thus always ends a file
//   load with a document the user can read.
// - Every other address (`http:`, `https:`, pseudo-URLs, ...): nothing; the
//   headless view fetches nothing from the network. The document type is
//   empty.

#ifndef TALOR_PLATFORM_PAGE_LOADER_H_
#define TALOR_PLATFORM_PAGE_LOADER_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace talor {

// HTML pages larger than this are not read.
inline constexpr size_t kMaxPageBytes = size_t{64} << 20;

struct LoadedPage {
  std::string documentType;  // kHtmlDocumentType, an image's description, "File" or ""
  bool html = false;         // true: `text` is the page's HTML in UTF-8
  std::string text;
};

LoadedPage LoadPage(std::string_view url);

// ---- the detection rules, one by one
// The description of an image known by its first bytes; empty for others.
std::string_view ImageDocumentType(std::string_view head);
// True when the first bytes, after a byte order mark and blanks, open with a
// tag that only web pages begin with (`<!DOCTYPE HTML`, `<html`, `<head`,
// `<body`, `<title`, `<table`, `<div`, `<p`, `<!--`, ...).
bool LooksLikeHtml(std::string_view head);

struct DetectedCharset {
  std::string name;          // a name the converter knows, e.g. "UTF-8", "windows-1251"
  size_t byteOrderMark = 0;  // bytes of a byte order mark to skip
};
// The character set of an HTML page: its byte order mark, else the first
// `charset=` of a META tag in its first 1024 bytes that names a known
// character set (a UTF-16 name there means UTF-8), else UTF-8 when the bytes
// are valid UTF-8, else Windows-1251.
DetectedCharset DetectHtmlCharset(std::string_view bytes);

// `bytes` in `charset` converted to UTF-8; each byte that cannot be decoded
// becomes U+FFFD. nullopt when the charset is unknown.
std::optional<std::string> DecodeToUtf8(std::string_view bytes, std::string_view charset);

}  // namespace talor

#endif  // TALOR_PLATFORM_PAGE_LOADER_H_

#include "platform/page_loader.h"

#include <errno.h>
#include <iconv.h>

#include <array>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/html_tree.h"
#include "platform/page_address.h"
#include "platform/page_view.h"

namespace talor {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kFileNotFound = "Файл не найден: ";
constexpr std::string_view kFileNotRead = "Не удалось прочитать файл: ";
constexpr std::string_view kFileTooLarge = "Файл слишком велик для показа: ";

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";
constexpr size_t kHeadBytes = 512;
constexpr size_t kMetaScanBytes = 1024;

struct Signature {
  std::string_view magic;
  std::string_view documentType;
};
constexpr std::array<Signature, 5> kImageSignatures = {{
    {"GIF87a", "GIF Image"},
    {"GIF89a", "GIF Image"},
    {"\xFF\xD8\xFF", "JPEG Image"},
    {"\x89PNG\r\n\x1A\n", "PNG Image"},
    {"BM", "Bitmap Image"},
}};

// Tags that a web page may begin with; each must be followed by a blank or
// `>` (the comment opener by anything).
constexpr std::array<std::string_view, 17> kHtmlOpeners = {"<!doctype html",
                                                           "<html",
                                                           "<head",
                                                           "<script",
                                                           "<iframe",
                                                           "<h1",
                                                           "<div",
                                                           "<font",
                                                           "<table",
                                                           "<a",
                                                           "<style",
                                                           "<title",
                                                           "<b",
                                                           "<body",
                                                           "<br",
                                                           "<p",
                                                           "<!--"};

struct ByteOrderMark {
  std::string_view bytes;
  std::string_view charset;
};
constexpr std::array<ByteOrderMark, 3> kByteOrderMarks = {{
    {"\xEF\xBB\xBF", "UTF-8"},
    {"\xFF\xFE", "UTF-16LE"},
    {"\xFE\xFF", "UTF-16BE"},
}};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && LowerAscii(text.substr(0, prefix.size())) == prefix;
}

bool IsKnownCharset(const std::string& name) {
  iconv_t converter = iconv_open("UTF-8", name.c_str());
  if (converter == reinterpret_cast<iconv_t>(-1)) return false;
  iconv_close(converter);
  return true;
}

bool IsUtf8Name(std::string_view name) {
  std::string lower = LowerAscii(name);
  return lower == "utf-8" || lower == "utf8";
}

// The value of the first `charset=` inside the META tag that starts at
// `tag`, lower case; empty when it has none.
std::string MetaCharset(std::string_view tag) {
  size_t at = tag.find("charset");
  if (at == std::string_view::npos) return {};
  at += 7;
  while (at < tag.size() && IsBlank(tag[at])) ++at;
  if (at >= tag.size() || tag[at] != '=') return {};
  ++at;
  while (at < tag.size() && (IsBlank(tag[at]) || tag[at] == '"' || tag[at] == '\'')) ++at;
  size_t end = at;
  while (end < tag.size() &&
         (std::isalnum(static_cast<unsigned char>(tag[end])) || tag[end] == '-' ||
          tag[end] == '_' || tag[end] == '.' || tag[end] == ':')) {
    ++end;
  }
  return std::string(tag.substr(at, end - at));
}

std::string DeclaredCharset(std::string_view bytes) {
  std::string scan = LowerAscii(bytes.substr(0, kMetaScanBytes));
  for (size_t at = scan.find("<meta"); at != std::string::npos; at = scan.find("<meta", at + 5)) {
    size_t end = scan.find('>', at);
    std::string name = MetaCharset(std::string_view(scan).substr(at, end - at));
    if (name.rfind("utf-16", 0) == 0) return "UTF-8";
    if (!name.empty() && IsKnownCharset(name)) return name;
  }
  return {};
}

std::string EscapeText(std::string_view text) {
  std::string escaped;
  for (char c : text) {
    if (c == '&') {
      escaped += "&amp;";
    } else if (c == '<') {
      escaped += "&lt;";
    } else if (c == '>') {
      escaped += "&gt;";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

LoadedPage HtmlPage(std::string text) {
  return LoadedPage{std::string(kHtmlDocumentType), true, std::move(text)};
}

LoadedPage ErrorPage(std::string_view message, std::string_view path) {
  return HtmlPage("<html><head></head><body>" + EscapeText(message) + EscapeText(RepairUtf8(path)) +
                  "</body></html>");
}

std::string DecodeHtml(std::string_view bytes) {
  DetectedCharset charset = DetectHtmlCharset(bytes);
  bytes.remove_prefix(charset.byteOrderMark);
  std::optional<std::string> text = DecodeToUtf8(bytes, charset.name);
  return text ? *std::move(text) : RepairUtf8(bytes);
}

bool HasHtmlExtension(const fs::path& path) {
  std::string extension = LowerAscii(path.extension().string());
  return extension == ".htm" || extension == ".html";
}

LoadedPage LoadFile(const std::string& path) {
  std::error_code error;
  fs::file_status status = fs::status(path, error);
  if (!fs::exists(status)) return ErrorPage(kFileNotFound, path);
  if (!fs::is_regular_file(status)) return ErrorPage(kFileNotRead, path);
  std::ifstream in(path, std::ios::binary);
  if (!in) return ErrorPage(kFileNotRead, path);
  std::string head(kHeadBytes, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<size_t>(in.gcount()));

  bool isHtml = HasHtmlExtension(path);
  if (!isHtml) {
    std::string_view image = ImageDocumentType(head);
    if (!image.empty()) return LoadedPage{std::string(image), false, {}};
    if (!LooksLikeHtml(head)) return LoadedPage{"File", false, {}};
  }
  uintmax_t size = fs::file_size(path, error);
  if (error || size > kMaxPageBytes) return ErrorPage(error ? kFileNotRead : kFileTooLarge, path);
  in.clear();
  in.seekg(0);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() > kMaxPageBytes) return ErrorPage(kFileTooLarge, path);
  return HtmlPage(DecodeHtml(bytes));
}

LoadedPage LoadFileUrl(std::string_view url) {
  std::optional<std::string> path = FileUrlPath(url);
  if (!path) return ErrorPage(kFileNotFound, url);
  // A name that really holds `%XX` is found under its literal spelling.
  std::error_code error;
  if (!fs::exists(*path, error)) {
    std::optional<std::string> literal = FileUrlPath(url, false);
    if (literal && fs::exists(*literal, error)) return LoadFile(*literal);
  }
  return LoadFile(*path);
}

}  // namespace

LoadedPage LoadPage(std::string_view url) {
  std::string scheme = UrlScheme(url);
  if (scheme == "about") return HtmlPage({});
  if (scheme == "file") return LoadFileUrl(url);
  if (scheme.empty() && !url.empty() && url[0] == '/') return LoadFile(std::string(url));
  return LoadedPage{};
}

std::string_view ImageDocumentType(std::string_view head) {
  for (const Signature& signature : kImageSignatures) {
    if (head.substr(0, signature.magic.size()) == signature.magic) return signature.documentType;
  }
  return {};
}

bool LooksLikeHtml(std::string_view head) {
  for (const ByteOrderMark& mark : kByteOrderMarks) {
    if (head.substr(0, mark.bytes.size()) == mark.bytes) {
      head.remove_prefix(mark.bytes.size());
      break;
    }
  }
  while (!head.empty() && IsBlank(head.front())) head.remove_prefix(1);
  for (std::string_view opener : kHtmlOpeners) {
    if (!StartsWithIgnoringCase(head, opener)) continue;
    if (opener == "<!--") return true;
    if (head.size() > opener.size() && (head[opener.size()] == ' ' || head[opener.size()] == '>'))
      return true;
  }
  return false;
}

DetectedCharset DetectHtmlCharset(std::string_view bytes) {
  for (const ByteOrderMark& mark : kByteOrderMarks) {
    if (bytes.substr(0, mark.bytes.size()) == mark.bytes) {
      return DetectedCharset{std::string(mark.charset), mark.bytes.size()};
    }
  }
  std::string declared = DeclaredCharset(bytes);
  if (!declared.empty()) return DetectedCharset{declared, 0};
  return DetectedCharset{IsValidUtf8(bytes) ? "UTF-8" : "windows-1251", 0};
}

std::optional<std::string> DecodeToUtf8(std::string_view bytes, std::string_view charset) {
  if (IsUtf8Name(charset)) return RepairUtf8(bytes);
  iconv_t converter = iconv_open("UTF-8", std::string(charset).c_str());
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string text;
  char buffer[4096];
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  while (true) {
    char* out = buffer;
    size_t outLeft = sizeof buffer;
    // With no input left, a last call with null input flushes a stateful
    // converter.
    size_t done = inLeft > 0 ? iconv(converter, &in, &inLeft, &out, &outLeft)
                             : iconv(converter, nullptr, nullptr, &out, &outLeft);
    text.append(buffer, static_cast<size_t>(out - buffer));
    if (done != static_cast<size_t>(-1)) {
      if (inLeft == 0 && out == buffer) break;
      continue;
    }
    if (errno == E2BIG) continue;
    // An invalid or truncated sequence: replace one byte and go on.
    text += kReplacementCharacter;
    ++in;
    --inLeft;
  }
  iconv_close(converter);
  return text;
}

}  // namespace talor

#include "platform/page_address.h"

#include <vector>

namespace talor {

namespace {

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (IsAsciiDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

// Resolves `.` and `..` in an absolute path (one that begins with `/`); a
// query or fragment after the path is kept as it is.
std::string RemoveDotSegments(std::string_view path) {
  size_t suffixAt = path.find_first_of("?#");
  std::string_view suffix = suffixAt == std::string_view::npos ? "" : path.substr(suffixAt);
  path = path.substr(0, suffixAt);
  std::vector<std::string_view> kept;
  size_t start = 1;
  while (true) {
    size_t slash = path.find('/', start);
    bool last = slash == std::string_view::npos;
    std::string_view segment = path.substr(start, last ? std::string_view::npos : slash - start);
    if (segment == "..") {
      if (!kept.empty()) kept.pop_back();
      if (last) kept.emplace_back();
    } else if (segment == ".") {
      if (last) kept.emplace_back();
    } else {
      kept.push_back(segment);
    }
    if (last) break;
    start = slash + 1;
  }
  std::string resolved;
  for (std::string_view segment : kept) {
    resolved += '/';
    resolved += segment;
  }
  if (resolved.empty()) resolved.push_back('/');
  resolved += suffix;
  return resolved;
}

}  // namespace

std::string UrlScheme(std::string_view url) {
  if (url.empty() || !IsAsciiLetter(url[0])) return {};
  for (size_t k = 1; k < url.size(); ++k) {
    char c = url[k];
    if (c == ':') return Lower(url.substr(0, k));
    if (!IsAsciiLetter(c) && !IsAsciiDigit(c) && c != '+' && c != '-' && c != '.') return {};
  }
  return {};
}

std::optional<std::string> FileUrlPath(std::string_view url, bool decode) {
  if (UrlScheme(url) != "file") return std::nullopt;
  std::string_view rest = url.substr(5);
  rest = rest.substr(0, rest.find_first_of("?#"));
  if (rest.substr(0, 2) == "//") {
    size_t slash = rest.find('/', 2);
    std::string_view host =
        rest.substr(2, slash == std::string_view::npos ? rest.size() : slash - 2);
    if (!host.empty() && Lower(host) != "localhost") return std::nullopt;
    rest = rest.substr(2 + host.size());
  }
  if (rest.empty() || rest[0] != '/') return std::nullopt;
  std::string path = decode ? PercentDecode(rest) : std::string(rest);
  if (path.find('\0') != std::string::npos) return std::nullopt;
  size_t slashes = path.find_first_not_of('/');
  if (slashes == std::string::npos) return std::string("/");
  path.erase(0, slashes - 1);
  return path;
}

std::string PercentDecode(std::string_view text) {
  std::string decoded;
  decoded.reserve(text.size());
  for (size_t k = 0; k < text.size(); ++k) {
    if (text[k] == '%' && k + 2 < text.size() && HexValue(text[k + 1]) >= 0 &&
        HexValue(text[k + 2]) >= 0) {
      decoded += static_cast<char>(HexValue(text[k + 1]) * 16 + HexValue(text[k + 2]));
      k += 2;
    } else {
      decoded += text[k];
    }
  }
  return decoded;
}

std::string ResolveUrl(std::string_view base, std::string_view reference) {
  std::string scheme = UrlScheme(base);
  if (!UrlScheme(reference).empty() || scheme.empty()) return std::string(reference);
  std::string withoutFragment(base.substr(0, base.find('#')));
  if (reference.empty()) return withoutFragment;
  if (reference[0] == '#') return withoutFragment + std::string(reference);
  std::string_view rest = base.substr(scheme.size() + 1);
  if (rest.empty() || rest[0] != '/') return std::string(reference);
  if (reference.substr(0, 2) == "//") return scheme + ":" + std::string(reference);

  size_t pathStart = scheme.size() + 1;
  if (rest.substr(0, 2) == "//") {
    size_t end = rest.find_first_of("/?#", 2);
    pathStart += end == std::string_view::npos ? rest.size() : end;
  }
  std::string origin(base.substr(0, pathStart));
  std::string_view afterOrigin = base.substr(pathStart);
  std::string_view path = afterOrigin.substr(0, afterOrigin.find_first_of("?#"));
  if (reference[0] == '?') return origin + std::string(path) + std::string(reference);
  if (reference[0] == '/') return origin + RemoveDotSegments(reference);
  std::string directory(path.substr(0, path.rfind('/') + 1));
  if (directory.empty()) directory.push_back('/');
  return origin + RemoveDotSegments(directory + std::string(reference));
}

std::string ReplaceQuery(std::string_view url, std::string_view query) {
  size_t hash = url.find('#');
  std::string_view fragment = hash == std::string_view::npos ? "" : url.substr(hash);
  std::string_view head = url.substr(0, hash);
  head = head.substr(0, head.find('?'));
  std::string replaced(head);
  replaced += '?';
  replaced += query;
  replaced += fragment;
  return replaced;
}

}  // namespace talor

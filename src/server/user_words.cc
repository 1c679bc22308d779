#include "server/user_words.h"

#include <algorithm>
#include <cctype>

namespace talor::server {

bool IsValidUserName(std::string_view name) {
  if (name.empty() || name.size() > kMaxUserNameBytes) return false;
  return std::none_of(name.begin(), name.end(), [](char c) {
    unsigned char byte = static_cast<unsigned char>(c);
    return byte <= ' ' || byte == 0x7f;
  });
}

bool IsValidPassword(std::string_view password) {
  return !password.empty() && password.size() <= kMaxPasswordBytes &&
         password.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

std::optional<bool> ParseRights(std::string_view word) {
  if (word == kRightsWrite) return true;
  if (word == kRightsRead) return false;
  return std::nullopt;
}

std::string_view RightsWord(bool canWrite) { return canWrite ? kRightsWrite : kRightsRead; }

std::optional<std::string> ParseWorkstations(std::string_view word) {
  if (word == kAnyWorkstation) return std::string();
  if (word.empty()) return std::nullopt;
  for (size_t i = 0; i < word.size(); ++i) {
    if (!std::isalnum(static_cast<unsigned char>(word[i]))) return std::nullopt;
    if (word.find(word[i], i + 1) != std::string_view::npos) return std::nullopt;
  }
  return std::string(word);
}

std::string WorkstationsWord(std::string_view codes) {
  return codes.empty() ? std::string(kAnyWorkstation) : std::string(codes);
}

}  // namespace talor::server

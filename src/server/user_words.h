// The words that describe a user in users.txt and on the command line of
// `talor-server user`: the name, the password, the workstation codes ("-"
// for any) and the rights ("write" or "read").

#ifndef TALOR_SERVER_USER_WORDS_H_
#define TALOR_SERVER_USER_WORDS_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace talor::server {

inline constexpr size_t kMaxUserNameBytes = 64;
inline constexpr size_t kMaxPasswordBytes = 1024;
inline constexpr std::string_view kAnyWorkstation = "-";
inline constexpr std::string_view kRightsWrite = "write";
inline constexpr std::string_view kRightsRead = "read";

// A name is 1 to kMaxUserNameBytes bytes without blanks or control
// characters: it travels as one protocol line and users.txt separates its
// words by blanks.
bool IsValidUserName(std::string_view name);

// A password is 1 to kMaxPasswordBytes bytes without a line end or a zero
// byte: it travels as one protocol line.
bool IsValidPassword(std::string_view password);

// "write" gives true, "read" false; nullopt for any other word.
std::optional<bool> ParseRights(std::string_view word);
std::string_view RightsWord(bool canWrite);

// "-" gives the empty text (any workstation); otherwise the word itself
// when it is made of distinct letters or digits; nullopt when it is not.
std::optional<std::string> ParseWorkstations(std::string_view word);
// The codes as ParseWorkstations reads them back ("-" for none).
std::string WorkstationsWord(std::string_view codes);

}  // namespace talor::server

#endif  // TALOR_SERVER_USER_WORDS_H_

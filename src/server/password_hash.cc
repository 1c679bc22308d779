#include "server/password_hash.h"

#include <sodium.h>

namespace talor::server {

namespace {

// sodium_init is safe to call from several threads and more than once.
bool SodiumReady() {
  static const bool ready = sodium_init() >= 0;
  return ready;
}

// The library takes the password as a pointer and a length and requires
// the pointer even for no bytes; an empty view may have none.
const char* PasswordBytes(std::string_view password) {
  return password.empty() ? "" : password.data();
}

}  // namespace

std::optional<std::string> HashPassword(std::string_view password) {
  if (!SodiumReady()) return std::nullopt;
  char hash[crypto_pwhash_STRBYTES];
  if (crypto_pwhash_str(hash, PasswordBytes(password), password.size(), kPasswordPasses,
                        kPasswordMemoryBytes) != 0)
    return std::nullopt;
  return std::string(hash);
}

bool VerifyPassword(std::string_view hash, std::string_view password) {
  if (!SodiumReady() || !IsPasswordHash(hash)) return false;
  // The library reads the hash as a terminated string of at most
  // crypto_pwhash_STRBYTES bytes.
  std::string terminated(hash);
  return crypto_pwhash_str_verify(terminated.c_str(), PasswordBytes(password), password.size()) ==
         0;
}

bool IsPasswordHash(std::string_view text) {
  return text.starts_with(crypto_pwhash_argon2id_STRPREFIX) &&
         text.size() < crypto_pwhash_STRBYTES && text.find('\0') == std::string_view::npos;
}

}  // namespace talor::server

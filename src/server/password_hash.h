// Password hashes of the server's users: Argon2id in its self-describing
// text form ("$argon2id$v=19$m=...,t=...,p=...$salt$hash"), so that a stored
// hash carries its own salt and cost settings and stays verifiable when the
// settings below change. docs/server-storage.md explains the choice of cost.

#ifndef TALOR_SERVER_PASSWORD_HASH_H_
#define TALOR_SERVER_PASSWORD_HASH_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace talor::server {

// Cost of a new hash: two passes over 19 MiB. About 30 ms on a small
// two-core machine, so that a login stays fast while every guess still
// costs an attacker that time and memory.
inline constexpr unsigned long long kPasswordPasses = 2;
inline constexpr size_t kPasswordMemoryBytes = size_t{19} << 20;

// A new salted hash of `password`; nullopt when the hash could not be made
// (the library failed to start, or no memory).
std::optional<std::string> HashPassword(std::string_view password);

// True when `password` is the one that `hash` was made from. False for any
// other password and for a `hash` that is not a hash. The comparison takes
// the same time however much of the password matches.
bool VerifyPassword(std::string_view hash, std::string_view password);

// True when `text` has the form of a hash made by HashPassword.
bool IsPasswordHash(std::string_view text);

}  // namespace talor::server

#endif  // TALOR_SERVER_PASSWORD_HASH_H_

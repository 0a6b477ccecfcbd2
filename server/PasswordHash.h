// Passwords kept as Argon2id hashes (libsodium, interactive limits), random session tokens and
// their SHA-256: the server's only cryptography of identification.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace server {

// The longest password accepted, in bytes; a longer one is refused unread.
inline constexpr std::size_t kMaxPasswordBytes = 1024;
// The shortest password a user may be given, in characters.
inline constexpr std::size_t kMinPasswordChars = 8;

// The password's hash in libsodium's self-describing text form (algorithm, limits, salt).
// Raises core::Error when the hash cannot be made (out of memory).
std::string HashPassword(std::string_view password);
// True when the password matches the hash; false for a wrong one or a hash it cannot read.
bool VerifyPassword(const std::string& hash, std::string_view password);
// Verifies the password against a fixed hash of no user, so that an unknown user costs the
// same time as a known one with a wrong password. Always false.
bool VerifyNobody(std::string_view password);

// 32 random bytes as 64 lowercase hexadecimal characters.
std::string NewToken();
// The SHA-256 of the text, as 64 lowercase hexadecimal characters.
std::string Sha256Hex(std::string_view text);

}  // namespace server

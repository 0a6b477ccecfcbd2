// libsodium behind the server's identification: sodium_init runs once, before the first use.
#include "server/PasswordHash.h"

#include <sodium.h>

#include "core/Error.h"

namespace server {
namespace {

void Ready() {
    static const bool ready = sodium_init() >= 0;
    if (!ready) throw core::Error("Não foi possível iniciar a biblioteca de criptografia.");
}

std::string Hex(const unsigned char* bytes, std::size_t size) {
    std::string hex(size * 2 + 1, '\0');
    sodium_bin2hex(hex.data(), hex.size(), bytes, size);
    hex.pop_back();
    return hex;
}

}  // namespace

std::string HashPassword(std::string_view password) {
    Ready();
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, password.data(), password.size(),
                          crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        throw core::Error("Não foi possível calcular o resumo da senha (falta de memória).");
    return hash;
}

bool VerifyPassword(const std::string& hash, std::string_view password) {
    Ready();
    return crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

bool VerifyNobody(std::string_view password) {
    // Made once with the same limits as every stored hash, from a password nobody holds.
    static const std::string nobody = HashPassword(NewToken());
    VerifyPassword(nobody, password);
    return false;
}

std::string NewToken() {
    Ready();
    unsigned char bytes[32];
    randombytes_buf(bytes, sizeof bytes);
    return Hex(bytes, sizeof bytes);
}

std::string Sha256Hex(std::string_view text) {
    Ready();
    unsigned char digest[crypto_hash_sha256_BYTES];
    crypto_hash_sha256(digest, reinterpret_cast<const unsigned char*>(text.data()), text.size());
    return Hex(digest, sizeof digest);
}

}  // namespace server

// Decoding through OpenSSL's base64, which skips blanks and line breaks; the strict alphabet
// check before it refuses them, as a call's argument carries none.
#include "core/Base64.h"

#include <openssl/evp.h>

#include <climits>
#include <memory>
#include <new>

namespace core {
namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=";

struct ContextFree {
    void operator()(EVP_ENCODE_CTX* context) const { EVP_ENCODE_CTX_free(context); }
};

}  // namespace

std::optional<std::string> DecodeBase64(std::string_view text) {
    if (text.size() % 4 != 0 || text.size() > INT_MAX ||
        text.find_first_not_of(kAlphabet) != std::string_view::npos)
        return std::nullopt;
    const std::unique_ptr<EVP_ENCODE_CTX, ContextFree> context(EVP_ENCODE_CTX_new());
    if (!context) throw std::bad_alloc();
    EVP_DecodeInit(context.get());
    std::string out(text.size() / 4 * 3, '\0');
    auto* to = reinterpret_cast<unsigned char*>(out.data());
    int written = 0, last = 0;
    if (EVP_DecodeUpdate(context.get(), to, &written,
                         reinterpret_cast<const unsigned char*>(text.data()),
                         static_cast<int>(text.size())) < 0 ||
        EVP_DecodeFinal(context.get(), to + written, &last) < 0)
        return std::nullopt;
    out.resize(static_cast<std::size_t>(written + last));
    return out;
}

}  // namespace core

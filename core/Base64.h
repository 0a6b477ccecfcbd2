// Base64, how a file travels inside a JSON-RPC call whatever its encoding.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace core {

// The bytes of standard base64 text (padding required, no blanks or line breaks); nullopt for
// anything else.
std::optional<std::string> DecodeBase64(std::string_view text);

}  // namespace core

// UTF-8 helpers the editors need beyond the text functions (platform/text/TextFunctions.h):
// cut a text to a number of characters and drop the last character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/Utf8.h"

namespace platform::detail {

// The first `count` characters of `text`.
inline std::string CutUtf8(std::string_view text, std::size_t count) {
    return std::string(core::Utf8Prefix(text, count));
}

// Drops the last character.
inline void PopUtf8(std::string& text) {
    core::Utf8DropLast(text);
}

}  // namespace platform::detail

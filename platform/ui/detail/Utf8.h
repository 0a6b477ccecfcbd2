// UTF-8 helpers the editors need beyond the text functions (platform/text/TextFunctions.h):
// cut a text to a number of characters and drop the last character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform::detail {

// The first `count` characters of `text`.
inline std::string CutUtf8(std::string_view text, std::size_t count) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (n == count) return std::string(text.substr(0, i));
            ++n;
        }
    }
    return std::string(text);
}

// Drops the last character.
inline void PopUtf8(std::string& text) {
    while (!text.empty()) {
        const auto c = static_cast<unsigned char>(text.back());
        text.pop_back();
        if ((c & 0xC0) != 0x80) break;
    }
}

}  // namespace platform::detail

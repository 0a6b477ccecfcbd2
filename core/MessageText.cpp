// Safe rendering of untrusted text in messages and log lines.
#include "core/MessageText.h"

#include <cstdio>

#include "core/Utf8.h"

namespace core {

std::string Shortened(std::string_view text, std::size_t maxChars) {
    std::string out;
    std::size_t chars = 0;
    char escape[16];
    for (std::size_t i = 0; i < text.size();) {
        if (chars == maxChars) {
            out += "…";
            break;
        }
        const std::size_t start = i;
        char32_t c = 0;
        if (!NextUtf8(text, i, c)) {
            std::snprintf(escape, sizeof escape, "\\x%02X",
                          static_cast<unsigned>(static_cast<unsigned char>(text[start])));
            out += escape;
            i = start + 1;
        } else if (c < 0x20 || c == 0x7F) {
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
            out += escape;
        } else {
            out.append(text.substr(start, i - start));
        }
        ++chars;
    }
    return out;
}

std::string Quoted(std::string_view text, std::size_t maxChars) {
    // Built in place: GCC 12 warns (-Wrestrict) on "'" + std::string at -O2, a false alarm.
    std::string out(1, '\'');
    out += Shortened(text, maxChars);
    out += '\'';
    return out;
}

}  // namespace core

// UTF-8 helpers.
#include "core/Utf8.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cstdint>
#include <limits>

#include "core/Error.h"

namespace core {

bool NextUtf8(std::string_view text, std::size_t& i, char32_t& character) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
        ++i;
        character = b;
        return true;
    }
    int extra = 0;
    std::uint32_t cp = 0;
    if ((b & 0xE0) == 0xC0) {
        extra = 1;
        cp = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
        extra = 2;
        cp = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
        extra = 3;
        cp = b & 0x07;
    } else {
        ++i;
        character = 0xFFFD;
        return false;
    }
    for (int k = 1; k <= extra; ++k) {
        const std::size_t at = i + static_cast<std::size_t>(k);
        if (at >= text.size() || (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80) {
            i = at;
            character = 0xFFFD;
            return false;
        }
        cp = (cp << 6) | (static_cast<unsigned char>(text[at]) & 0x3F);
    }
    i += static_cast<std::size_t>(extra) + 1;
    static constexpr std::uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        character = 0xFFFD;
        return false;
    }
    character = static_cast<char32_t>(cp);
    return true;
}

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    char32_t c = 0;
    while (i < text.size()) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
        } else if (!NextUtf8(text, i, c)) {
            return false;
        }
    }
    return true;
}

std::size_t Utf8Length(std::string_view text) {
    if (!IsValidUtf8(text)) throw Error("O texto não está em UTF-8 válido.");
    std::size_t n = 0;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

std::string_view Utf8Prefix(std::string_view text, std::size_t count) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (n == count) return text.substr(0, i);
            ++n;
        }
    }
    return text;
}

void Utf8DropLast(std::string& text) {
    while (!text.empty()) {
        const auto c = static_cast<unsigned char>(text.back());
        text.pop_back();
        if ((c & 0xC0) != 0x80) break;
    }
}

std::u32string Utf8Decode(std::string_view text) {
    std::u32string out;
    char32_t c = 0;
    for (std::size_t i = 0; i < text.size();) {
        NextUtf8(text, i, c);
        out += c;
    }
    return out;
}

void AppendUtf8(std::string& out, char32_t character) {
    const auto cp = static_cast<std::uint32_t>(character);
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string Utf8Encode(char32_t character) {
    std::string out;
    AppendUtf8(out, character);
    return out;
}

std::string Utf8Encode(std::u32string_view text) {
    std::string out;
    for (const char32_t c : text) AppendUtf8(out, c);
    return out;
}

std::string FoldedForComparison(std::string_view text) {
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw Error("Texto longo demais para comparar.");
    // ASCII has nothing to decompose: most texts compared take this path.
    if (std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; })) {
        std::string out(text);
        for (char& c : out)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        return out;
    }
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
    const icu::UnicodeString source = icu::UnicodeString::fromUTF8(
        icu::StringPiece(text.data(), static_cast<std::int32_t>(text.size())));
    const icu::UnicodeString decomposed =
        U_SUCCESS(status) ? nfd->normalize(source, status) : icu::UnicodeString();
    if (U_FAILURE(status)) throw Error("Falha ao comparar textos: normalização Unicode.");
    icu::UnicodeString folded;
    for (std::int32_t i = 0; i < decomposed.length();) {
        const UChar32 c = decomposed.char32At(i);
        i += U16_LENGTH(c);
        if (u_charType(c) != U_NON_SPACING_MARK) folded.append(u_tolower(c));
    }
    std::string out;
    folded.toUTF8String(out);
    return out;
}

}  // namespace core

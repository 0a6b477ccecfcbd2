// UTF-8, the one encoding of every text: validation, counting characters, cutting at a
// character boundary, decoding and encoding, and folding for comparisons.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace core {

// Reads the character starting at text[i] and moves i past it. A malformed sequence (a stray
// continuation byte, a truncated or overlong sequence, a surrogate, a code point beyond
// U+10FFFF) gives false and moves i past the bytes read.
bool NextUtf8(std::string_view text, std::size_t& i, char32_t& character);

bool IsValidUtf8(std::string_view text);
// Number of characters (code points). Raises core::Error for invalid UTF-8.
std::size_t Utf8Length(std::string_view text);
// The first `count` characters of a valid UTF-8 text (all of it when shorter).
std::string_view Utf8Prefix(std::string_view text, std::size_t count);
// Drops the last character of a valid UTF-8 text; nothing on an empty one.
void Utf8DropLast(std::string& text);
// The characters of the text; a malformed sequence becomes U+FFFD.
std::u32string Utf8Decode(std::string_view text);
std::string Utf8Encode(char32_t character);
std::string Utf8Encode(std::u32string_view text);
void AppendUtf8(std::string& out, char32_t character);
// Lower case without diacritics ("Conta Contábil" gives "conta contabil"): how names a person
// typed are compared. Unicode's canonical decomposition through ICU, its combining marks
// dropped; a malformed sequence becomes U+FFFD.
std::string FoldedForComparison(std::string_view text);

}  // namespace core

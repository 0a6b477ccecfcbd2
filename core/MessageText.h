// Untrusted text inside a message meant for a user: shown in quotes, cut to a few characters,
// with control characters (a NUL included) and invalid UTF-8 made visible instead of passed on.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace core {

// "'text'" with at most `maxChars` characters ("…" marks a cut); a control character shows as
// \u00XX and a byte that is not UTF-8 as \xXX, so the result is always short, valid UTF-8 and
// free of NUL.
std::string Quoted(std::string_view text, std::size_t maxChars = 40);

// The text itself, cut to `maxChars` characters with "…", control characters and invalid bytes
// escaped as in Quoted. For log lines.
std::string Shortened(std::string_view text, std::size_t maxChars);

}  // namespace core

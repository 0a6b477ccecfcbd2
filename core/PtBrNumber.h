// Numbers as Brazilian Portuguese text: "," before the decimals, "." between groups of three.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace core {

inline constexpr char kDecimalSeparator = ',';
inline constexpr char kThousandSeparator = '.';

// The plain form ("-1234.5e3") of a number written with the Brazilian separators: optional
// leading blanks, an optional sign, digits with "." only between complete groups of three
// ("1.234,5" but never "1234.5" or "1.2"), optionally "," and decimals, optionally an exponent
// ("1,5E3"). nullopt for anything else, a trailing blank included.
std::optional<std::string> PlainNumber(std::string_view text);

// Cents as Brazilian text with two decimals: "1.234,50", "-0,07".
std::string CentsText(std::int64_t cents);
// A balance as the screen shows it, credit positive: "1.234,50 CR", "0,07 DB" ("0,00 CR").
std::string BalanceText(std::int64_t cents);

}  // namespace core

// Exact money: amounts are integer cents. One rule takes any amount to cents: round to the
// cent, half away from zero, on the decimal value as written — typed text exactly as typed, a
// double by its shortest text (the text the wire and the screen show for it).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/Decimal.h"

namespace core {

// The largest amount stored: 15 digits with two decimals, 9.999.999.999.999,99.
inline constexpr std::int64_t kMaxCents = 999'999'999'999'999;

// nullopt beyond ±kMaxCents after rounding.
std::optional<std::int64_t> CentsOf(const Decimal& amount);
// nullopt for a value that is not finite or beyond ±kMaxCents.
std::optional<std::int64_t> CentsOf(double amount);
// The double nearest the amount; its shortest text is exactly the amount ("1.01" for 101).
double CentsToDouble(std::int64_t cents);
// The amount rounded to the cent as a double; nullopt as for CentsOf.
std::optional<double> RoundToCents(double amount);

// An amount typed with the Brazilian separators ("1.234,565", "-0,285", "1,5E3").
enum class MoneyTextError { None, NotANumber, OutOfRange };
std::optional<std::int64_t> CentsOfText(std::string_view text, MoneyTextError* error = nullptr);

}  // namespace core

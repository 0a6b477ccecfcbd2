// Decimal digits of numbers, exact: the shortest text of a double, a number written as text,
// and rounding to a number of decimals half away from zero. Money and the number formats
// round through here, so that one rule holds everywhere.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace core {

// value = 0.d1d2d3... × 10^pointPos, with no leading or trailing zero digits; zero has no
// digits and no sign.
struct Decimal {
    std::string digits;
    int pointPos = 0;
    bool negative = false;

    bool IsZero() const { return digits.empty(); }
};

// The shortest decimal that reads back as the same (finite) double.
Decimal ShortestDecimal(double value);
// The (finite) double with `significant` significant digits, the last one rounded to nearest.
Decimal SignificantDecimal(double value, int significant);
// Exactly the number written in plain form: an optional "-" or "+", digits, optionally "."
// and more digits, optionally "e" or "E", a sign and digits. nullopt for anything else.
std::optional<Decimal> ParseDecimal(std::string_view plain);
// Rounds to `decimals` digits after the point, half away from zero: 1.005 -> 1.01,
// -0.285 -> -0.29, 0.004 -> 0.
void RoundHalfAwayFromZero(Decimal& value, int decimals);
// The digit at a position counted from the first digit (0); '0' outside the digits.
char DigitAt(const Decimal& value, int index);

}  // namespace core

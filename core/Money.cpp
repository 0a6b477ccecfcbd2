// Amounts to cents, with the one rounding rule.
#include "core/Money.h"

#include <cmath>

#include "core/PtBrNumber.h"

namespace core {

std::optional<std::int64_t> CentsOf(const Decimal& amount) {
    Decimal d = amount;
    RoundHalfAwayFromZero(d, 2);
    if (d.IsZero()) return 0;
    // Cents are the digits up to two places after the point.
    const int places = d.pointPos + 2;
    if (places > 15) return std::nullopt;
    std::int64_t cents = 0;
    for (int i = 0; i < places; ++i) cents = cents * 10 + (DigitAt(d, i) - '0');
    if (cents > kMaxCents) return std::nullopt;
    return d.negative ? -cents : cents;
}

std::optional<std::int64_t> CentsOf(double amount) {
    if (!std::isfinite(amount)) return std::nullopt;
    return CentsOf(ShortestDecimal(amount));
}

double CentsToDouble(std::int64_t cents) {
    return static_cast<double>(cents) / 100.0;
}

std::optional<double> RoundToCents(double amount) {
    const auto cents = CentsOf(amount);
    if (!cents) return std::nullopt;
    return CentsToDouble(*cents);
}

std::optional<std::int64_t> CentsOfText(std::string_view text, MoneyTextError* error) {
    const auto report = [&](MoneyTextError e) {
        if (error != nullptr) *error = e;
        return std::nullopt;
    };
    const auto plain = PlainNumber(text);
    if (!plain) return report(MoneyTextError::NotANumber);
    const auto decimal = ParseDecimal(*plain);
    if (!decimal) return report(MoneyTextError::NotANumber);
    const auto cents = CentsOf(*decimal);
    if (!cents) return report(MoneyTextError::OutOfRange);
    if (error != nullptr) *error = MoneyTextError::None;
    return cents;
}

}  // namespace core

// Exact decimal digits.
#include "core/Decimal.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace core {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

void Normalize(Decimal& d) {
    std::size_t lead = 0;
    while (lead < d.digits.size() && d.digits[lead] == '0') ++lead;
    d.digits.erase(0, lead);
    d.pointPos -= static_cast<int>(lead);
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    if (d.digits.empty()) {
        d.pointPos = 0;
        d.negative = false;
    }
}

Decimal FromScientific(double value, int significant) {
    Decimal d;
    if (value == 0 || !std::isfinite(value)) return d;
    d.negative = std::signbit(value);
    char buf[64];
    const auto res = significant > 0 ? std::to_chars(buf, buf + sizeof buf, std::fabs(value),
                                                     std::chars_format::scientific, significant - 1)
                                     : std::to_chars(buf, buf + sizeof buf, std::fabs(value),
                                                     std::chars_format::scientific);
    const std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
    const std::size_t e = text.find('e');
    for (const char c : text.substr(0, e))
        if (IsDigit(c)) d.digits += c;
    int exponent = 0;
    std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(),
                    exponent);
    d.pointPos = exponent + 1;
    Normalize(d);
    return d;
}

}  // namespace

Decimal ShortestDecimal(double value) {
    return FromScientific(value, 0);
}

Decimal SignificantDecimal(double value, int significant) {
    return FromScientific(value, significant);
}

std::optional<Decimal> ParseDecimal(std::string_view t) {
    Decimal d;
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) d.negative = t[i++] == '-';
    std::size_t integerDigits = 0, digits = 0;
    for (; i < t.size() && IsDigit(t[i]); ++i, ++integerDigits) d.digits += t[i];
    digits = integerDigits;
    if (i < t.size() && t[i] == '.') {
        ++i;
        for (; i < t.size() && IsDigit(t[i]); ++i, ++digits) d.digits += t[i];
    }
    if (digits == 0) return std::nullopt;
    long long exponent = 0;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        bool negative = false;
        if (i < t.size() && (t[i] == '-' || t[i] == '+')) negative = t[i++] == '-';
        std::size_t expDigits = 0;
        for (; i < t.size() && IsDigit(t[i]); ++i, ++expDigits) {
            // Beyond a billion the number is out of every range anyway; saturate.
            if (exponent < 1'000'000'000) exponent = exponent * 10 + (t[i] - '0');
        }
        if (expDigits == 0) return std::nullopt;
        if (negative) exponent = -exponent;
    }
    if (i != t.size()) return std::nullopt;
    const long long point = static_cast<long long>(integerDigits) + exponent;
    d.pointPos = static_cast<int>(std::clamp(point, -2'000'000'000LL, 2'000'000'000LL));
    Normalize(d);
    return d;
}

void RoundHalfAwayFromZero(Decimal& d, int decimals) {
    const long long keepLong = static_cast<long long>(d.pointPos) + decimals;
    if (keepLong >= static_cast<long long>(d.digits.size())) return;
    if (keepLong < 0) {
        d.digits.clear();
        Normalize(d);
        return;
    }
    const auto keep = static_cast<std::size_t>(keepLong);
    const bool up = d.digits[keep] >= '5';
    d.digits.resize(keep);
    if (up) {
        std::size_t i = keep;
        while (i > 0 && d.digits[i - 1] == '9') d.digits[--i] = '0';
        if (i == 0) {
            d.digits.insert(d.digits.begin(), '1');
            ++d.pointPos;
        } else {
            ++d.digits[i - 1];
        }
    }
    Normalize(d);
}

char DigitAt(const Decimal& d, int index) {
    return index >= 0 && index < static_cast<int>(d.digits.size())
               ? d.digits[static_cast<std::size_t>(index)]
               : '0';
}

}  // namespace core

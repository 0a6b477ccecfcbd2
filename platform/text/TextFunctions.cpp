// Number conversions and UTF-8 helpers with the framework's format settings.
#include "platform/text/TextFunctions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>
#include <vector>

#include "core/Decimal.h"
#include "core/PtBrNumber.h"
#include "core/Utf8.h"
#include "platform/Exceptions.h"
#include "platform/text/FormatSettings.h"

namespace platform {
namespace {

constexpr auto& S = kFormatSettings;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

using core::Decimal;
using core::DigitAt;

Decimal ToDecimal(double value, int significant = 0) {
    return significant > 0 ? core::SignificantDecimal(value, significant)
                           : core::ShortestDecimal(value);
}

std::string Quote(std::string_view text) {
    return "'" + std::string(text) + "'";
}

// One section of a FormatFloat picture.
struct Picture {
    std::string prefix, suffix;
    int intZeros = 0;  // minimum integer digits
    bool grouping = false;
    int decZeros = 0, decMax = 0;
    bool hasDigits = false;
};

Picture ParsePicture(std::string_view section) {
    Picture p;
    bool inDecimals = false, seenPlaceholder = false;
    std::string* literal = &p.prefix;
    for (std::size_t i = 0; i < section.size(); ++i) {
        const char c = section[i];
        if (c == '"' || c == '\'') {
            const std::size_t end = section.find(c, i + 1);
            const std::size_t stop = end == std::string_view::npos ? section.size() : end;
            *literal += section.substr(i + 1, stop - i - 1);
            i = stop;
            continue;
        }
        if (c == '0' || c == '#') {
            seenPlaceholder = p.hasDigits = true;
            literal = &p.suffix;
            if (inDecimals) {
                ++p.decMax;
                if (c == '0') p.decZeros = p.decMax;
            } else if (c == '0' || p.intZeros > 0) {
                ++p.intZeros;
            }
        } else if (c == '.' && !inDecimals) {
            inDecimals = true;
            literal = &p.suffix;
        } else if (c == ',' && !inDecimals) {
            if (seenPlaceholder)
                p.grouping = true;
            else
                *literal += c;
        } else {
            *literal += c;
        }
    }
    return p;
}

std::vector<std::string_view> SplitSections(std::string_view format) {
    std::vector<std::string_view> sections;
    std::size_t start = 0;
    char quote = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ';') {
            sections.push_back(format.substr(start, i - start));
            start = i + 1;
        }
    }
    sections.push_back(format.substr(start));
    return sections;
}

std::string Render(const Picture& p, const Decimal& d, bool minus) {
    std::string out = p.prefix;
    if (minus) out.insert(0, 1, '-');
    if (p.hasDigits) {
        const int intDigits = std::max(d.digits.empty() ? 0 : d.pointPos, p.intZeros);
        std::string integer;
        for (int i = 0; i < intDigits; ++i) {
            const int index = d.pointPos - intDigits + i;
            integer += index < 0 ? '0' : DigitAt(d, index);
        }
        if (p.grouping) {
            std::string grouped;
            for (std::size_t i = 0; i < integer.size(); ++i) {
                if (i > 0 && (integer.size() - i) % 3 == 0) grouped += S.ThousandSeparator;
                grouped += integer[i];
            }
            integer = grouped;
        }
        out += integer;
        std::string decimals;
        for (int i = 0; i < p.decMax; ++i) decimals += DigitAt(d, d.pointPos + i);
        while (static_cast<int>(decimals.size()) > p.decZeros && decimals.back() == '0')
            decimals.pop_back();
        if (!decimals.empty()) out += S.DecimalSeparator + decimals;
    }
    return out + p.suffix;
}

}  // namespace

bool TryStrToInt(std::string_view text, int& value) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const bool hex = i < text.size() && text[i] == '$';
    if (hex) ++i;
    if (i == text.size()) return false;
    long long magnitude = 0;
    const long long limit = negative ? 2147483648LL : 2147483647LL;
    for (; i < text.size(); ++i) {
        const int digit = hex ? HexValue(text[i]) : (IsDigit(text[i]) ? text[i] - '0' : -1);
        if (digit < 0) return false;
        magnitude = magnitude * (hex ? 16 : 10) + digit;
        if (magnitude > limit) return false;
    }
    value = static_cast<int>(negative ? -magnitude : magnitude);
    return true;
}

int StrToInt(std::string_view text) {
    int value = 0;
    if (!TryStrToInt(text, value))
        throw ConversionError(Quote(text) + " não é um valor inteiro válido");
    return value;
}

bool TryStrToFloat(std::string_view text, double& value) {
    const auto plain = core::PlainNumber(text);
    if (!plain) return false;
    double result = 0;
    const auto res = std::from_chars(plain->data(), plain->data() + plain->size(), result);
    if (res.ec != std::errc() || !std::isfinite(result)) return false;
    value = result;
    return true;
}

double StrToFloat(std::string_view text) {
    double value = 0;
    if (!TryStrToFloat(text, value))
        throw ConversionError(Quote(text) + " não é um valor de ponto flutuante válido");
    return value;
}

std::string IntToStr(long long value) {
    return std::to_string(value);
}

std::string FormatFloat(std::string_view format, double value) {
    if (format.empty() || !std::isfinite(value)) return FloatToStr(value);
    const auto sections = SplitSections(format);
    Picture p = ParsePicture(sections[0]);
    Decimal d = ToDecimal(value);
    core::RoundHalfAwayFromZero(d, p.decMax);
    const bool zero = d.digits.empty();
    if (zero && sections.size() >= 3 && !sections[2].empty()) {
        p = ParsePicture(sections[2]);
        return Render(p, Decimal{}, false);
    }
    if (d.negative && !zero && sections.size() >= 2 && !sections[1].empty()) {
        p = ParsePicture(sections[1]);
        d = ToDecimal(std::fabs(value));
        core::RoundHalfAwayFromZero(d, p.decMax);
        return Render(p, d, false);
    }
    return Render(p, d, d.negative && !zero);
}

std::string FloatToStr(double value) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    if (value == 0) return "0";
    const Decimal d = ToDecimal(value, 15);
    std::string out = d.negative ? "-" : "";
    if (d.pointPos > 15 || std::fabs(value) < 0.00001) {
        out += d.digits[0];
        if (d.digits.size() > 1) out += S.DecimalSeparator + d.digits.substr(1);
        return out + "E" + std::to_string(d.pointPos - 1);
    }
    if (d.pointPos <= 0) {
        out += '0';
        out += S.DecimalSeparator;
        out += std::string(static_cast<std::size_t>(-d.pointPos), '0') + d.digits;
        return out;
    }
    for (int i = 0; i < d.pointPos; ++i) out += DigitAt(d, i);
    if (static_cast<int>(d.digits.size()) > d.pointPos)
        out += S.DecimalSeparator + d.digits.substr(static_cast<std::size_t>(d.pointPos));
    return out;
}

std::string TrimLeft(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ') ++i;
    return std::string(text.substr(i));
}

std::string TrimRight(std::string_view text) {
    std::size_t n = text.size();
    while (n > 0 && static_cast<unsigned char>(text[n - 1]) <= ' ') --n;
    return std::string(text.substr(0, n));
}

std::string Trim(std::string_view text) {
    return TrimLeft(TrimRight(text));
}

std::string UpperCase(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string LowerCase(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool IsValidUtf8(std::string_view text) {
    return core::IsValidUtf8(text);
}

std::size_t Utf8Length(std::string_view text) {
    return core::Utf8Length(text);
}

std::u32string Utf8Decode(std::string_view text) {
    return core::Utf8Decode(text);
}

std::string Utf8Encode(char32_t ch) {
    return core::Utf8Encode(ch);
}

std::string Utf8Encode(std::u32string_view text) {
    return core::Utf8Encode(text);
}

}  // namespace platform

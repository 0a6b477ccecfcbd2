// Number conversions and UTF-8 helpers with the framework's format settings.
#include "platform/text/TextFunctions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>
#include <vector>

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

// The decimal digits of |value| and the position of the decimal point relative to them:
// value = 0.d1d2d3... * 10^pointPos. Shortest text that reads back as the same double.
struct Decimal {
    std::string digits;  // no leading zeros; "" for zero
    int pointPos = 0;
    bool negative = false;
};

Decimal ToDecimal(double value, int significant = 0) {
    Decimal d;
    d.negative = std::signbit(value) && value != 0;
    if (value == 0) return d;
    char buf[64];
    const auto res = significant > 0 ? std::to_chars(buf, buf + sizeof buf, std::fabs(value),
                                                     std::chars_format::scientific, significant - 1)
                                     : std::to_chars(buf, buf + sizeof buf, std::fabs(value),
                                                     std::chars_format::scientific);
    const std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
    const std::size_t e = text.find('e');
    for (char c : text.substr(0, e))
        if (IsDigit(c)) d.digits += c;
    int exponent = 0;
    std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(),
                    exponent);
    d.pointPos = exponent + 1;
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    return d;
}

// Rounds to `decimals` digits after the point, half away from zero (on the decimal text).
void RoundDecimal(Decimal& d, int decimals) {
    const int keep = d.pointPos + decimals;
    if (static_cast<int>(d.digits.size()) <= keep) return;
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
    d.digits.resize(static_cast<std::size_t>(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9') {
            d.digits[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i < 0) {
            d.digits.insert(d.digits.begin(), '1');
            ++d.pointPos;
        } else {
            ++d.digits[static_cast<std::size_t>(i)];
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
}

char DigitAt(const Decimal& d, int index) {
    return index >= 0 && index < static_cast<int>(d.digits.size())
               ? d.digits[static_cast<std::size_t>(index)]
               : '0';
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

std::uint32_t DecodeOne(std::string_view text, std::size_t& i, bool& ok) {
    const auto b = static_cast<unsigned char>(text[i]);
    int extra = 0;
    std::uint32_t cp = 0;
    if (b < 0x80) {
        ++i;
        return b;
    } else if ((b & 0xE0) == 0xC0) {
        extra = 1;
        cp = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
        extra = 2;
        cp = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
        extra = 3;
        cp = b & 0x07;
    } else {
        ok = false;
        ++i;
        return 0xFFFD;
    }
    if (i + static_cast<std::size_t>(extra) >= text.size()) {
        ok = false;
        i = text.size();
        return 0xFFFD;
    }
    for (int k = 1; k <= extra; ++k) {
        const auto c = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
        if ((c & 0xC0) != 0x80) {
            ok = false;
            i += static_cast<std::size_t>(k);
            return 0xFFFD;
        }
        cp = (cp << 6) | (c & 0x3F);
    }
    i += static_cast<std::size_t>(extra) + 1;
    static constexpr std::uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) ok = false;
    return cp;
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
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    std::string plain;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') plain += '-';
        ++i;
    }
    // Integer part: digits, with "." only between complete groups of three digits, so that
    // "1.234,5" reads as 1234.5 while "1234.5" or "1.2" are refused instead of misread.
    int digits = 0, sinceGroup = 0;
    bool grouped = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (IsDigit(c)) {
            plain += c;
            ++digits;
            ++sinceGroup;
        } else if (c == S.ThousandSeparator) {
            if (sinceGroup == 0 || (grouped && sinceGroup != 3) || (!grouped && sinceGroup > 3))
                return false;
            grouped = true;
            sinceGroup = 0;
        } else {
            break;
        }
    }
    if (grouped && sinceGroup != 3) return false;
    if (i < text.size() && text[i] == S.DecimalSeparator) {
        plain += '.';
        ++i;
        for (; i < text.size() && IsDigit(text[i]); ++i, ++digits) plain += text[i];
    }
    if (digits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
        int expDigits = 0;
        for (; i < text.size() && IsDigit(text[i]); ++i, ++expDigits) plain += text[i];
        if (expDigits == 0) return false;
    }
    if (i != text.size()) return false;
    double result = 0;
    const auto res = std::from_chars(plain.data(), plain.data() + plain.size(), result);
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
    RoundDecimal(d, p.decMax);
    const bool zero = d.digits.empty();
    if (zero && sections.size() >= 3 && !sections[2].empty()) {
        p = ParsePicture(sections[2]);
        return Render(p, Decimal{}, false);
    }
    if (d.negative && !zero && sections.size() >= 2 && !sections[1].empty()) {
        p = ParsePicture(sections[1]);
        d = ToDecimal(std::fabs(value));
        RoundDecimal(d, p.decMax);
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
    bool ok = true;
    for (std::size_t i = 0; i < text.size() && ok;) DecodeOne(text, i, ok);
    return ok;
}

std::size_t Utf8Length(std::string_view text) {
    if (!IsValidUtf8(text)) throw Error("O texto não está em UTF-8 válido.");
    std::size_t n = 0;
    for (char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

std::u32string Utf8Decode(std::string_view text) {
    std::u32string out;
    bool ok = true;
    for (std::size_t i = 0; i < text.size();) out += static_cast<char32_t>(DecodeOne(text, i, ok));
    return out;
}

std::string Utf8Encode(char32_t ch) {
    std::string out;
    const auto cp = static_cast<std::uint32_t>(ch);
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
    return out;
}

std::string Utf8Encode(std::u32string_view text) {
    std::string out;
    for (char32_t c : text) out += Utf8Encode(c);
    return out;
}

}  // namespace platform

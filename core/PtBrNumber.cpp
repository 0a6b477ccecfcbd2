// The grammar of numbers typed with the Brazilian separators.
#include "core/PtBrNumber.h"

namespace core {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::optional<std::string> PlainNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    std::string plain;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') plain += '-';
        ++i;
    }
    int digits = 0, sinceGroup = 0;
    bool grouped = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (IsDigit(c)) {
            plain += c;
            ++digits;
            ++sinceGroup;
        } else if (c == kThousandSeparator) {
            if (sinceGroup == 0 || (grouped && sinceGroup != 3) || (!grouped && sinceGroup > 3))
                return std::nullopt;
            grouped = true;
            sinceGroup = 0;
        } else {
            break;
        }
    }
    if (grouped && sinceGroup != 3) return std::nullopt;
    if (i < text.size() && text[i] == kDecimalSeparator) {
        plain += '.';
        ++i;
        for (; i < text.size() && IsDigit(text[i]); ++i, ++digits) plain += text[i];
    }
    if (digits == 0) return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
        int expDigits = 0;
        for (; i < text.size() && IsDigit(text[i]); ++i, ++expDigits) plain += text[i];
        if (expDigits == 0) return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;
    return plain;
}

std::string CentsText(std::int64_t cents) {
    // The magnitude in unsigned arithmetic, so that the most negative value has one too.
    std::uint64_t magnitude =
        cents < 0 ? 0 - static_cast<std::uint64_t>(cents) : static_cast<std::uint64_t>(cents);
    const std::string decimals = {static_cast<char>('0' + magnitude / 10 % 10),
                                  static_cast<char>('0' + magnitude % 10)};
    magnitude /= 100;
    std::string integer;
    int digits = 0;
    do {
        if (digits > 0 && digits % 3 == 0) integer.insert(integer.begin(), kThousandSeparator);
        integer.insert(integer.begin(), static_cast<char>('0' + magnitude % 10));
        magnitude /= 10;
        ++digits;
    } while (magnitude > 0);
    return (cents < 0 ? "-" : "") + integer + kDecimalSeparator + decimals;
}

std::string BalanceText(std::int64_t cents) {
    std::string text = CentsText(cents);
    if (cents < 0) return text.substr(1) + " DB";
    return text + " CR";
}

}  // namespace core

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

}  // namespace core

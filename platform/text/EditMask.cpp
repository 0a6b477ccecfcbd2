// Edit masks: parsing the mask text and converting between editor display and field text.
#include "platform/text/EditMask.h"

#include "platform/Exceptions.h"
#include "platform/text/FormatSettings.h"
#include "platform/text/TextFunctions.h"

namespace platform {
namespace {

bool IsAsciiDigit(char32_t c) {
    return c >= U'0' && c <= U'9';
}
// Letters of ASCII and of Latin-1 (accented Portuguese letters), without × and ÷.
bool IsLetter(char32_t c) {
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') ||
           (c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7);
}

char32_t ToUpper(char32_t c) {
    if (c >= U'a' && c <= U'z') return c - 32;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
    return c;
}
char32_t ToLower(char32_t c) {
    if (c >= U'A' && c <= U'Z') return c + 32;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
    return c;
}

}  // namespace

EditMask::EditMask(std::string_view mask) : mask_(mask) {
    if (mask.empty()) return;
    const std::u32string text = Utf8Decode(mask);
    MaskCase currentCase = MaskCase::None;
    std::size_t i = 0;
    auto editable = [&](MaskCharClass cls, bool required) {
        positions_.push_back(MaskPosition{false, 0, cls, required, currentCase});
    };
    auto literal = [&](char32_t c) {
        positions_.push_back(MaskPosition{true, c, MaskCharClass::Any, false, MaskCase::None});
    };
    for (; i < text.size() && text[i] != U';'; ++i) {
        const char32_t c = text[i];
        switch (c) {
            case U'!':
                leadingBlanks_ = true;
                break;
            case U'>':
                currentCase = MaskCase::Upper;
                break;
            case U'<':
                if (i + 1 < text.size() && text[i + 1] == U'>') {
                    currentCase = MaskCase::None;
                    ++i;
                } else {
                    currentCase = MaskCase::Lower;
                }
                break;
            case U'\\':
                if (i + 1 >= text.size())
                    throw Error("Máscara de edição inválida: '" + mask_ + "' termina em \"\\\".");
                literal(text[++i]);
                break;
            case U'0':
                editable(MaskCharClass::Digit, true);
                break;
            case U'9':
                editable(MaskCharClass::Digit, false);
                break;
            case U'#':
                editable(MaskCharClass::DigitOrSign, false);
                break;
            case U'L':
                editable(MaskCharClass::Letter, true);
                break;
            case U'l':
                editable(MaskCharClass::Letter, false);
                break;
            case U'A':
                editable(MaskCharClass::LetterOrDigit, true);
                break;
            case U'a':
                editable(MaskCharClass::LetterOrDigit, false);
                break;
            case U'C':
                editable(MaskCharClass::Any, true);
                break;
            case U'c':
                editable(MaskCharClass::Any, false);
                break;
            case U'/':
                literal(static_cast<char32_t>(kFormatSettings.DateSeparator));
                break;
            case U':':
                literal(static_cast<char32_t>(kFormatSettings.TimeSeparator));
                break;
            case U'_':
                literal(U' ');
                break;
            default:
                literal(c);
                break;
        }
    }
    if (i < text.size()) {
        const std::size_t keepStart = ++i;
        while (i < text.size() && text[i] != U';') ++i;
        const std::u32string keep = text.substr(keepStart, i - keepStart);
        keepLiterals_ = keep != U"0";
        if (i < text.size() && i + 1 < text.size()) blank_ = text[i + 1];
    }
    bool anyEditable = false;
    for (const MaskPosition& p : positions_) anyEditable = anyEditable || !p.Literal;
    if (!anyEditable)
        throw Error("Máscara de edição inválida: '" + mask_ + "' não tem posição editável.");
}

bool EditMask::Accepts(std::size_t position, char32_t ch) const {
    if (position >= positions_.size() || positions_[position].Literal) return false;
    switch (positions_[position].Class) {
        case MaskCharClass::Digit:
            return IsAsciiDigit(ch);
        case MaskCharClass::DigitOrSign:
            return IsAsciiDigit(ch) || ch == U'+' || ch == U'-';
        case MaskCharClass::Letter:
            return IsLetter(ch);
        case MaskCharClass::LetterOrDigit:
            return IsLetter(ch) || IsAsciiDigit(ch);
        case MaskCharClass::Any:
            return ch >= U' ';
    }
    return false;
}

char32_t EditMask::Convert(std::size_t position, char32_t ch) const {
    if (position >= positions_.size()) return ch;
    switch (positions_[position].Case) {
        case MaskCase::Upper:
            return ToUpper(ch);
        case MaskCase::Lower:
            return ToLower(ch);
        case MaskCase::None:
            return ch;
    }
    return ch;
}

std::string EditMask::EmptyDisplay() const {
    std::u32string out;
    for (const MaskPosition& p : positions_) out += p.Literal ? p.LiteralChar : blank_;
    return Utf8Encode(out);
}

std::string EditMask::TextFromDisplay(std::string_view display) const {
    if (Empty()) return std::string(display);
    const std::u32string shown = Utf8Decode(display);
    // The typed character of each position; 0 where the position is blank.
    std::u32string typed(positions_.size(), 0);
    bool any = false;
    for (std::size_t i = 0; i < positions_.size(); ++i) {
        if (positions_[i].Literal || i >= shown.size()) continue;
        const char32_t c = shown[i];
        if (c != blank_ && c != U' ' && Accepts(i, c)) {
            typed[i] = Convert(i, c);
            any = true;
        }
    }
    if (!any) return {};
    // Each run of optional positions keeps its typed characters together: at its end with
    // "!" (blanks lead), at its start without.
    for (std::size_t i = 0; i < positions_.size();) {
        if (positions_[i].Literal || positions_[i].Required) {
            ++i;
            continue;
        }
        std::size_t end = i;
        std::u32string chars;
        while (end < positions_.size() && !positions_[end].Literal && !positions_[end].Required) {
            if (typed[end] != 0) chars += typed[end];
            ++end;
        }
        const std::size_t pad = (end - i) - chars.size();
        for (std::size_t k = i; k < end; ++k) typed[k] = 0;
        const std::size_t start = leadingBlanks_ ? i + pad : i;
        for (std::size_t k = 0; k < chars.size(); ++k) typed[start + k] = chars[k];
        i = end;
    }
    std::u32string text;
    for (std::size_t i = 0; i < positions_.size(); ++i) {
        if (positions_[i].Literal) {
            if (keepLiterals_) text += positions_[i].LiteralChar;
        } else {
            text += typed[i] != 0 ? typed[i] : U' ';
        }
    }
    std::string out = Utf8Encode(text);
    if (!keepLiterals_) out = leadingBlanks_ ? TrimLeft(out) : TrimRight(out);
    return out;
}

std::string EditMask::DisplayFromText(std::string_view textUtf8) const {
    if (Empty()) return std::string(textUtf8);
    const std::u32string text = Utf8Decode(textUtf8);
    std::u32string shown(positions_.size(), blank_);
    for (std::size_t i = 0; i < positions_.size(); ++i)
        if (positions_[i].Literal) shown[i] = positions_[i].LiteralChar;

    auto place = [&](std::size_t from, std::size_t to, std::u32string chars) {
        const std::size_t width = to - from;
        if (chars.size() > width) chars.resize(width);
        const std::size_t start = leadingBlanks_ ? from + (width - chars.size()) : from;
        for (std::size_t k = 0; k < chars.size(); ++k) {
            const std::size_t pos = start + k;
            if (chars[k] != U' ' && Accepts(pos, chars[k])) shown[pos] = Convert(pos, chars[k]);
        }
    };

    if (!keepLiterals_) {
        // The editable positions as one run, ignoring the literals between them.
        std::vector<std::size_t> editable;
        for (std::size_t i = 0; i < positions_.size(); ++i)
            if (!positions_[i].Literal) editable.push_back(i);
        std::u32string chars = text;
        if (chars.size() > editable.size()) chars.resize(editable.size());
        const std::size_t offset = leadingBlanks_ ? editable.size() - chars.size() : 0;
        for (std::size_t k = 0; k < chars.size(); ++k) {
            const std::size_t pos = editable[offset + k];
            if (chars[k] != U' ' && Accepts(pos, chars[k])) shown[pos] = Convert(pos, chars[k]);
        }
        return Utf8Encode(shown);
    }
    // With literals kept, each run of editable positions takes the text up to the literal
    // that follows it, so that "3/2024" fills "!99/0000" as " 3/2024".
    std::size_t t = 0;
    for (std::size_t i = 0; i < positions_.size();) {
        if (positions_[i].Literal) {
            if (t < text.size() && text[t] == positions_[i].LiteralChar) ++t;
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < positions_.size() && !positions_[end].Literal) ++end;
        const char32_t stop = end < positions_.size() ? positions_[end].LiteralChar : 0;
        std::u32string chars;
        while (t < text.size() && (stop == 0 || text[t] != stop)) chars += text[t++];
        place(i, end, chars);
        i = end;
    }
    return Utf8Encode(shown);
}

bool EditMask::IsComplete(std::string_view display) const {
    const std::u32string shown = Utf8Decode(display);
    for (std::size_t i = 0; i < positions_.size(); ++i) {
        if (positions_[i].Literal || !positions_[i].Required) continue;
        if (i >= shown.size() || shown[i] == blank_ || shown[i] == U' ' || !Accepts(i, shown[i]))
            return false;
    }
    return true;
}

std::string EditMask::QtInputMask() const {
    static constexpr std::u32string_view kQtSpecial = U"AaNnXx90Dd#HhBb><!\\[]{}";
    std::u32string out;
    MaskCase currentCase = MaskCase::None;
    for (const MaskPosition& p : positions_) {
        if (p.Literal) {
            if (kQtSpecial.find(p.LiteralChar) != std::u32string_view::npos) out += U'\\';
            out += p.LiteralChar;
            continue;
        }
        if (p.Case != currentCase) {
            out += p.Case == MaskCase::Upper ? U'>' : p.Case == MaskCase::Lower ? U'<' : U'!';
            currentCase = p.Case;
        }
        switch (p.Class) {
            case MaskCharClass::Digit:
                out += p.Required ? U'9' : U'0';
                break;
            case MaskCharClass::DigitOrSign:
                out += U'#';
                break;
            case MaskCharClass::Letter:
                out += p.Required ? U'A' : U'a';
                break;
            case MaskCharClass::LetterOrDigit:
                out += p.Required ? U'N' : U'n';
                break;
            case MaskCharClass::Any:
                out += p.Required ? U'X' : U'x';
                break;
        }
    }
    if (blank_ != U' ') {
        out += U';';
        out += blank_;
    }
    return Utf8Encode(out);
}

}  // namespace platform

// Typing into an edit mask position by position.
#include "platform/ui/detail/MaskedText.h"

#include "platform/text/TextFunctions.h"
#include "platform/ui/detail/Utf8.h"

namespace platform::detail {

MaskedText::MaskedText(std::string_view mask) : mask_(mask) {
    Clear();
}

void MaskedText::SetText(std::string_view text) {
    display_ = Utf8Decode(mask_.DisplayFromText(text));
    display_.resize(mask_.Size(), mask_.BlankChar());
    caret_ = 0;
    for (std::size_t i = 0; i < display_.size(); ++i)
        if (!mask_.Positions()[i].Literal && display_[i] != mask_.BlankChar()) caret_ = i + 1;
}

std::string MaskedText::Display() const {
    std::string out;
    for (char32_t c : display_) out += Utf8Encode(c);
    return out;
}

void MaskedText::Clear() {
    display_ = Utf8Decode(mask_.EmptyDisplay());
    display_.resize(mask_.Size(), mask_.BlankChar());
    caret_ = 0;
}

bool MaskedText::Type(char32_t ch) {
    const auto& positions = mask_.Positions();
    std::size_t p = caret_;
    while (p < positions.size() && positions[p].Literal) {
        if (positions[p].LiteralChar == ch) {
            caret_ = p + 1;
            return true;
        }
        ++p;
    }
    if (p >= positions.size()) return false;
    if (!mask_.Accepts(p, ch)) {
        for (std::size_t q = p; q < positions.size(); ++q) {
            if (positions[q].Literal && positions[q].LiteralChar == ch) {
                caret_ = q + 1;
                return true;
            }
        }
        return false;
    }
    display_[p] = mask_.Convert(p, ch);
    caret_ = p + 1;
    return true;
}

bool MaskedText::Backspace() {
    const auto& positions = mask_.Positions();
    for (std::size_t p = caret_; p > 0;) {
        --p;
        if (positions[p].Literal) continue;
        display_[p] = mask_.BlankChar();
        caret_ = p;
        return true;
    }
    return false;
}

}  // namespace platform::detail

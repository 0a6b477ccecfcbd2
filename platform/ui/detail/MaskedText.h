// MaskedText: what a masked editor holds while the user types: one character per mask
// position (the blank character where nothing is typed) and a caret.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text/EditMask.h"

namespace platform::detail {

class MaskedText {
  public:
    // Raises Error for a malformed mask.
    explicit MaskedText(std::string_view mask);

    // Places a field's or a program's text into the mask; the caret goes after the last
    // typed character.
    void SetText(std::string_view text);
    // The text handed over (blanks as spaces, literals as the mask says, trimmed).
    std::string Text() const { return mask_.TextFromDisplay(Display()); }
    // What the editor shows ("__/____" when empty).
    std::string Display() const;
    // Every position blank, the caret at the start (typing over a selected whole text).
    void Clear();
    // Types one character at the caret, skipping literals; a character that is the next
    // literal jumps past it. False when the mask refuses it.
    bool Type(char32_t ch);
    // Blanks the editable position before the caret; false at the start.
    bool Backspace();

  private:
    EditMask mask_;
    std::u32string display_;
    std::size_t caret_ = 0;
};

}  // namespace platform::detail

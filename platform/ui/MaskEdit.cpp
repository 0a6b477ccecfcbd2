// Masked text entry.
#include "platform/ui/MaskEdit.h"

#include "platform/text/EditMask.h"
#include "platform/text/TextFunctions.h"

namespace platform {

void MaskEdit::SetEditMask(std::string mask) {
    if (mask == mask_) return;
    const platform::EditMask check(mask);
    (void)check;
    mask_ = std::move(mask);
    Changed(Property::EditMask);
}

void MaskEdit::TypeChar(char32_t key) {
    if (mask_.empty() || key < 32) {
        Edit::TypeChar(key);
        return;
    }
    const platform::EditMask mask(mask_);
    // The typed characters so far occupy the first editable positions, literals skipped.
    std::size_t typed = 0;
    for (char32_t ch : Utf8Decode(Text()))
        if (ch != ' ') ++typed;
    std::size_t editable = 0;
    for (std::size_t i = 0; i < mask.Size(); ++i) {
        if (mask.Positions()[i].Literal) continue;
        if (editable++ == typed) {
            if (!mask.Accepts(i, key)) return;
            Edit::TypeChar(mask.Convert(i, key));
            return;
        }
    }
}

}  // namespace platform

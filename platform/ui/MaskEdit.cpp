// The masked edit: typing through the mask.
#include "platform/ui/MaskEdit.h"

namespace platform {

MaskEdit::MaskEdit() = default;
MaskEdit::~MaskEdit() = default;

void MaskEdit::SetEditMask(const std::string& mask) {
    if (mask == editMask_) return;
    auto masked = mask.empty() ? nullptr : std::make_unique<detail::MaskedText>(mask);
    const std::string text = Text();
    editMask_ = mask;
    masked_ = std::move(masked);
    Changed(Property::EditMask);
    if (masked_) masked_->SetText(text);
    Commit();
}

std::string MaskEdit::EditText() const {
    return masked_ ? masked_->Display() : Text();
}

void MaskEdit::SetText(const std::string& text) {
    if (!masked_) {
        Edit::SetText(text);
        return;
    }
    masked_->SetText(text);
    Commit();
}

void MaskEdit::TypeChar(char32_t key) {
    if (!masked_) {
        Edit::TypeChar(key);
        return;
    }
    if (key == 8)
        masked_->Backspace();
    else if (key >= 32)
        masked_->Type(key);
    Commit();
}

void MaskEdit::ClearForTyping() {
    if (!masked_) {
        Edit::ClearForTyping();
        return;
    }
    masked_->Clear();
    Commit();
}

void MaskEdit::Commit() {
    const std::string shown = EditText();
    const bool displayChanged = shown != shown_;
    shown_ = shown;
    const std::string before = Text();
    if (masked_) StoreText(masked_->Text());
    // The display can change while the handed-over text does not ("3_" and "_3" both give
    // " 3"): the renderer still has to hear it.
    if (displayChanged && Text() == before) Changed(Property::Text);
}

}  // namespace platform

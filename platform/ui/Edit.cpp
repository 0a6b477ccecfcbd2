// Text entry: programmatic and typed changes, both firing OnChange.
#include "platform/ui/Edit.h"

#include "platform/text/TextFunctions.h"
#include "platform/ui/detail/Utf8.h"

namespace platform {

void Edit::SetText(const std::string& text) {
    StoreText(maxLength_ > 0 ? detail::CutUtf8(text, maxLength_) : text);
}

void Edit::StoreText(std::string text) {
    if (text == text_) return;
    text_ = std::move(text);
    Changed(Property::Text);
    if (OnChange) OnChange(this);
}

void Edit::SetMaxLength(std::size_t length) {
    if (length == maxLength_) return;
    maxLength_ = length;
    Changed(Property::MaxLength);
}

void Edit::SetReadOnly(bool readOnly) {
    if (readOnly == readOnly_) return;
    readOnly_ = readOnly;
    Changed(Property::ReadOnly);
}

void Edit::UserType(const std::string& text) {
    RequireForm();
    if (!CanFocus()) return;
    RunUserEvent([this, &text] {
        if (!TakeUserFocus()) return;
        for (char32_t key : Utf8Decode(text)) {
            if (OnKeyPress) OnKeyPress(this, key);
            if (key != 0 && !readOnly_) TypeChar(key);
        }
    });
}

void Edit::UserSetText(const std::string& text) {
    RequireForm();
    if (!CanFocus()) return;
    RunUserEvent([this, &text] {
        if (!TakeUserFocus()) return;
        if (!readOnly_) ClearForTyping();
        for (char32_t key : Utf8Decode(text)) {
            if (OnKeyPress) OnKeyPress(this, key);
            if (key != 0 && !readOnly_) TypeChar(key);
        }
    });
}

void Edit::ClearForTyping() {
    StoreText("");
}

void Edit::TypeChar(char32_t key) {
    std::string text = text_;
    if (key == 8) {
        detail::PopUtf8(text);
    } else if (key < 32) {
        return;  // Enter, Tab and other control characters do not enter the text.
    } else {
        if (maxLength_ > 0 && Utf8Length(text) >= maxLength_) return;
        text += Utf8Encode(key);
    }
    StoreText(std::move(text));
}

}  // namespace platform

// Edit: a one-line text entry. Setting the text by code fires OnChange like typing does.
#pragma once

#include <cstddef>
#include <string>

#include "platform/ui/Control.h"

namespace platform {

class Edit : public WinControl {
  public:
    Edit() { SetTabStopDefault(true); }

    const std::string& Text() const { return text_; }
    // Fires OnChange when the text changes. A text longer than MaxLength is cut, as the
    // user could not have typed it either.
    virtual void SetText(const std::string& text);
    // 0 = no limit; counts characters, not bytes.
    std::size_t MaxLength() const { return maxLength_; }
    void SetMaxLength(std::size_t length);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);

    // Input methods. UserType focuses the edit and types each character at the end: every
    // character goes through OnKeyPress first; backspace (8) deletes the last character.
    // UserSetText selects the whole text and types `text` over it. Nothing happens on a
    // disabled or hidden edit; typing into a read-only one changes nothing.
    void UserType(const std::string& text);
    void UserSetText(const std::string& text);

    bool AcceptsFocus() const override { return true; }

    NotifyEvent OnChange;
    KeyPressEvent OnKeyPress;

  protected:
    // Applies one typed character that the key-press handlers let through.
    virtual void TypeChar(char32_t key);
    virtual void ClearForTyping();
    void StoreText(std::string text);

  private:
    std::string text_;
    std::size_t maxLength_ = 0;
    bool readOnly_ = false;
};

}  // namespace platform

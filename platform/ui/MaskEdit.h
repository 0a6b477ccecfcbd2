// MaskEdit: an edit whose text follows an edit mask ("pattern;keep-literals;blank").
// Typed and programmatic changes both fire OnChange.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/Edit.h"
#include "platform/ui/detail/MaskedText.h"

namespace platform {

class MaskEdit : public Edit {
  public:
    MaskEdit();
    ~MaskEdit() override;

    const std::string& EditMask() const { return editMask_; }
    // Raises Error for a malformed mask (the edit keeps its mask). The current text is
    // placed into the new mask.
    void SetEditMask(const std::string& mask);
    // What the editor shows: the mask's display ("__/____"), or the text without a mask.
    std::string EditText() const;

    // Text() is the text handed over by the mask. Setting it places the text into the mask.
    void SetText(const std::string& text) override;

  protected:
    void TypeChar(char32_t key) override;
    void ClearForTyping() override;

  private:
    void Commit();

    std::string editMask_;
    std::unique_ptr<detail::MaskedText> masked_;
    std::string shown_;
};

}  // namespace platform

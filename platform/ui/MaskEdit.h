// MaskEdit: an edit whose typed characters must fit its edit mask. The text is the text the
// mask hands over ("99;0; ": typing 5 gives "5").
#pragma once

#include <string>

#include "platform/ui/Edit.h"

namespace platform {

class MaskEdit : public Edit {
  public:
    MaskEdit() = default;

    const std::string& EditMask() const { return mask_; }
    // Raises Error for a malformed mask (the edit keeps its mask).
    void SetEditMask(std::string mask);

  protected:
    // A typed character that the next editable position does not accept is dropped; so is
    // one beyond the mask's last editable position.
    void TypeChar(char32_t key) override;

  private:
    std::string mask_;
};

}  // namespace platform

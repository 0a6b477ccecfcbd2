// ToolButton: a tool-bar button. It never takes the focus, so clicking it leaves the focus
// (and any grid editor) where it was.
#pragma once

#include "platform/ui/Control.h"

namespace platform {

class ToolButton : public Control {
  public:
    ToolButton() = default;

    // Input method: the user clicks the button; nothing happens when it is disabled or
    // hidden.
    void Click();

    NotifyEvent OnClick;
};

}  // namespace platform

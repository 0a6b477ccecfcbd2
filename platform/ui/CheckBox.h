// CheckBox: a two-state box. Any change of its state, by the user or by code, runs OnClick.
#pragma once

#include "platform/ui/Control.h"

namespace platform {

class CheckBox : public WinControl {
  public:
    CheckBox() { SetTabStopDefault(true); }

    bool Checked() const { return checked_; }
    // Runs OnClick when the state changes; errors of the handler propagate.
    void SetChecked(bool checked);

    // Input method: a click on the box. Focuses it (a refused focus move ends the click),
    // then flips the state. Nothing happens on a disabled or hidden box.
    void UserToggle();

    bool AcceptsFocus() const override { return true; }

    NotifyEvent OnClick;

  private:
    bool checked_ = false;
};

}  // namespace platform

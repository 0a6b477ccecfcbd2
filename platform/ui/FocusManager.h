// FocusManager: the one keeper of a form's input focus. Moves run the exit events of what is
// left (innermost first) and the enter events of what is entered (outermost first).
#pragma once

#include <vector>

namespace platform {

class Control;
class Form;
class WinControl;

class FocusManager {
  public:
    explicit FocusManager(Form& form) : form_(form) {}

    Control* Focused() const { return focused_; }

    // Moves the focus to `target` (null clears it). Leaving: the focused control's exit, then
    // the exits of the containers left, innermost first. Entering: the enters of the
    // containers entered, outermost first, then the target's. What a handler raises stops
    // the move and propagates; the focus stays where the handler put it (a focus request
    // made during the exits), else on the control being left. A request made by a handler
    // while a move completes normally is carried out right after it.
    void MoveTo(Control* target);

    // The control a Tab (or Shift+Tab) from the focused control reaches; null when none.
    Control* NextTabStop(bool backward) const;
    // The first control that takes the focus inside `container` in tab order; null if none.
    static Control* FirstTabStop(const WinControl& container);

    // `control` is going away: the focus no longer points at it.
    void Forget(const Control* control);

  private:
    static void CollectTabStops(const WinControl& container, std::vector<Control*>& out);
    void SetFocused(Control* control);

    Form& form_;
    Control* focused_ = nullptr;
    bool moving_ = false;
    bool redirected_ = false;
    Control* redirect_ = nullptr;
};

}  // namespace platform

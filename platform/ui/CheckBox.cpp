// The check box's state changes and click.
#include "platform/ui/CheckBox.h"

namespace platform {

void CheckBox::SetChecked(bool checked) {
    if (checked == checked_) return;
    checked_ = checked;
    Changed(Property::Checked);
    if (OnClick) OnClick(this);
}

void CheckBox::UserToggle() {
    RequireForm();
    if (!CanFocus()) return;
    RunUserEvent([this] {
        if (TakeUserFocus()) SetChecked(!checked_);
    });
}

}  // namespace platform

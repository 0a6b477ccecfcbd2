// The tool button's click.
#include "platform/ui/ToolButton.h"

namespace platform {

void ToolButton::Click() {
    RequireForm();
    if (!Usable()) return;
    RunUserEvent([this] {
        if (OnClick) OnClick(this);
    });
}

}  // namespace platform

// The tool button's click, key and picture.
#include "platform/ui/ToolButton.h"

#include "platform/ui/ShortCut.h"

namespace platform {

void ToolButton::Click() {
    RequireForm();
    if (!Usable()) return;
    RunUserEvent([this] {
        if (OnClick) OnClick(this);
    });
}

void ToolButton::SetShortCut(std::string_view shortCut) {
    std::string normal = NormalizeShortCut(shortCut);
    if (normal == shortCut_) return;
    shortCut_ = std::move(normal);
    Changed(Property::ShortCut);
}

void ToolButton::SetImageName(std::string name) {
    if (name == imageName_) return;
    imageName_ = std::move(name);
    Changed(Property::ImageName);
}

}  // namespace platform

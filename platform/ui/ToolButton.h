// ToolButton: a tool-bar button. It never takes the focus, so clicking it leaves the focus
// (and any grid editor) where it was.
#pragma once

#include <string>
#include <string_view>

#include "platform/ui/Control.h"

namespace platform {

class ToolButton : public Control {
  public:
    ToolButton() = default;

    // Input method: the user clicks the button; nothing happens when it is disabled or
    // hidden.
    void Click();

    // The key of the command the button runs, shown with its hint; the button does not bind
    // it (the command's menu entry does). Normalised as a menu entry's; "" for none.
    const std::string& ShortCut() const { return shortCut_; }
    void SetShortCut(std::string_view shortCut);
    // The picture, as an icon-theme name ("list-add", "document-save"); "" for text only.
    const std::string& ImageName() const { return imageName_; }
    void SetImageName(std::string name);

    NotifyEvent OnClick;

  private:
    std::string shortCut_;
    std::string imageName_;
};

}  // namespace platform

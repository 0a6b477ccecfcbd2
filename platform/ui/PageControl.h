// PageControl and TabSheet: pages of controls of which one, the active page, is shown.
#pragma once

#include <vector>

#include "platform/ui/Control.h"

namespace platform {

class PageControl;

// A page; its parent must be a page control. Its controls show only while it is active.
class TabSheet : public WinControl {
  public:
    TabSheet() = default;

    PageControl* Pages() const;
    bool IsShownOnParent() const override;
};

class PageControl : public WinControl {
  public:
    PageControl() { SetTabStopDefault(true); }

    // The tab sheets among the children, in the order they were added.
    std::vector<TabSheet*> Pages() const;
    TabSheet* ActivePage() const;
    // By code any page of this control may be made active, a disabled one too. When the
    // focus is on the page being hidden it moves to the first tab stop of the new page (or
    // to the page control); a refused move leaves the old page active and propagates.
    void SetActivePage(TabSheet* page);

    // Input method: the user clicks the page's tab. A disabled or unknown page is not
    // selected. Runs OnChange after a change.
    void UserSelectPage(TabSheet* page);

    bool AcceptsFocus() const override { return true; }

    NotifyEvent OnChange;

  protected:
    // The first page added becomes the active one.
    void ControlAdded(Control* control) override;

  private:
    TabSheet* active_ = nullptr;
};

}  // namespace platform

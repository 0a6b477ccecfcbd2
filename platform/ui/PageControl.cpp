// Page switching, and what it does to the focus.
#include "platform/ui/PageControl.h"

#include <algorithm>

#include "platform/Exceptions.h"
#include "platform/ui/Form.h"

namespace platform {

PageControl* TabSheet::Pages() const {
    return dynamic_cast<PageControl*>(Parent());
}

bool TabSheet::IsShownOnParent() const {
    const PageControl* pages = Pages();
    return Visible() && pages != nullptr && pages->ActivePage() == this;
}

std::vector<TabSheet*> PageControl::Pages() const {
    std::vector<TabSheet*> pages;
    for (Control* c : Controls())
        if (auto* page = dynamic_cast<TabSheet*>(c)) pages.push_back(page);
    return pages;
}

TabSheet* PageControl::ActivePage() const {
    // A page that was moved elsewhere or freed no longer counts.
    const auto pages = Pages();
    if (std::find(pages.begin(), pages.end(), active_) == pages.end()) return nullptr;
    return active_;
}

void PageControl::SetActivePage(TabSheet* page) {
    if (page != nullptr && page->Parent() != this)
        throw Error("A página \"" + page->Name() + "\" não pertence a \"" + Name() + "\"");
    TabSheet* old = ActivePage();
    if (page == old) return;
    Form* form = ParentForm();
    Control* focused = form != nullptr ? form->ActiveControl() : nullptr;
    const bool focusOnOld = old != nullptr && focused != nullptr && old->Contains(focused);
    active_ = page;
    Changed(Property::ActivePage);
    if (!focusOnOld) return;
    Control* next = page != nullptr ? FocusManager::FirstTabStop(*page) : nullptr;
    if (next != nullptr && !next->CanFocus()) next = nullptr;
    if (next == nullptr && CanFocus()) next = this;
    try {
        form->Focus().MoveTo(next);
    } catch (...) {
        if (form->ActiveControl() != nullptr && old->Contains(form->ActiveControl())) {
            active_ = old;
            Changed(Property::ActivePage);
        }
        throw;
    }
}

void PageControl::ControlAdded(Control* control) {
    auto* page = dynamic_cast<TabSheet*>(control);
    if (page != nullptr && ActivePage() == nullptr) SetActivePage(page);
}

void PageControl::UserSelectPage(TabSheet* page) {
    RequireForm();
    if (page == nullptr || page->Parent() != this || !page->Enabled() || !Usable()) return;
    if (page == ActivePage()) return;
    RunUserEvent([this, page] {
        SetActivePage(page);
        if (ActivePage() == page && OnChange) OnChange(this);
    });
}

}  // namespace platform

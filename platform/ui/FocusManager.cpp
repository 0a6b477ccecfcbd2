// The focus move and tab order of a form.
#include "platform/ui/FocusManager.h"

#include <algorithm>

#include "platform/app/Application.h"
#include "platform/ui/Control.h"
#include "platform/ui/Form.h"

namespace platform {
namespace {

// The control and its containers, innermost first, the form left out.
std::vector<Control*> Chain(Control* control) {
    std::vector<Control*> chain;
    for (Control* c = control; c != nullptr && dynamic_cast<Form*>(c) == nullptr; c = c->Parent())
        chain.push_back(c);
    return chain;
}

bool In(const std::vector<Control*>& chain, const Control* c) {
    return std::find(chain.begin(), chain.end(), c) != chain.end();
}

}  // namespace

void FocusManager::MoveTo(Control* target) {
    if (moving_) {
        redirected_ = true;
        redirect_ = target;
        return;
    }
    if (target == focused_) return;
    Control* const from = focused_;
    const std::vector<Control*> left = Chain(from);
    const std::vector<Control*> entered = Chain(target);

    moving_ = true;
    redirected_ = false;
    redirect_ = nullptr;
    bool leaving = true;
    try {
        for (Control* c : left)
            if (!In(entered, c)) c->DoExit();
        leaving = false;
        // A handler may have disabled or hidden the target on the way out.
        if (target != nullptr && !target->CanFocus()) {
            moving_ = false;
            return;
        }
        SetFocused(target);
        for (auto it = entered.rbegin(); it != entered.rend(); ++it)
            if (!In(left, *it)) (*it)->DoEnter();
    } catch (...) {
        moving_ = false;
        if (leaving && redirected_ && (redirect_ == nullptr || redirect_->CanFocus()))
            SetFocused(redirect_);
        redirected_ = false;
        throw;
    }
    moving_ = false;
    if (redirected_) {
        redirected_ = false;
        MoveTo(redirect_);
    }
}

void FocusManager::SetFocused(Control* control) {
    if (control == focused_) return;
    focused_ = control;
    form_.App().Notify({AppEvent::FocusMoved, &form_, control, Property::Name});
}

void FocusManager::CollectTabStops(const WinControl& container, std::vector<Control*>& out) {
    for (Control* child : container.TabOrdered()) {
        if (!child->IsShownOnParent() || !child->Enabled()) continue;
        if (child->AcceptsFocus() && child->TabStop()) out.push_back(child);
        if (auto* inner = dynamic_cast<WinControl*>(child)) CollectTabStops(*inner, out);
    }
}

Control* FocusManager::FirstTabStop(const WinControl& container) {
    std::vector<Control*> stops;
    CollectTabStops(container, stops);
    return stops.empty() ? nullptr : stops.front();
}

Control* FocusManager::NextTabStop(bool backward) const {
    std::vector<Control*> stops;
    CollectTabStops(form_, stops);
    if (stops.empty()) return nullptr;
    auto it = std::find(stops.begin(), stops.end(), focused_);
    if (it == stops.end()) return backward ? stops.back() : stops.front();
    const auto n = static_cast<std::ptrdiff_t>(stops.size());
    std::ptrdiff_t i = it - stops.begin();
    i = backward ? (i + n - 1) % n : (i + 1) % n;
    return stops[static_cast<std::size_t>(i)];
}

void FocusManager::Forget(const Control* control) {
    if (focused_ == control) focused_ = nullptr;
    if (redirect_ == control) {
        redirect_ = nullptr;
        redirected_ = false;
    }
}

}  // namespace platform

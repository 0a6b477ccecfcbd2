// Parent tree, shared properties and focus entry points of controls.
#include "platform/ui/Control.h"

#include <algorithm>

#include "platform/Exceptions.h"
#include "platform/app/Application.h"
#include "platform/ui/FocusManager.h"
#include "platform/ui/Form.h"

namespace platform {

Control::~Control() {
    if (Form* form = ParentForm()) form->Focus().Forget(this);
    if (parent_ != nullptr) std::erase(parent_->controls_, this);
}

void Control::SetParent(WinControl* parent) {
    if (parent == parent_) return;
    for (const Control* c = parent; c != nullptr; c = c->parent_)
        if (c == this) throw Error("Ciclo na árvore de controles");
    if (parent_ != nullptr) std::erase(parent_->controls_, this);
    parent_ = parent;
    if (parent_ != nullptr) {
        tabOrder_ = static_cast<int>(parent_->controls_.size());
        parent_->controls_.push_back(this);
    }
    Changed(Property::Parent);
    if (parent_ != nullptr) parent_->ControlAdded(this);
}

void Control::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Changed(Property::Enabled);
}

void Control::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    Changed(Property::Visible);
}

void Control::SetCaption(std::string caption) {
    if (caption == caption_) return;
    caption_ = std::move(caption);
    Changed(Property::Caption);
}

void Control::SetHint(std::string hint) {
    if (hint == hint_) return;
    hint_ = std::move(hint);
    Changed(Property::Hint);
}

void Control::SetHelpContext(int context) {
    if (context == helpContext_) return;
    helpContext_ = context;
    Changed(Property::HelpContext);
}

void Control::SetFontBold(bool bold) {
    if (bold == fontBold_) return;
    fontBold_ = bold;
    Changed(Property::FontBold);
}

void Control::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    Changed(Property::Bounds);
}

void Control::SetAlign(Align align) {
    if (align == align_) return;
    align_ = align;
    Changed(Property::Align);
}

void Control::SetTabOrder(int order) {
    if (order == tabOrder_) return;
    tabOrder_ = order;
    Changed(Property::TabOrder);
}

void Control::SetTabStop(bool stop) {
    if (stop == tabStop_) return;
    tabStop_ = stop;
    Changed(Property::TabStop);
}

Form* Control::ParentForm() const {
    for (const Control* c = this; c != nullptr; c = c->parent_)
        if (auto* form = dynamic_cast<Form*>(const_cast<Control*>(c))) return form;
    return nullptr;
}

Form& Control::RequireForm() const {
    Form* form = ParentForm();
    if (form == nullptr) throw Error("O controle \"" + Name() + "\" não está em um formulário");
    return *form;
}

bool Control::Showing() const {
    for (const Control* c = this; c != nullptr; c = c->parent_)
        if (!c->IsShownOnParent()) return false;
    return ParentForm() != nullptr;
}

bool Control::EnabledInChain() const {
    for (const Control* c = this; c != nullptr; c = c->parent_)
        if (!c->enabled_) return false;
    return true;
}

bool Control::Focused() const {
    const Form* form = ParentForm();
    return form != nullptr && form->ActiveControl() == this;
}

void Control::SetFocus() {
    Form& form = RequireForm();
    if (!CanFocus())
        throw Error("Não é possível dar o foco a um controle desabilitado ou invisível");
    form.Focus().MoveTo(this);
}

void Control::UserFocus() {
    RequireForm();
    if (!CanFocus()) return;
    RunUserEvent([this] { TakeUserFocus(); });
}

bool Control::TakeUserFocus() {
    if (!AcceptsFocus()) return true;
    Form& form = RequireForm();
    form.Focus().MoveTo(this);
    return form.ActiveControl() == this;
}

void Control::RunUserEvent(const std::function<void()>& action) {
    RequireForm().App().RunEvent(action);
}

WinControl::~WinControl() {
    DestroyComponents();
    for (Control* child : controls_) child->parent_ = nullptr;
}

std::vector<Control*> WinControl::TabOrdered() const {
    std::vector<Control*> ordered = controls_;
    std::stable_sort(ordered.begin(), ordered.end(), [](const Control* a, const Control* b) {
        return a->TabOrder() < b->TabOrder();
    });
    return ordered;
}

bool WinControl::Contains(const Control* control) const {
    for (const Control* c = control; c != nullptr; c = c->Parent())
        if (c == this) return true;
    return false;
}

void WinControl::DoEnter() {
    if (OnEnter) OnEnter(this);
}

void WinControl::DoExit() {
    if (OnExit) OnExit(this);
}

}  // namespace platform

// Forms: showing, activation, window state, closing and release.
#include "platform/ui/Form.h"

#include "platform/app/Application.h"
#include "platform/ui/Menu.h"

namespace platform {

Form::Form(Application& app) : app_(app), focus_(*this) {
    SetVisibleDefault(false);
}

Form::~Form() {
    DestroyComponents();
    app_.FormDestroyed(*this);
}

void Form::SetFormStyle(FormStyle style) {
    if (style == style_) return;
    style_ = style;
    Changed(Property::FormStyle);
}

void Form::SetWindowState(WindowState state) {
    if (state == windowState_) return;
    windowState_ = state;
    Changed(Property::WindowState);
    app_.Notify({AppEvent::WindowStateChanged, this});
}

void Form::SetMenu(MainMenu* menu) {
    if (menu == menu_) return;
    menu_ = menu;
    Changed(Property::Menu);
}

void Form::Show() {
    if (!Visible()) {
        SetVisible(true);
        app_.Notify({AppEvent::FormShown, this});
        if (OnShow) OnShow(this);
    }
    BringToFront();
    if (!everShown_) {
        everShown_ = true;
        if (ActiveControl() == nullptr) {
            if (Control* first = FocusManager::FirstTabStop(*this)) focus_.MoveTo(first);
        }
    }
}

void Form::Hide() {
    if (!Visible()) return;
    SetVisible(false);
    app_.FormHidden(*this);
}

void Form::BringToFront() {
    if (Visible()) app_.Activate(*this);
}

bool Form::Active() const {
    return app_.ActiveForm() == this;
}

void Form::Close() {
    CloseAction action = style_ == FormStyle::MDIChild ? CloseAction::Minimize : CloseAction::Hide;
    if (OnClose) OnClose(this, action);
    switch (action) {
        case CloseAction::None:
            break;
        case CloseAction::Hide:
            Hide();
            break;
        case CloseAction::Minimize:
            SetWindowState(WindowState::Minimized);
            break;
        case CloseAction::Free:
            Hide();
            Release();
            break;
    }
}

void Form::Release() {
    app_.ScheduleRelease(*this);
}

void Form::UserClose() {
    app_.RunEvent([this] { Close(); });
}

void Form::UserActivate() {
    if (!Visible()) return;
    app_.RunEvent([this] { BringToFront(); });
}

void Form::UserTab(bool backward) {
    if (!Visible()) return;
    app_.RunEvent([this, backward] {
        if (Control* current = ActiveControl(); current != nullptr && current->TabWithin(backward))
            return;
        if (Control* next = focus_.NextTabStop(backward)) focus_.MoveTo(next);
    });
}

void Form::UserSetWindowState(WindowState state) {
    if (!Visible()) return;
    app_.RunEvent([this, state] { SetWindowState(state); });
}

void Form::DoCreate() {
    if (OnCreate) OnCreate(this);
}

void Form::DoActivate() {
    if (OnActivate) OnActivate(this);
}

}  // namespace platform

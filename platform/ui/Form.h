// Form: a top-level window created through the application, which owns it. Holds the focus
// manager, the window state and the create/show/activate/close events.
#pragma once

#include <functional>
#include <memory>

#include "platform/ui/Control.h"
#include "platform/ui/FocusManager.h"

namespace platform {

class Application;
class MainMenu;

enum class FormStyle { Normal, MDIChild };
enum class WindowState { Normal, Minimized, Maximized };
enum class CloseAction { None, Hide, Free, Minimize };

using CloseEvent = std::function<void(Component* sender, CloseAction& action)>;

class Form : public WinControl {
  public:
    explicit Form(Application& app);
    ~Form() override;

    Application& App() const { return app_; }
    Form* ParentForm() const override { return const_cast<Form*>(this); }
    bool IsShownOnParent() const override { return Visible(); }

    FormStyle Style() const { return style_; }
    void SetFormStyle(FormStyle style);
    WindowState State() const { return windowState_; }
    void SetWindowState(WindowState state);
    MainMenu* Menu() const { return menu_; }
    void SetMenu(MainMenu* menu);

    // Shows the form (OnShow when it was hidden) and brings it forward, which activates it
    // (OnActivate when it was not the active form). The first show gives the focus to the
    // first tab stop, with its enter events.
    void Show();
    void Hide();
    // Puts the form in front of the others and activates it.
    void BringToFront();
    bool Active() const;
    // Runs OnClose with the style's default action (a multi-document child minimises, any
    // other form hides); the handler may change it. Free hides and releases the form.
    void Close();
    // Schedules the form's destruction once the event under way has finished.
    void Release();

    Control* ActiveControl() const { return focus_.Focused(); }
    FocusManager& Focus() { return focus_; }

    // Input methods: the user closes the window, clicks on it, presses Tab (Shift+Tab), or
    // uses the window buttons.
    void UserClose();
    void UserActivate();
    void UserTab(bool backward = false);
    void UserSetWindowState(WindowState state);

    NotifyEvent OnCreate;
    NotifyEvent OnShow;
    NotifyEvent OnActivate;
    CloseEvent OnClose;

    // Run by the application.
    void DoCreate();
    void DoActivate();

  private:
    Application& app_;
    FocusManager focus_;
    FormStyle style_ = FormStyle::Normal;
    WindowState windowState_ = WindowState::Normal;
    MainMenu* menu_ = nullptr;
    bool everShown_ = false;
};

}  // namespace platform

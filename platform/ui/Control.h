// Control: a component placed on a parent container, with the properties every visible
// control shares; WinControl: a control that contains others and can hold the focus.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/Component.h"
#include "platform/ui/Events.h"

namespace platform {

class WinControl;
class Application;

enum class Align { None, Top, Bottom, Left, Right, Client };

class Control : public Component {
  public:
    ~Control() override;

    WinControl* Parent() const { return parent_; }
    // Raises when `parent` is this control or one of its children.
    void SetParent(WinControl* parent);

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);
    const std::string& Hint() const { return hint_; }
    void SetHint(std::string hint);
    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int context);
    bool FontBold() const { return fontBold_; }
    void SetFontBold(bool bold);

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetBounds(int left, int top, int width, int height);
    void SetLeft(int left) { SetBounds(left, top_, width_, height_); }
    void SetTop(int top) { SetBounds(left_, top, width_, height_); }
    void SetWidth(int width) { SetBounds(left_, top_, width, height_); }
    void SetHeight(int height) { SetBounds(left_, top_, width_, height); }
    Align GetAlign() const { return align_; }
    void SetAlign(Align align);

    // Position among the parent's tab stops; ties keep the order the controls were added in.
    int TabOrder() const { return tabOrder_; }
    void SetTabOrder(int order);
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool stop);

    Form* ParentForm() const override;
    // The parent form; raises when the control is not placed on one.
    Form& RequireForm() const;

    // Visible itself and on every container up to the form, the form shown.
    bool Showing() const;
    // Enabled itself and on every container up to the form.
    bool EnabledInChain() const;
    // A user could act on it: showing and enabled.
    bool Usable() const { return Showing() && EnabledInChain(); }
    bool CanFocus() const { return AcceptsFocus() && Usable(); }
    bool Focused() const;

    // Gives the focus by code, running the exit and enter events; raises when the control
    // cannot take the focus or a handler raises.
    void SetFocus();
    // Input method: what a user's click into the control runs. Does nothing on a control
    // that cannot take the focus; errors of the handlers are reported.
    void UserFocus();

    // Run by the focus manager as the focus leaves or enters this control.
    virtual void DoEnter() {}
    virtual void DoExit() {}
    // Whether the control takes the focus at all (edits, grids, ...; not labels or buttons).
    virtual bool AcceptsFocus() const { return false; }
    // Whether the parent's children are shown; a tab sheet hides them unless it is active.
    virtual bool IsShownOnParent() const { return visible_; }
    // A Tab pressed while the control has the focus; true when the control used it itself
    // (a grid moving between its cells), false to let the focus move on.
    virtual bool TabWithin(bool /*backward*/) { return false; }

  protected:
    Control() = default;
    // Runs `action` as the event of an input method: errors go to the application's report.
    void RunUserEvent(const std::function<void()>& action);
    // Moves the focus here as a user's click does; false when it did not arrive.
    bool TakeUserFocus();
    void SetTabStopDefault(bool stop) { tabStop_ = stop; }
    void SetVisibleDefault(bool visible) { visible_ = visible; }

  private:
    friend class WinControl;
    WinControl* parent_ = nullptr;
    bool enabled_ = true;
    bool visible_ = true;
    std::string caption_;
    std::string hint_;
    int helpContext_ = 0;
    bool fontBold_ = false;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    Align align_ = Align::None;
    int tabOrder_ = 0;
    bool tabStop_ = false;
};

class WinControl : public Control {
  public:
    ~WinControl() override;

    const std::vector<Control*>& Controls() const { return controls_; }
    // Children ordered by tab order (ties in the order they were added).
    std::vector<Control*> TabOrdered() const;
    bool Contains(const Control* control) const;

    NotifyEvent OnEnter;
    NotifyEvent OnExit;
    void DoEnter() override;
    void DoExit() override;

  protected:
    WinControl() = default;
    // A control was placed on this container.
    virtual void ControlAdded(Control* /*control*/) {}

  private:
    friend class Control;
    std::vector<Control*> controls_;
};

}  // namespace platform

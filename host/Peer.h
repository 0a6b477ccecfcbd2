// Peer: the Qt widget that draws one framework control. The control owns the state; the peer
// mirrors it from change notifications and hands user actions to the control's input methods.
#pragma once

#include <QObject>
#include <QSize>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Control.h"
#include "platform/ui/Property.h"

class QWidget;

namespace host {

class Shell;

QString ToQt(const std::string& text);
std::string FromQt(const QString& text);
// What a field with this edit mask expects, in the user's words ("Mês no formato MM/AAAA."),
// or "" when the mask says it well enough itself.
QString MaskHint(const std::string& editMask);

class Peer {
  public:
    Peer(Shell& shell, platform::Control& control, QWidget* widget);
    virtual ~Peer() = default;
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;

    platform::Control& Control() const { return control_; }
    // The outermost widget, placed and sized on the parent's area.
    QWidget* Widget() const { return widget_; }
    // The widget that takes the Qt focus when the framework focuses the control.
    virtual QWidget* FocusWidget() const { return widget_; }
    // Where the peers of the control's children are placed; null for a control without any.
    virtual QWidget* ChildArea() const { return nullptr; }
    // Every widget through which the user acts on the control (focus and keys are watched).
    virtual std::vector<QWidget*> InputWidgets() const { return {FocusWidget()}; }
    // Whether the control takes this Tab itself (a grid moving between its cells) instead of
    // the form moving the focus on.
    virtual bool WantsTab(bool /*backward*/) const { return false; }
    // Whether the control's click input method moves the focus itself (check box, radio
    // group): a mouse press then leaves the focus move to the click, so it runs once.
    virtual bool ClickFocuses() const { return false; }
    // What the user should know while typing here (how a value is signed, which key opens
    // a look-up), shown in the status line while the control has the focus; "" for nothing.
    virtual QString InputHint() const { return {}; }
    // The form a value typed here must take ("MM/AAAA"), said beside a refusal; "" for none.
    virtual QString ExpectedForm() const { return InputHint(); }
    // The control's value was just refused: its text is selected so that typing replaces it.
    virtual void Refused() {}
    // Lays the control out for `designed` size within `room` pixels of width (fewer columns
    // when the designed ones do not fit) and returns the size it then takes; an invalid
    // size when it keeps the designed one.
    virtual QSize Fitted(const QSize& /*designed*/, int /*room*/) { return {}; }
    // A child's peer was made with ChildArea() as its parent (a page control makes it a tab).
    virtual void ChildAdded(Peer& /*child*/) {}

    // Mirrors one property of the control; the base handles what every control shares.
    virtual void Update(platform::Property property);
    // Mirrors every property (after creation).
    virtual void UpdateAll();
    // Places the children's widgets by their alignment and bounds, as the framework does:
    // top, bottom, left and right ones take the edges in that order, a client one the rest.
    void ArrangeChildren();

  protected:
    // The receiver of the peer's Qt connections: they end with the peer, even when its
    // widgets outlive it until their deferred deletion.
    QObject* Context() const { return context_.get(); }
    Shell& shell_;

  private:
    platform::Control& control_;
    QWidget* widget_;
    std::unique_ptr<QObject> context_ = std::make_unique<QObject>();
};

}  // namespace host

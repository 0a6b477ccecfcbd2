// The peer of a form: a child window of the main window's multi-document area (or a
// top-level window for a form that is not a multi-document child).
#pragma once

#include <QMdiSubWindow>

#include <memory>

#include "host/ButtonPeers.h"
#include "host/Peer.h"
#include "platform/ui/Form.h"

class QVBoxLayout;

namespace host {

class ArrangingFrame;

class FormPeer : public Peer {
  public:
    FormPeer(Shell& shell, platform::Form& form);
    ~FormPeer() override;

    platform::Form& GetForm() const { return form_; }
    QWidget* ChildArea() const override;
    // The window as placed in the multi-document area (null for a top-level form).
    QMdiSubWindow* SubWindow() const { return sub_; }
    // The window that carries the form: the sub-window, or the top-level frame.
    QWidget* Window() const;
    // The form's main menu, as a menu bar at the top of the window (null without one).
    MenuBarPeer* MenuBar() const { return menu_.get(); }
    // Mirrors a change of the main menu or of one of its entries.
    void MenuChanged(const platform::Component& component, platform::Property property);

    void Update(platform::Property property) override;
    void UpdateAll() override;
    void ShowWindowState();
    void ShowMenu();
    void Present();
    void Hidden();

    // Where a child window of `size` goes in an area of `area`: the remembered place
    // `saved` when it is still wholly inside, else centred; never larger than the area.
    static QRect Placement(const QSize& size, const QRect& area, const QRect& saved);

  private:
    // Sizes and places the child window wholly inside the multi-document area.
    void Place();
    // Where a window of its own goes: `wanted`, moved and shrunk onto the display.
    QRect OnScreen(const QRect& wanted) const;
    // Remembers the child window's place for the next time the form opens.
    void RememberPlace() const;
    QString SettingsKey() const;

    class FormWindow;
    platform::Form& form_;
    QMdiSubWindow* sub_ = nullptr;
    QVBoxLayout* layout_;
    ArrangingFrame* area_;
    std::unique_ptr<MenuBarPeer> menu_;
};

}  // namespace host

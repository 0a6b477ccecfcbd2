// Peers of buttons and of the form's main menu.
#pragma once

#include <QObject>
#include <unordered_map>

#include "host/Peer.h"

class QAction;
class QMenu;
class QMenuBar;
class QToolButton;

namespace platform {
class Component;
class MainMenu;
class MenuItem;
class ToolButton;
}  // namespace platform

namespace host {

class ToolButtonPeer : public Peer {
  public:
    ToolButtonPeer(Shell& shell, platform::ToolButton& button, QWidget* parent);
    void Update(platform::Property property) override;

  private:
    platform::ToolButton& button_;
    QToolButton* tool_;
};

// The form's main menu as a menu bar: one QAction per entry, triggering the entry's Click.
class MenuBarPeer {
  public:
    MenuBarPeer(platform::MainMenu& menu, QWidget* parent);
    QMenuBar* Bar() const { return bar_; }
    // Mirrors a change of an entry (caption, enabled, visible) or of the entry list.
    void Update(const platform::Component& component, platform::Property property);
    QAction* ActionOf(const platform::MenuItem* item) const;

  private:
    void Rebuild();
    void AddItem(platform::MenuItem& item, QMenu* into);
    void ShowItem(const platform::MenuItem& item);

    platform::MainMenu& menu_;
    QMenuBar* bar_;
    std::unordered_map<const platform::MenuItem*, QAction*> actions_;
};

}  // namespace host

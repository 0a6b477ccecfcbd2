// Peers of buttons and of the form's main menu.
#pragma once

#include <QObject>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/Peer.h"

class QAction;
class QObject;
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

// The text of a shortcut as the user reads it ("Ctrl+N").
QString KeyText(const std::string& shortCut);

// A tool button: its picture (theme name, bundled fallback) beside its name; the tooltip
// names the command and its key.
class ToolButtonPeer : public Peer {
  public:
    ToolButtonPeer(Shell& shell, platform::ToolButton& button, QWidget* parent);
    void Update(platform::Property property) override;
    void UpdateAll() override;

  private:
    platform::ToolButton& button_;
    QToolButton* tool_;
};

// The form's main menu as a menu bar: one QAction per entry, triggering the entry's Click, with
// the entry's key bound while the focus is on the form; a menu with nothing to show is hidden.
class MenuBarPeer {
  public:
    // `parent` is the form's window: the bar's parent and where the entries' keys live.
    MenuBarPeer(platform::MainMenu& menu, QWidget* parent);
    ~MenuBarPeer();
    MenuBarPeer(const MenuBarPeer&) = delete;
    MenuBarPeer& operator=(const MenuBarPeer&) = delete;
    QMenuBar* Bar() const { return bar_; }
    // Mirrors a change of an entry (caption, key, enabled, visible) or of the entry list.
    void Update(const platform::Component& component, platform::Property property);
    QAction* ActionOf(const platform::MenuItem* item) const;

  private:
    void Clear();
    void Rebuild();
    void AddItem(platform::MenuItem& item, QMenu* into);
    void ShowItem(const platform::MenuItem& item);
    static bool Shown(const platform::MenuItem& item);

    platform::MainMenu& menu_;
    QMenuBar* bar_;
    QWidget* window_;
    std::unordered_map<const platform::MenuItem*, QAction*> actions_;
    std::vector<QObject*> made_;
};

}  // namespace host

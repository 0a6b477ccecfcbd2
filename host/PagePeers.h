// Peer of the page control: a tab widget whose pages are the tab sheets' peers.
#pragma once

#include <QTabWidget>

#include "host/Peer.h"

namespace platform {
class PageControl;
}

namespace host {

class PageControlPeer : public Peer {
  public:
    PageControlPeer(Shell& shell, platform::PageControl& pages, QWidget* parent);
    QWidget* ChildArea() const override { return tabs_; }
    void ChildAdded(Peer& child) override;
    void Update(platform::Property property) override;
    void UpdateAll() override;
    // Mirrors a sheet's caption, enabled state or visibility on its tab.
    void UpdateTab(Peer& sheet);
    QTabWidget* Tabs() const { return tabs_; }

  private:
    void ShowActivePage();

    platform::PageControl& pages_;
    QTabWidget* tabs_;
};

}  // namespace host

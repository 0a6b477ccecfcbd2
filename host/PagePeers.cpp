// Page control peer: a tab click is the framework's page selection; Qt shows its active page.
#include "host/PagePeers.h"

#include <QTabBar>

#include "host/Shell.h"
#include "platform/ui/PageControl.h"

namespace host {

PageControlPeer::PageControlPeer(Shell& shell, platform::PageControl& pages, QWidget* parent)
    : Peer(shell, pages, new QTabWidget(parent)),
      pages_(pages),
      tabs_(static_cast<QTabWidget*>(Widget())) {
    tabs_->setDocumentMode(false);
    QObject::connect(tabs_, &QTabWidget::currentChanged, Context(), [this](int index) {
        if (shell_.Syncing() || index < 0) return;
        const auto sheets = pages_.Pages();
        if (index < static_cast<int>(sheets.size()))
            pages_.UserSelectPage(sheets[static_cast<size_t>(index)]);
        ShowActivePage();
    });
}

void PageControlPeer::ChildAdded(Peer& child) {
    Shell::SyncGuard guard(shell_);
    const auto sheets = pages_.Pages();
    const auto at = std::find(sheets.begin(), sheets.end(), &child.Control());
    if (at == sheets.end()) return;
    tabs_->insertTab(static_cast<int>(at - sheets.begin()), child.Widget(),
                     ToQt(child.Control().Caption()));
    UpdateTab(child);
    ShowActivePage();
}

void PageControlPeer::UpdateTab(Peer& sheet) {
    const int index = tabs_->indexOf(sheet.Widget());
    if (index < 0) return;
    tabs_->setTabText(index, ToQt(sheet.Control().Caption()));
    tabs_->setTabEnabled(index, sheet.Control().Enabled());
    tabs_->setTabVisible(index, sheet.Control().Visible());
}

void PageControlPeer::UpdateAll() {
    Peer::UpdateAll();
    ShowActivePage();
}

void PageControlPeer::Update(platform::Property property) {
    if (property == platform::Property::ActivePage) {
        ShowActivePage();
        return;
    }
    Peer::Update(property);
}

void PageControlPeer::ShowActivePage() {
    platform::TabSheet* active = pages_.ActivePage();
    Peer* peer = shell_.PeerOf(active);
    if (peer == nullptr) return;
    Shell::SyncGuard guard(shell_);
    tabs_->setCurrentWidget(peer->Widget());
}

}  // namespace host

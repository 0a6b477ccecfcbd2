// Tool button and menu bar peers.
#include "host/ButtonPeers.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>

#include "platform/ui/Menu.h"
#include "platform/ui/ToolButton.h"

namespace host {

ToolButtonPeer::ToolButtonPeer(Shell& shell, platform::ToolButton& button, QWidget* parent)
    : Peer(shell, button, new QToolButton(parent)),
      button_(button),
      tool_(static_cast<QToolButton*>(Widget())) {
    tool_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    tool_->setAutoRaise(true);
    QObject::connect(tool_, &QToolButton::clicked, Context(), [this] { button_.Click(); });
}

void ToolButtonPeer::Update(platform::Property property) {
    if (property == platform::Property::Caption || property == platform::Property::Hint) {
        // A button without a caption shows its hint, the only name the form gives it.
        tool_->setText(ToQt(button_.Caption().empty() ? button_.Hint() : button_.Caption()));
        if (button_.Hint().empty()) tool_->setToolTip(ToQt(button_.Caption()).remove('&'));
    }
    Peer::Update(property);
}

MenuBarPeer::MenuBarPeer(platform::MainMenu& menu, QWidget* parent)
    : menu_(menu), bar_(new QMenuBar(parent)) {
    bar_->setObjectName(ToQt(menu.Name()));
    Rebuild();
}

QAction* MenuBarPeer::ActionOf(const platform::MenuItem* item) const {
    const auto found = actions_.find(item);
    return found == actions_.end() ? nullptr : found->second;
}

void MenuBarPeer::Rebuild() {
    bar_->clear();
    actions_.clear();
    for (platform::MenuItem* item : menu_.Items()) AddItem(*item, nullptr);
}

void MenuBarPeer::AddItem(platform::MenuItem& item, QMenu* into) {
    QAction* action = nullptr;
    if (!item.Items().empty()) {
        QMenu* sub = into != nullptr ? into->addMenu(ToQt(item.Caption()))
                                     : bar_->addMenu(ToQt(item.Caption()));
        action = sub->menuAction();
        for (platform::MenuItem* child : item.Items()) AddItem(*child, sub);
    } else if (item.IsSeparator()) {
        action = into != nullptr ? into->addSeparator() : bar_->addSeparator();
    } else {
        action = new QAction(ToQt(item.Caption()), bar_);
        if (into != nullptr)
            into->addAction(action);
        else
            bar_->addAction(action);
        platform::MenuItem* entry = &item;
        QObject::connect(action, &QAction::triggered, bar_, [entry] { entry->Click(); });
    }
    action->setObjectName(ToQt(item.Name()));
    actions_[&item] = action;
    ShowItem(item);
}

void MenuBarPeer::ShowItem(const platform::MenuItem& item) {
    QAction* action = ActionOf(&item);
    if (action == nullptr) return;
    if (!item.IsSeparator()) action->setText(ToQt(item.Caption()));
    action->setEnabled(item.Enabled());
    action->setVisible(item.Visible());
}

void MenuBarPeer::Update(const platform::Component& component, platform::Property property) {
    if (property == platform::Property::Items) {
        Rebuild();
        return;
    }
    if (const auto* item = dynamic_cast<const platform::MenuItem*>(&component)) ShowItem(*item);
}

}  // namespace host

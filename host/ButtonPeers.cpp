// Tool button and menu bar peers.
#include "host/ButtonPeers.h"

#include <QAction>
#include <QIcon>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>

#include "host/Shell.h"
#include "platform/ui/Menu.h"
#include "platform/ui/ToolButton.h"

namespace host {

QString KeyText(const std::string& shortCut) {
    return QKeySequence::fromString(ToQt(shortCut), QKeySequence::PortableText)
        .toString(QKeySequence::NativeText);
}

QIcon CommandIcon(const std::string& name) {
    if (name.empty()) return {};
    // The desktop's theme first; the shell's own picture where the theme has none.
    return QIcon::fromTheme(ToQt(name), QIcon(":/icons/" + ToQt(name) + ".svg"));
}

ToolButtonPeer::ToolButtonPeer(Shell& shell, platform::ToolButton& button, QWidget* parent)
    : Peer(shell, button, new QToolButton(parent)),
      button_(button),
      tool_(static_cast<QToolButton*>(Widget())) {
    tool_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    tool_->setIconSize(QSize(16, 16));
    tool_->setAutoRaise(true);
    QObject::connect(tool_, &QToolButton::clicked, Context(), [this] { button_.Click(); });
}

void ToolButtonPeer::UpdateAll() {
    Peer::UpdateAll();
    Update(platform::Property::ImageName);
    Update(platform::Property::ShortCut);
}

void ToolButtonPeer::Update(platform::Property property) {
    using platform::Property;
    switch (property) {
        case Property::Caption:
        case Property::Hint:
        case Property::ShortCut: {
            // A button without a caption shows its hint, the only name the form gives it.
            const QString name =
                ToQt(button_.Caption().empty() ? button_.Hint() : button_.Caption());
            tool_->setText(name);
            QString tip = button_.Hint().empty() ? QString(name).remove('&') : ToQt(button_.Hint());
            if (!button_.ShortCut().empty()) tip += " (" + KeyText(button_.ShortCut()) + ")";
            tool_->setToolTip(tip);
            break;
        }
        case Property::ImageName:
            tool_->setIcon(CommandIcon(button_.ImageName()));
            if (Control().Parent() != nullptr) {
                if (Peer* parent = shell_.PeerOf(Control().Parent())) parent->ArrangeChildren();
            }
            break;
        default:
            Peer::Update(property);
            break;
    }
}

MenuBarPeer::MenuBarPeer(platform::MainMenu& menu, QWidget* parent)
    : menu_(menu), bar_(new QMenuBar(parent)), window_(parent) {
    bar_->setObjectName(ToQt(menu.Name()));
    Rebuild();
}

MenuBarPeer::~MenuBarPeer() {
    Clear();
}

QAction* MenuBarPeer::ActionOf(const platform::MenuItem* item) const {
    const auto found = actions_.find(item);
    return found == actions_.end() ? nullptr : found->second;
}

void MenuBarPeer::Clear() {
    // The entries' keys live on the form's window: the old ones go at once; the objects go
    // later, since an entry being triggered may be what changed the menu.
    for (const auto& [item, action] : actions_) {
        if (window_ != nullptr) window_->removeAction(action);
    }
    bar_->clear();
    for (QObject* made : made_) made->deleteLater();
    made_.clear();
    actions_.clear();
}

void MenuBarPeer::Rebuild() {
    Clear();
    for (platform::MenuItem* item : menu_.Items()) AddItem(*item, nullptr);
    for (platform::MenuItem* item : menu_.Items()) ShowItem(*item);
}

void MenuBarPeer::AddItem(platform::MenuItem& item, QMenu* into) {
    QAction* action = nullptr;
    if (!item.Items().empty()) {
        auto* sub = new QMenu(ToQt(item.Caption()), bar_);
        made_.push_back(sub);
        if (into != nullptr)
            into->addMenu(sub);
        else
            bar_->addMenu(sub);
        action = sub->menuAction();
        for (platform::MenuItem* child : item.Items()) AddItem(*child, sub);
    } else if (item.IsSeparator()) {
        action = into != nullptr ? into->addSeparator() : bar_->addSeparator();
    } else {
        action = new QAction(ToQt(item.Caption()), bar_);
        made_.push_back(action);
        if (into != nullptr)
            into->addAction(action);
        else
            bar_->addAction(action);
        // The key works while the focus is anywhere on this form, and only there.
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        if (window_ != nullptr) window_->addAction(action);
        platform::MenuItem* entry = &item;
        QObject::connect(action, &QAction::triggered, bar_, [entry] { entry->Click(); });
    }
    action->setObjectName(ToQt(item.Name()));
    actions_[&item] = action;
    ShowItem(item);
}

// A menu with no entry to show is not shown either (an empty "Exibir").
bool MenuBarPeer::Shown(const platform::MenuItem& item) {
    if (!item.Visible()) return false;
    if (item.Items().empty()) return !item.IsSeparator();
    for (const platform::MenuItem* child : item.Items())
        if (Shown(*child)) return true;
    return false;
}

void MenuBarPeer::ShowItem(const platform::MenuItem& item) {
    QAction* action = ActionOf(&item);
    if (action == nullptr) return;
    if (!item.IsSeparator()) action->setText(ToQt(item.Caption()));
    action->setEnabled(item.Enabled());
    action->setVisible(item.IsSeparator() ? item.Visible() : Shown(item));
    if (item.Items().empty() && !item.IsSeparator()) {
        action->setShortcut(
            QKeySequence::fromString(ToQt(item.ShortCut()), QKeySequence::PortableText));
        QString tip = ToQt(item.Caption()).remove('&');
        if (!item.ShortCut().empty()) tip += " (" + KeyText(item.ShortCut()) + ")";
        action->setToolTip(tip);
    }
    // The menus above may have gained or lost their last shown entry.
    if (const platform::MenuItem* parent = item.ParentItem()) {
        if (QAction* above = ActionOf(parent)) above->setVisible(Shown(*parent));
    }
}

void MenuBarPeer::Update(const platform::Component& component, platform::Property property) {
    if (property == platform::Property::Items) {
        Rebuild();
        return;
    }
    if (const auto* item = dynamic_cast<const platform::MenuItem*>(&component)) ShowItem(*item);
}

}  // namespace host

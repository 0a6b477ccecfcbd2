// Check box and radio group peers.
#include "host/ChoicePeers.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>

#include "host/Shell.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/RadioGroup.h"

namespace host {

AskingRadioButton::AskingRadioButton(const QString& text, QWidget* parent)
    : QRadioButton(text, parent) {
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (onClick) onClick();
    });
}

void AskingRadioButton::Show(bool checked) {
    // An exclusive button refuses to be unchecked while it is the checked one.
    setAutoExclusive(false);
    setChecked(checked);
    setAutoExclusive(true);
}

void AskingRadioButton::keyPressEvent(QKeyEvent* event) {
    const bool modified = (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) != 0;
    switch (modified ? 0 : event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Up:
            if (onStep) onStep(true);
            return;
        case Qt::Key_Right:
        case Qt::Key_Down:
            if (onStep) onStep(false);
            return;
        default:
            QRadioButton::keyPressEvent(event);
    }
}

CheckBoxPeer::CheckBoxPeer(Shell& shell, platform::CheckBox& box, QWidget* parent)
    : Peer(shell, box, new AskingCheckBox(parent)),
      box_(box),
      check_(static_cast<AskingCheckBox*>(Widget())) {
    check_->onClick = [this] {
        box_.UserToggle();
        Update(platform::Property::Checked);
    };
}

void CheckBoxPeer::UpdateAll() {
    Peer::UpdateAll();
    Update(platform::Property::Checked);
}

void CheckBoxPeer::Update(platform::Property property) {
    if (property == platform::Property::Caption) check_->setText(ToQt(box_.Caption()));
    if (property == platform::Property::Checked) check_->setChecked(box_.Checked());
    Peer::Update(property);
}

RadioGroupPeer::RadioGroupPeer(Shell& shell, platform::RadioGroup& group, QWidget* parent)
    : Peer(shell, group, new QGroupBox(parent)),
      group_(group),
      box_(static_cast<QGroupBox*>(Widget())),
      grid_(new QGridLayout(box_)) {
    box_->setFocusPolicy(Qt::NoFocus);
    grid_->setContentsMargins(8, 2, 8, 2);
}

QWidget* RadioGroupPeer::FocusWidget() const {
    const int index = group_.ItemIndex();
    if (index >= 0 && index < static_cast<int>(buttons_.size()))
        return buttons_[static_cast<size_t>(index)];
    return buttons_.empty() ? static_cast<QWidget*>(box_) : buttons_.front();
}

void RadioGroupPeer::UpdateAll() {
    Peer::UpdateAll();
    RebuildItems();
}

void RadioGroupPeer::Update(platform::Property property) {
    using platform::Property;
    switch (property) {
        case Property::Caption:
            box_->setTitle(ToQt(group_.Caption()));
            break;
        case Property::Items:
        case Property::Columns:
            RebuildItems();
            break;
        case Property::ItemIndex:
            ShowItemIndex();
            break;
        default:
            Peer::Update(property);
            break;
    }
}

void RadioGroupPeer::RebuildItems() {
    for (AskingRadioButton* button : buttons_) delete button;
    buttons_.clear();
    const auto& items = group_.Items();
    const int count = static_cast<int>(items.size());
    const int columns = std::max(1, group_.Columns());
    const int rows = std::max(1, (count + columns - 1) / columns);
    for (int i = 0; i < count; ++i) {
        auto* button = new AskingRadioButton(ToQt(items[static_cast<size_t>(i)]), box_);
        button->setFocusPolicy(Qt::ClickFocus);
        button->onClick = [this, i] {
            group_.UserSelect(i);
            ShowItemIndex();
        };
        button->onStep = [this](bool backward) {
            group_.UserStep(backward);
            ShowItemIndex();
            // The focus goes with the chosen item, as in every radio group.
            if (platform::Form* form = group_.ParentForm()) shell_.SyncFocus(*form);
        };
        grid_->addWidget(button, i % rows, i / rows);
        shell_.Watch(button, this);
        buttons_.push_back(button);
    }
    for (int c = 0; c < columns; ++c) grid_->setColumnStretch(c, 1);
    ShowItemIndex();
}

QString RadioGroupPeer::InputHint() const {
    return QStringLiteral("As setas escolhem a opção.");
}

void RadioGroupPeer::ShowItemIndex() {
    for (int i = 0; i < static_cast<int>(buttons_.size()); ++i)
        buttons_[static_cast<size_t>(i)]->Show(i == group_.ItemIndex());
}

}  // namespace host

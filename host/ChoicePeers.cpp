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
      grid_(nullptr) {
    box_->setFocusPolicy(Qt::NoFocus);
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
        shell_.Watch(button, this);
        buttons_.push_back(button);
    }
    LayOut(std::max(1, group_.Columns()));
    ShowItemIndex();
}

void RadioGroupPeer::LayOut(int columns) {
    // A fresh grid: one emptied of its cells would keep their rows and columns.
    delete grid_;
    grid_ = new QGridLayout(box_);
    grid_->setContentsMargins(8, 2, 8, 2);
    const int count = static_cast<int>(buttons_.size());
    const int rows = std::max(1, (count + columns - 1) / columns);
    for (int i = 0; i < count; ++i)
        grid_->addWidget(buttons_[static_cast<size_t>(i)], i % rows, i / rows);
    for (int c = 0; c < columns; ++c) grid_->setColumnStretch(c, 1);
}

QSize RadioGroupPeer::Fitted(const QSize& designed, int room) {
    // The designed columns when they fit the room, else as many as do, the options running
    // down more rows; never narrower than the widest option.
    int columns = std::max(1, group_.Columns());
    LayOut(columns);
    while (columns > 1 && box_->minimumSizeHint().width() > room) LayOut(--columns);
    const QSize least = box_->minimumSizeHint();
    return {std::max(std::min(designed.width(), room), least.width()),
            std::max(designed.height(), least.height())};
}

QString RadioGroupPeer::InputHint() const {
    return QStringLiteral("As setas escolhem a opção.");
}

void RadioGroupPeer::ShowItemIndex() {
    for (int i = 0; i < static_cast<int>(buttons_.size()); ++i)
        buttons_[static_cast<size_t>(i)]->Show(i == group_.ItemIndex());
}

}  // namespace host

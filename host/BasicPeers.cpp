// Label, panel and edit peers.
#include "host/BasicPeers.h"

#include <QLabel>
#include <QLineEdit>
#include <QPalette>

#include "host/ArrangingFrame.h"
#include "host/Shell.h"
#include "platform/ui/Edit.h"

namespace host {

PanelPeer::PanelPeer(Shell& shell, platform::WinControl& control, QWidget* parent, bool framed)
    : Peer(shell, control, new ArrangingFrame(parent)),
      frame_(static_cast<ArrangingFrame*>(Widget())) {
    if (framed) frame_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    frame_->arrange = [this] { ArrangeChildren(); };
}

QWidget* PanelPeer::ChildArea() const {
    return frame_;
}

LabelPeer::LabelPeer(Shell& shell, platform::Control& control, QWidget* parent)
    : Peer(shell, control, new QLabel(parent)), label_(static_cast<QLabel*>(Widget())) {
    label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void LabelPeer::Update(platform::Property property) {
    if (property == platform::Property::Caption) label_->setText(ToQt(Control().Caption()));
    Peer::Update(property);
}

EditPeer::EditPeer(Shell& shell, platform::Edit& edit, QWidget* parent)
    : Peer(shell, edit, new QLineEdit(parent)),
      edit_(edit),
      line_(static_cast<QLineEdit*>(Widget())) {
    QObject::connect(line_, &QLineEdit::textEdited, Context(),
                     [this](const QString& text) { UserEdited(text); });
}

void EditPeer::UpdateAll() {
    Peer::UpdateAll();
    Update(platform::Property::MaxLength);
    Update(platform::Property::ReadOnly);
    Update(platform::Property::Text);
}

void EditPeer::Update(platform::Property property) {
    using platform::Property;
    switch (property) {
        case Property::Text:
            ShowText();
            break;
        case Property::MaxLength:
            line_->setMaxLength(edit_.MaxLength() == 0 ? 32767
                                                       : static_cast<int>(edit_.MaxLength()));
            break;
        case Property::ReadOnly:
            line_->setReadOnly(edit_.ReadOnly());
            break;
        default:
            Peer::Update(property);
            break;
    }
}

void EditPeer::ShowText() {
    const QString text = ToQt(edit_.Text());
    if (line_->text() == text) return;
    const int cursor = line_->cursorPosition();
    line_->setText(text);
    line_->setCursorPosition(std::min(cursor, static_cast<int>(text.size())));
}

void EditPeer::Refused() {
    line_->selectAll();
}

void EditPeer::UserEdited(const QString& shown) {
    edit_.UserSetText(FromQt(shown));
    // The key-press handlers may have refused characters: show what the framework kept.
    ShowText();
}

}  // namespace host

// Masked edit, data text and navigator peers.
#include "host/DataPeers.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "host/Shell.h"
#include "platform/text/EditMask.h"
#include "platform/ui/DBNavigator.h"
#include "platform/ui/DBText.h"
#include "platform/ui/MaskEdit.h"

namespace host {

MaskEditPeer::MaskEditPeer(Shell& shell, platform::MaskEdit& edit, QWidget* parent)
    : EditPeer(shell, edit, parent), mask_(edit) {}

void MaskEditPeer::UpdateAll() {
    Update(platform::Property::EditMask);
    EditPeer::UpdateAll();
}

void MaskEditPeer::Update(platform::Property property) {
    if (property == platform::Property::EditMask) {
        const platform::EditMask mask(mask_.EditMask());
        line_->setInputMask(mask.Empty() ? QString() : ToQt(mask.QtInputMask()));
        ShowText();
        return;
    }
    EditPeer::Update(property);
}

QString MaskEditPeer::InputHint() const {
    return MaskHint(mask_.EditMask());
}

void MaskEditPeer::ShowText() {
    const platform::EditMask mask(mask_.EditMask());
    if (mask.Empty()) {
        EditPeer::ShowText();
        return;
    }
    const std::string text = mask_.Text();
    if (mask.TextFromDisplay(FromQt(line_->displayText())) == text) return;
    const int cursor = line_->cursorPosition();
    line_->setText(ToQt(mask.DisplayFromText(text)));
    line_->setCursorPosition(cursor);
}

void MaskEditPeer::UserEdited(const QString& shown) {
    const platform::EditMask mask(mask_.EditMask());
    if (mask.Empty()) {
        EditPeer::UserEdited(shown);
        return;
    }
    mask_.UserSetText(mask.TextFromDisplay(FromQt(line_->displayText())));
    ShowText();
}

DBTextPeer::DBTextPeer(Shell& shell, platform::DBText& text, QWidget* parent)
    : Peer(shell, text, new QLabel(parent)), text_(text), label_(static_cast<QLabel*>(Widget())) {
    label_->setTextFormat(Qt::PlainText);
}

void DBTextPeer::UpdateAll() {
    Peer::UpdateAll();
    Update(platform::Property::GridData);
}

void DBTextPeer::Update(platform::Property property) {
    using platform::Property;
    if (property == Property::GridData || property == Property::DataField ||
        property == Property::DataSource) {
        label_->setText(ToQt(text_.Text()));
        return;
    }
    Peer::Update(property);
}

DBNavigatorPeer::DBNavigatorPeer(Shell& shell, platform::DBNavigator& navigator, QWidget* parent)
    : Peer(shell, navigator, new QWidget(parent)) {
    auto* layout = new QHBoxLayout(Widget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    struct Button {
        platform::NavigateButton which;
        const char* glyph;
        const char* hint;
    };
    static const Button buttons[] = {
        {platform::NavigateButton::First, "|◀", "Primeiro"},
        {platform::NavigateButton::Prior, "◀", "Anterior"},
        {platform::NavigateButton::Next, "▶", "Próximo"},
        {platform::NavigateButton::Last, "▶|", "Último"},
    };
    for (const Button& b : buttons) {
        auto* tool = new QToolButton(Widget());
        tool->setText(QString::fromUtf8(b.glyph));
        tool->setToolTip(QString::fromUtf8(b.hint));
        tool->setAccessibleName(QString::fromUtf8(b.hint));
        tool->setFocusPolicy(Qt::NoFocus);
        tool->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        const auto which = b.which;
        QObject::connect(tool, &QToolButton::clicked, Context(),
                         [&navigator, which] { navigator.Click(which); });
        layout->addWidget(tool);
    }
}

}  // namespace host

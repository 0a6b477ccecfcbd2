// The properties every peer mirrors, and the framework's alignment of children.
#include "host/Peer.h"

#include <QCheckBox>
#include <QFont>
#include <QGroupBox>
#include <QRect>
#include <QWidget>
#include <vector>

#include "host/Shell.h"

namespace host {

QString ToQt(const std::string& text) {
    return QString::fromStdString(text);
}
std::string FromQt(const QString& text) {
    return text.toStdString();
}

QString MaskHint(const std::string& editMask) {
    QString pattern = ToQt(editMask).section(';', 0, 0);
    pattern.remove('!');
    if (pattern == "99/0000" || pattern == "00/0000")
        return QStringLiteral("Mês no formato MM/AAAA.");
    return {};
}

Peer::Peer(Shell& shell, platform::Control& control, QWidget* widget)
    : shell_(shell), control_(control), widget_(widget) {
    widget_->setFocusPolicy(control.AcceptsFocus() ? Qt::ClickFocus : Qt::NoFocus);
}

void Peer::Update(platform::Property property) {
    using platform::Property;
    switch (property) {
        case Property::Name:
            // The name is the program's; assistive technology reads the human one (the text,
            // the label, see AccessibleNames).
            widget_->setObjectName(ToQt(control_.Name()));
            break;
        case Property::Enabled:
            widget_->setEnabled(control_.Enabled());
            break;
        case Property::Visible:
            widget_->setVisible(control_.Visible());
            [[fallthrough]];
        case Property::Bounds:
        case Property::Align:
            if (auto* parent = control_.Parent()) {
                if (Peer* peer = shell_.PeerOf(parent)) peer->ArrangeChildren();
            }
            break;
        case Property::Hint:
            widget_->setToolTip(ToQt(control_.Hint()));
            break;
        case Property::FontBold: {
            QFont font = widget_->font();
            font.setBold(control_.FontBold());
            widget_->setFont(font);
            break;
        }
        default:
            break;
    }
}

void Peer::UpdateAll() {
    using platform::Property;
    for (auto p : {Property::Name, Property::Enabled, Property::Hint, Property::FontBold,
                   Property::Caption, Property::Visible})
        Update(p);
}

namespace {

// The least size that shows a check box's caption whole: with larger text than the form was
// designed for (a display at 144 dpi) it grows rather than cut its words; other controls keep
// the designed size.
QSize Unclipped(const QWidget& widget) {
    if (qobject_cast<const QCheckBox*>(&widget) == nullptr) return {};
    return widget.minimumSizeHint();
}

}  // namespace

void Peer::ArrangeChildren() {
    auto* container = dynamic_cast<platform::WinControl*>(&control_);
    QWidget* area = ChildArea();
    if (container == nullptr || area == nullptr) return;
    QRect free = area->contentsRect();
    using platform::Align;
    // Controls placed without a size (a tool bar's buttons) flow left to right at their
    // natural size, so that whatever the form provides can be seen and used.
    int flowX = 2;
    for (Align side :
         {Align::Top, Align::Bottom, Align::Left, Align::Right, Align::Client, Align::None}) {
        for (platform::Control* child : container->Controls()) {
            if (child->GetAlign() != side) continue;
            Peer* peer = shell_.PeerOf(child);
            if (peer == nullptr || peer->Widget()->parentWidget() != area) continue;
            QWidget* w = peer->Widget();
            const bool shown = child->Visible();
            switch (side) {
                case Align::Top:
                    w->setGeometry(free.left(), free.top(), free.width(), child->Height());
                    if (shown) free.setTop(free.top() + child->Height());
                    break;
                case Align::Bottom:
                    w->setGeometry(free.left(), free.bottom() + 1 - child->Height(), free.width(),
                                   child->Height());
                    if (shown) free.setBottom(free.bottom() - child->Height());
                    break;
                case Align::Left:
                    w->setGeometry(free.left(), free.top(), child->Width(), free.height());
                    if (shown) free.setLeft(free.left() + child->Width());
                    break;
                case Align::Right:
                    w->setGeometry(free.right() + 1 - child->Width(), free.top(), child->Width(),
                                   free.height());
                    if (shown) free.setRight(free.right() - child->Width());
                    break;
                case Align::Client:
                    w->setGeometry(free);
                    break;
                case Align::None:
                    if (child->Width() > 0 && child->Height() > 0) {
                        const QSize least = Unclipped(*w);
                        QRect placed(child->Left(), child->Top(),
                                     std::max(child->Width(), least.width()),
                                     std::max(child->Height(), least.height()));
                        // What the area cannot show whole may lay itself out narrower.
                        const int room = area->contentsRect().right() + 1 - placed.left();
                        if (const QSize fitted = peer->Fitted(placed.size(), room);
                            fitted.isValid())
                            placed.setSize(fitted);
                        w->setGeometry(placed);
                    } else {
                        const QSize natural = w->sizeHint();
                        w->setGeometry(std::max(flowX, child->Left()), std::max(2, child->Top()),
                                       natural.width(), natural.height());
                        if (shown) flowX = w->geometry().right() + 4;
                    }
                    break;
            }
        }
    }
}

}  // namespace host

// The always-visible focus frame.
#include "host/FocusStyle.h"

#include <QApplication>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

namespace host {

FocusStyle::FocusStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

void FocusStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                               QPainter* painter, const QWidget* widget) const {
    if (element != PE_FrameFocusRect) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    // Fusion draws the frame only after a Tab; the framework moves the focus itself (its
    // tab order, its refusals), so the frame is drawn whenever the control has the focus.
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(QPen(option->palette.color(QPalette::Highlight), 2));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(option->rect.adjusted(1, 1, -1, -1));
    painter->restore();
}

void FocusStyle::Install() {
    if (dynamic_cast<FocusStyle*>(QApplication::style()) != nullptr) return;
    QApplication::setStyle(new FocusStyle);
}

}  // namespace host

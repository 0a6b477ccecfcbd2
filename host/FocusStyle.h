// The shell's look: the Fusion style everywhere (the same on every desktop), with the focus
// frame always drawn and in the highlight colour, so the user sees where keys go whether the
// focus came by key, by mouse or back from a dialog.
#pragma once

#include <QProxyStyle>

namespace host {

class FocusStyle : public QProxyStyle {
  public:
    FocusStyle();
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;

    // Makes it the application's style unless it already is.
    static void Install();
};

}  // namespace host

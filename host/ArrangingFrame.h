// A frame that lays its children out again whenever it is resized.
#pragma once

#include <QFrame>
#include <functional>

namespace host {

class ArrangingFrame : public QFrame {
  public:
    explicit ArrangingFrame(QWidget* parent = nullptr) : QFrame(parent) {}
    std::function<void()> arrange;

  protected:
    void resizeEvent(QResizeEvent* event) override {
        QFrame::resizeEvent(event);
        if (arrange) arrange();
    }
};

}  // namespace host

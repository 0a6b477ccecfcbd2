// Peers of the choice controls: check box and radio group. A click is handed to the control's
// input method; the box or button shows the state only when the framework sets it.
#pragma once

#include <QCheckBox>
#include <QRadioButton>
#include <functional>
#include <vector>

#include "host/Peer.h"

class QGroupBox;
class QGridLayout;

namespace platform {
class CheckBox;
class RadioGroup;
}  // namespace platform

namespace host {

// A check box whose click asks instead of toggling by itself.
class AskingCheckBox : public QCheckBox {
  public:
    using QCheckBox::QCheckBox;
    std::function<void()> onClick;

  protected:
    void nextCheckState() override {
        if (onClick) onClick();
    }
};

// A radio button whose click asks, and whose arrow keys step through its group (Qt's own
// arrows would only move the focus between the buttons). It is exclusive, so that it reads as
// a radio button to assistive technology, but it never changes its own state: a click, the
// checked button's included, goes to onClick.
class AskingRadioButton : public QRadioButton {
  public:
    AskingRadioButton(const QString& text, QWidget* parent);
    std::function<void()> onClick;
    std::function<void(bool backward)> onStep;
    // Checks or unchecks the button whatever the others' state.
    void Show(bool checked);

  protected:
    void nextCheckState() override {}
    void keyPressEvent(QKeyEvent* event) override;
};

class CheckBoxPeer : public Peer {
  public:
    CheckBoxPeer(Shell& shell, platform::CheckBox& box, QWidget* parent);
    ~CheckBoxPeer() override { check_->onClick = nullptr; }
    void Update(platform::Property property) override;
    void UpdateAll() override;
    bool ClickFocuses() const override { return true; }

  private:
    platform::CheckBox& box_;
    AskingCheckBox* check_;
};

// A group box with one radio button per item, laid out in the group's columns (items run
// down each column first).
class RadioGroupPeer : public Peer {
  public:
    RadioGroupPeer(Shell& shell, platform::RadioGroup& group, QWidget* parent);
    ~RadioGroupPeer() override {
        for (AskingRadioButton* button : buttons_) {
            button->onClick = nullptr;
            button->onStep = nullptr;
        }
    }
    void Update(platform::Property property) override;
    void UpdateAll() override;
    QWidget* FocusWidget() const override;
    bool ClickFocuses() const override { return true; }
    const std::vector<AskingRadioButton*>& Buttons() const { return buttons_; }
    // Entered with Tab like any control; the arrows choose the item.
    QString InputHint() const override;
    QSize Fitted(const QSize& designed, int room) override;

  private:
    void RebuildItems();
    // Places the options in `columns` columns, running down each column first.
    void LayOut(int columns);
    void ShowItemIndex();

    platform::RadioGroup& group_;
    QGroupBox* box_;
    QGridLayout* grid_;
    std::vector<AskingRadioButton*> buttons_;
};

}  // namespace host

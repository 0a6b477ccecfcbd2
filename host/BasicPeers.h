// Peers of the simple controls: label, panel (and any other container), one-line edit.
#pragma once

#include "host/Peer.h"

class QLabel;
class QLineEdit;

namespace platform {
class Edit;
}

namespace host {

class ArrangingFrame;

// A container: panels, and any container kind the shell does not know in particular.
class PanelPeer : public Peer {
  public:
    PanelPeer(Shell& shell, platform::WinControl& control, QWidget* parent, bool framed);
    QWidget* ChildArea() const override;

  private:
    ArrangingFrame* frame_;
};

class LabelPeer : public Peer {
  public:
    LabelPeer(Shell& shell, platform::Control& control, QWidget* parent);
    void Update(platform::Property property) override;

  private:
    QLabel* label_;
};

// A one-line edit. What the user types is handed to the edit's input method; the text shown is
// always the framework's.
class EditPeer : public Peer {
  public:
    EditPeer(Shell& shell, platform::Edit& edit, QWidget* parent);
    void Update(platform::Property property) override;
    void UpdateAll() override;
    QLineEdit* LineEdit() const { return line_; }
    void Refused() override;

  protected:
    // Shows the framework's text; keeps the cursor where the user left it when possible.
    virtual void ShowText();
    // Hands what the user changed to the framework.
    virtual void UserEdited(const QString& shown);
    platform::Edit& edit_;
    QLineEdit* line_;
};

}  // namespace host

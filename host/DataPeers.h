// Peers of the masked edit and of the data-aware text and navigator.
#pragma once

#include "host/BasicPeers.h"

class QLabel;

namespace platform {
class DBNavigator;
class DBText;
class MaskEdit;
}  // namespace platform

namespace host {

// A masked edit: the framework's mask as a Qt input mask; what the Qt editor shows is turned
// back into the text the mask hands over before it reaches the framework.
class MaskEditPeer : public EditPeer {
  public:
    MaskEditPeer(Shell& shell, platform::MaskEdit& edit, QWidget* parent);
    void Update(platform::Property property) override;
    void UpdateAll() override;
    QString InputHint() const override;

  protected:
    void ShowText() override;
    void UserEdited(const QString& shown) override;

  private:
    platform::MaskEdit& mask_;
};

class DBTextPeer : public Peer {
  public:
    DBTextPeer(Shell& shell, platform::DBText& text, QWidget* parent);
    void Update(platform::Property property) override;
    void UpdateAll() override;

  private:
    platform::DBText& text_;
    QLabel* label_;
};

// First, prior, next and last buttons.
class DBNavigatorPeer : public Peer {
  public:
    DBNavigatorPeer(Shell& shell, platform::DBNavigator& navigator, QWidget* parent);
};

}  // namespace host

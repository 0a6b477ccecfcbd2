// "Entrar": the window that asks for a user name and password when the application server wants
// the caller to log in. It shows which server asks (and, on TLS, its certificate's fingerprint,
// to compare with the one the administrator gave) and why the previous attempt was refused.
#pragma once

#include <QDialog>
#include <optional>

#include "platform/app/DialogPort.h"

class QLineEdit;
class QPushButton;

namespace host {

class LoginWindow : public QDialog {
  public:
    LoginWindow(QWidget* parent, const platform::LoginRequest& request);

    // The user name and password typed, once the window was closed with OK; else nothing.
    std::optional<platform::LoginAnswer> Answer() const;

    QLineEdit* UserEdit() const { return user_; }
    QLineEdit* PasswordEdit() const { return password_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

  private:
    void UpdateOk();

    QLineEdit* user_;
    QLineEdit* password_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

}  // namespace host

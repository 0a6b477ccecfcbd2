// The login window: a small form, OK only once both fields are filled.
#include "host/LoginWindow.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace host {

namespace {

// The longest user name and password the window takes; the server's own bounds are lower.
constexpr int kMaxFieldLength = 256;

QLabel* Shown(QWidget* parent, const std::string& text, const QString& objectName) {
    auto* label = new QLabel(QString::fromStdString(text), parent);
    label->setObjectName(objectName);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    return label;
}

}  // namespace

LoginWindow::LoginWindow(QWidget* parent, const platform::LoginRequest& request)
    : QDialog(parent),
      user_(new QLineEdit(this)),
      password_(new QLineEdit(this)),
      ok_(nullptr),
      cancel_(nullptr) {
    setObjectName("LoginWindow");
    setWindowTitle(QStringLiteral("Entrar"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    if (!request.refusal.empty()) {
        QLabel* refusal = Shown(this, request.refusal, "lblRecusa");
        refusal->setStyleSheet(QStringLiteral("color: #b00020;"));
        layout->addWidget(refusal);
    }
    auto* form = new QFormLayout;
    layout->addLayout(form);
    form->addRow(QStringLiteral("Servidor:"), Shown(this, request.server, "lblServidor"));
    if (!request.fingerprint.empty()) {
        QLabel* fingerprint = Shown(this, request.fingerprint, "lblCertificado");
        fingerprint->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        form->addRow(QStringLiteral("Certificado (SHA-256):"), fingerprint);
    }

    user_->setObjectName("edtUsuario");
    user_->setAccessibleName(QStringLiteral("Usuário"));
    user_->setMaxLength(kMaxFieldLength);
    user_->setText(QString::fromStdString(request.user));
    password_->setObjectName("edtSenha");
    password_->setAccessibleName(QStringLiteral("Senha"));
    password_->setMaxLength(kMaxFieldLength);
    password_->setEchoMode(QLineEdit::Password);
    auto* userLabel = new QLabel(QStringLiteral("&Usuário:"), this);
    userLabel->setBuddy(user_);
    auto* passwordLabel = new QLabel(QStringLiteral("&Senha:"), this);
    passwordLabel->setBuddy(password_);
    form->addRow(userLabel, user_);
    form->addRow(passwordLabel, password_);

    auto* buttons = new QDialogButtonBox(this);
    ok_ = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok_->setDefault(true);
    cancel_ = buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(user_, &QLineEdit::textChanged, this, [this] { UpdateOk(); });
    connect(password_, &QLineEdit::textChanged, this, [this] { UpdateOk(); });
    UpdateOk();

    // The desktop's own user name is usually right: the password is what is left to type.
    (user_->text().isEmpty() ? user_ : password_)->setFocus();
}

void LoginWindow::UpdateOk() {
    ok_->setEnabled(!user_->text().isEmpty() && !password_->text().isEmpty());
}

std::optional<platform::LoginAnswer> LoginWindow::Answer() const {
    if (result() != QDialog::Accepted) return std::nullopt;
    return platform::LoginAnswer{user_->text().toStdString(), password_->text().toStdString()};
}

}  // namespace host

// The login window through the dialog port, asked from a job's thread as a server call asks it.
#include "host/LoginWindow.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <functional>
#include <set>
#include <thread>

#include "host/QtDialogPort.h"

namespace {

using Answer = std::optional<platform::LoginAnswer>;

// Asks the port from another thread while this one runs its loop; `script` sees the window
// once it is up, and closes it.
Answer AskFromAJob(host::QtDialogPort& port, const platform::LoginRequest& request,
                   const std::function<void(host::LoginWindow&)>& script) {
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* window = dynamic_cast<host::LoginWindow*>(QApplication::activeModalWidget()))
            script(*window);
    });
    poll.start();
    Answer answer;
    std::atomic<bool> done{false};
    QEventLoop loop;
    std::thread job([&] {
        answer = port.AskLogin(request);
        done = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    if (!done) loop.exec();
    job.join();
    return answer;
}

QString LabelText(const host::LoginWindow& window, const char* name) {
    const auto* label = window.findChild<QLabel*>(name);
    return label != nullptr ? label->text() : QString();
}

TEST(LoginWindowTest, OkGivesTheNameAndPasswordTypedAndCancelGivesNothing) {
    QMainWindow main;
    host::QtDialogPort port(&main);
    const platform::LoginRequest request{"10.0.0.5:47631", "AB:CD:EF",
                                         "Usuário ou senha inválidos.", "maria"};
    int shown = 0;
    const Answer given = AskFromAJob(port, request, [&](host::LoginWindow& window) {
        ++shown;
        EXPECT_EQ(window.windowTitle(), "Entrar");
        EXPECT_EQ(window.UserEdit()->text(), "maria");
        EXPECT_EQ(window.PasswordEdit()->echoMode(), QLineEdit::Password);
        EXPECT_EQ(LabelText(window, "lblServidor"), "10.0.0.5:47631");
        EXPECT_EQ(LabelText(window, "lblCertificado"), "AB:CD:EF");
        EXPECT_EQ(LabelText(window, "lblRecusa"), "Usuário ou senha inválidos.");
        EXPECT_FALSE(window.OkButton()->isEnabled());  // no password yet
        EXPECT_EQ(
            QAccessible::queryAccessibleInterface(window.PasswordEdit())->text(QAccessible::Name),
            "Senha");
        std::set<QChar> letters;
        for (const QLabel* label : window.findChildren<QLabel*>()) {
            const int at = label->text().indexOf('&');
            if (label->buddy() == nullptr || at < 0) continue;
            EXPECT_TRUE(letters.insert(label->text().at(at + 1).toLower()).second)
                << label->text().toStdString();
        }
        EXPECT_EQ(letters.size(), 2u);
        window.UserEdit()->setText("joao");
        QTest::keyClicks(window.PasswordEdit(), "s3gr3do");
        window.OkButton()->click();
    });
    EXPECT_EQ(shown, 1);
    ASSERT_TRUE(given.has_value());
    EXPECT_EQ(given->user, "joao");
    EXPECT_EQ(given->password, "s3gr3do");

    // Asked again, the window starts with the name typed last; off TLS no fingerprint.
    const Answer cancelled = AskFromAJob(
        port, {"unix:/run/saldo/saldo.sock", "", "", "maria"}, [&](host::LoginWindow& window) {
            EXPECT_EQ(window.UserEdit()->text(), "joao");
            EXPECT_EQ(window.findChild<QLabel*>("lblCertificado"), nullptr);
            window.CancelButton()->click();
        });
    EXPECT_FALSE(cancelled.has_value());
}

}  // namespace

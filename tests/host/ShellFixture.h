// A shell over its own framework application, and a helper that answers the next modal dialog.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMdiArea>
#include <QMessageBox>
#include <QTimer>
#include <functional>
#include <memory>

#include "host/MainWindow.h"
#include "host/Module.h"
#include "host/Shell.h"
#include "platform/app/Application.h"

namespace hosttest {

// Answers the next modal dialog that opens: records its text and presses the button with
// `button` as its text (any other dialog is rejected).
class ModalAnswer : public QObject {
  public:
    // `inspect` sees the dialog before it is answered (a screenshot, a look at its contents).
    explicit ModalAnswer(QString button = "OK", std::function<void(QWidget*)> inspect = {})
        : button_(std::move(button)), inspect_(std::move(inspect)) {
        timer_.setInterval(5);
        connect(&timer_, &QTimer::timeout, this, [this] { Poll(); });
        timer_.start();
    }
    int Seen() const { return seen_; }
    const QString& Text() const { return text_; }
    const QString& Title() const { return title_; }
    QMessageBox::Icon Icon() const { return icon_; }

  private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) return;
        ++seen_;
        title_ = modal->windowTitle();
        if (inspect_) inspect_(modal);
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            text_ = box->text();
            icon_ = box->icon();
            for (QAbstractButton* b : box->buttons()) {
                if (b->text().remove('&') == button_) {
                    b->click();
                    return;
                }
            }
        }
        if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
    }
    QString button_;
    std::function<void(QWidget*)> inspect_;
    QTimer timer_;
    int seen_ = 0;
    QString text_;
    QString title_;
    QMessageBox::Icon icon_ = QMessageBox::NoIcon;
};

class ShellFixture : public ::testing::Test {
  protected:
    ShellFixture() : modules({}), window(modules), shell(window, app) { window.show(); }
    ~ShellFixture() override {
        // The forms go before the shell that draws them.
        for (platform::Form* form : app.Forms()) {
            form->Release();
        }
        app.ProcessMessages();
    }

    template <class T>
    T* Widget(const char* name) const {
        return window.findChild<T*>(QString::fromUtf8(name));
    }

    // Declared in this order: the application outlives the shell, which outlives the window's use.
    platform::Application app;
    host::ModuleTable modules;
    host::MainWindow window;
    host::Shell shell;
};

}  // namespace hosttest

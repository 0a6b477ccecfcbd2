// The shell with the real module and a real saldo-server, for the end-to-end tests of the
// balance screen; with SALDO_SCREENSHOT_DIR set they also save the README's pictures.
#pragma once

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <cstdlib>

#include "ShellFixture.h"
#include "host/GridPeer.h"
#include "platform/app/Application.h"
#include "tests/support/ServerProcess.h"

namespace screentest {

inline std::string ServerBinary() {
    if (const char* override = std::getenv("SALDO_SERVER_BINARY")) return override;
    return SALDO_SERVER_BINARY;
}

// Saves a picture of `widget` (with the whole screen on a real display, so dialogs show over
// the window) when SALDO_SCREENSHOT_DIR is set.
inline void Picture(QWidget* widget, const char* name) {
    const char* dir = std::getenv("SALDO_SCREENSHOT_DIR");
    if (dir == nullptr) return;
    QApplication::processEvents();
    QPixmap pixmap;
    if (QGuiApplication::platformName() == "xcb") {
        QWidget* top = widget->window();
        pixmap = QGuiApplication::primaryScreen()->grabWindow(
            0, top->x(), top->y(), top->frameGeometry().width(), top->frameGeometry().height());
    }
    if (pixmap.isNull()) pixmap = widget->grab();
    QDir().mkpath(dir);
    pixmap.save(QDir(dir).filePath(QString(name) + ".png"));
}

class ScreenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (ServerBinary().empty()) GTEST_SKIP() << "saldo-server is not built";
        server = std::make_unique<testsupport::ServerProcess>(ServerBinary());
        setenv("SALDO_SERVER", server->Address().c_str(), 1);
        setenv("SALDO_DB", server->DatabaseURL().c_str(), 1);
        // Every test starts from the window's first-time place and size.
        QSettings().remove("MainWindow");
        QSettings().remove("Telas");
        modules = std::make_unique<host::ModuleTable>(
            std::vector<std::filesystem::path>{SALDO_MODULE_DIR});
        window = std::make_unique<host::MainWindow>(*modules);
        shell = std::make_unique<host::Shell>(*window);
        // Qt's offscreen display is 800x600: the window takes the place it would take on a
        // 1400x900 one, as under Xvfb.
        if (QGuiApplication::platformName() == "offscreen")
            window->setGeometry(host::MainWindow::DefaultGeometry(QRect(0, 0, 1400, 900)));
        window->show();
        // On a real display (Xvfb without a window manager) a window gets the keyboard focus
        // only once it is active.
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        ASSERT_TRUE(window->OpenScreen("RDQ63500"));
        QApplication::processEvents();
    }

    void TearDown() override {
        auto& app = platform::Application::Instance();
        // Closing a form may free others (the screen frees its history window): the list is
        // read again after each close; a form that stays open after its close is skipped.
        std::vector<platform::Form*> closed;
        for (bool more = true; more;) {
            more = false;
            for (platform::Form* form : app.Forms()) {
                if (std::find(closed.begin(), closed.end(), form) != closed.end()) continue;
                closed.push_back(form);
                app.RunEvent([form] { form->Close(); });
                more = true;
                break;
            }
        }
        app.ProcessMessages();
        shell.reset();
        window.reset();
        server.reset();
    }

    template <class T>
    T* Widget(const char* name) const {
        return window->findChild<T*>(QString::fromUtf8(name));
    }
    QLineEdit* Code() const { return Widget<QLineEdit>("medCdEmpresa"); }
    QTableView* Grid(const char* name) const { return Widget<QTableView>(name); }

    // Types a company code and leaves the filter panel with Tab, as a user does.
    void ChooseCompany(const char* code) {
        if (QApplication::focusWidget() != Code()) QTest::mouseClick(Code(), Qt::LeftButton);
        Code()->selectAll();
        QTest::keyClicks(Code(), code);
        // Tab until the framework's focus leaves the filter panel (its exit loads the rows).
        platform::Form* form = platform::Application::Instance().ActiveForm();
        ASSERT_NE(form, nullptr);
        auto* panel = dynamic_cast<platform::WinControl*>(form->FindComponent("panFiltro"));
        ASSERT_NE(panel, nullptr);
        for (int i = 0; i < 6 && panel->Contains(form->ActiveControl()); ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QApplication::processEvents();
    }

    std::unique_ptr<testsupport::ServerProcess> server;
    std::unique_ptr<host::ModuleTable> modules;
    std::unique_ptr<host::MainWindow> window;
    std::unique_ptr<host::Shell> shell;
};

}  // namespace screentest

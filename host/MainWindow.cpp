// Main window with the screens' menu, the window menu and the multi-document area.
#include "host/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMenuBar>
#include <QStatusBar>

#include "host/Dialogs.h"

namespace host {

MainWindow::MainWindow(ModuleTable& modules) : modules_(modules), mdi_(new QMdiArea(this)) {
    setObjectName("MainWindow");
    setWindowTitle(QStringLiteral("Contabilidade"));
    mdi_->setObjectName("MdiArea");
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);

    QMenu* file = menuBar()->addMenu(QStringLiteral("&Arquivo"));
    QAction* quit = file->addAction(QStringLiteral("Sai&r"), this, &QWidget::close);
    quit->setShortcut(QKeySequence::Quit);

    QMenu* screens = menuBar()->addMenu(QStringLiteral("&Cadastros"));
    for (const ModuleEntry& entry : ModuleTable::Known()) {
        const QString code = QString::fromStdString(entry.code);
        QAction* action = screens->addAction(QString::fromStdString(entry.caption));
        action->setObjectName("mnuAbrir" + code);
        action->setStatusTip(code);
        connect(action, &QAction::triggered, this, [this, code] { OpenScreen(code); });
    }

    QMenu* windows = menuBar()->addMenu(QStringLiteral("&Janela"));
    windows->addAction(QStringLiteral("&Cascata"), mdi_, &QMdiArea::cascadeSubWindows);
    windows->addAction(QStringLiteral("&Lado a lado"), mdi_, &QMdiArea::tileSubWindows);
    windows->addAction(QStringLiteral("&Fechar todas"), mdi_, &QMdiArea::closeAllSubWindows);

    statusBar()->showMessage(QStringLiteral("Pronto"));
    resize(1100, 720);
}

bool MainWindow::OpenScreen(const QString& code) {
    try {
        modules_.Open(code.toStdString());
        return true;
    } catch (const std::exception& e) {
        ShowError(this, QString::fromUtf8(e.what()));
        return false;
    }
}

}  // namespace host

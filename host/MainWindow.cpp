// Main window: menus with their keys, the multi-document area, the status line and the
// window's remembered geometry.
#include "host/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include "host/Dialogs.h"
#include "host/FormPeer.h"

namespace host {

namespace {

QAction* AddCommand(QMenu* menu, const QString& text, const QKeySequence& key) {
    QAction* action = menu->addAction(text);
    action->setShortcut(key);
    action->setToolTip(text.isEmpty() ? text : QString(text).remove('&'));
    return action;
}

}  // namespace

MainWindow::MainWindow(ModuleTable& modules)
    : modules_(modules),
      mdi_(new QMdiArea(this)),
      message_(new QLabel(this)),
      hint_(new QLabel(this)),
      connection_(new QLabel(this)) {
    setObjectName("MainWindow");
    setWindowTitle(QStringLiteral("Contabilidade"));
    mdi_->setObjectName("MdiArea");
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);
    BuildMenus();

    message_->setObjectName("StatusMessage");
    hint_->setObjectName("StatusHint");
    hint_->hide();
    connection_->setObjectName("StatusConnection");
    // Plain widgets rather than showMessage: a menu's tip passing over the status line must
    // not wipe what happened.
    statusBar()->addWidget(message_, 1);
    statusBar()->addWidget(hint_);
    statusBar()->addPermanentWidget(connection_);
    ShowMessage(QStringLiteral("Pronto."));
    RestoreGeometry();
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildMenus() {
    // The screens bring their own "Arquivo", "Editar" and "Exibir": the shell's menus take
    // other letters, so every Alt key reaches one menu.
    QMenu* system = menuBar()->addMenu(QStringLiteral("&Sistema"));
    system->setObjectName("mnuSistema");
    QAction* import = AddCommand(system, QStringLiteral("&Importar saldos…"),
                                 QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_I));
    import->setObjectName("mnuImportar");
    connect(import, &QAction::triggered, this, [this] { OpenImport(); });
    system->addSeparator();
    QAction* quit = AddCommand(system, QStringLiteral("Sai&r"), QKeySequence(Qt::CTRL | Qt::Key_Q));
    quit->setObjectName("mnuSair");
    connect(quit, &QAction::triggered, this, &QWidget::close);

    QMenu* screens = menuBar()->addMenu(QStringLiteral("&Cadastros"));
    screens->setObjectName("mnuCadastros");
    int number = 0;
    for (const ModuleEntry& entry : ModuleTable::Known()) {
        const QString code = QString::fromStdString(entry.code);
        QAction* action = AddCommand(screens, QString::fromStdString(entry.caption),
                                     QKeySequence(Qt::CTRL | (Qt::Key_1 + number++)));
        action->setObjectName("mnuAbrir" + code);
        action->setStatusTip(code);
        connect(action, &QAction::triggered, this, [this, code] { OpenScreen(code); });
    }

    QMenu* reports = menuBar()->addMenu(QStringLiteral("&Relatórios"));
    reports->setObjectName("mnuRelatorios");
    QAction* tieOut = AddCommand(reports, QStringLiteral("&Conferência com a contabilidade"),
                                 QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R));
    tieOut->setObjectName("mnuConferencia");
    connect(tieOut, &QAction::triggered, this, [this] { OpenTieOut(); });

    QMenu* windows = menuBar()->addMenu(QStringLiteral("&Janela"));
    windows->setObjectName("mnuJanela");
    QAction* close =
        AddCommand(windows, QStringLiteral("&Fechar"), QKeySequence(Qt::CTRL | Qt::Key_F4));
    close->setObjectName("mnuFecharTela");
    connect(close, &QAction::triggered, this, [this] {
        // The current one, active or not (the window may not be the active one, under Xvfb).
        if (QMdiSubWindow* sub = mdi_->currentSubWindow()) sub->close();
    });
    QAction* closeAll = AddCommand(windows, QStringLiteral("Fechar &todas"),
                                   QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F4));
    closeAll->setObjectName("mnuFecharTodas");
    connect(closeAll, &QAction::triggered, mdi_, &QMdiArea::closeAllSubWindows);
    windows->addSeparator();
    QAction* next =
        AddCommand(windows, QStringLiteral("&Próxima"), QKeySequence(Qt::CTRL | Qt::Key_F6));
    connect(next, &QAction::triggered, mdi_, &QMdiArea::activateNextSubWindow);
    QAction* previous = AddCommand(windows, QStringLiteral("&Anterior"),
                                   QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6));
    connect(previous, &QAction::triggered, mdi_, &QMdiArea::activatePreviousSubWindow);
    QAction* cascade =
        AddCommand(windows, QStringLiteral("&Cascata"), QKeySequence(Qt::SHIFT | Qt::Key_F5));
    connect(cascade, &QAction::triggered, mdi_, &QMdiArea::cascadeSubWindows);
    QAction* tile =
        AddCommand(windows, QStringLiteral("&Lado a lado"), QKeySequence(Qt::SHIFT | Qt::Key_F4));
    connect(tile, &QAction::triggered, mdi_, &QMdiArea::tileSubWindows);

    QMenu* help = menuBar()->addMenu(QStringLiteral("Aj&uda"));
    help->setObjectName("mnuAjuda");
    QAction* keys = AddCommand(help, QStringLiteral("&Teclas de atalho"), QKeySequence(Qt::Key_F1));
    keys->setObjectName("mnuTeclas");
    connect(keys, &QAction::triggered, this, &MainWindow::ShowShortcuts);
}

QRect MainWindow::DefaultGeometry(const QRect& available) {
    const QSize wanted(1280, 860);
    const QSize size = wanted.boundedTo(available.size() * 9 / 10)
                           .expandedTo(QSize(640, 480))
                           .boundedTo(available.size());
    QRect rect(QPoint(0, 0), size);
    rect.moveCenter(available.center());
    return rect;
}

void MainWindow::RestoreGeometry() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect available =
        screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const QByteArray saved = QSettings().value("MainWindow/geometry").toByteArray();
    // Qt puts a remembered window back on a display that still shows it, fitted to it.
    if (!saved.isEmpty() && restoreGeometry(saved)) return;
    setGeometry(DefaultGeometry(available));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (closeGuard_ && !closeGuard_()) {
        event->ignore();
        return;
    }
    QSettings().setValue("MainWindow/geometry", saveGeometry());
    QMainWindow::closeEvent(event);
}

bool MainWindow::OpenScreen(const QString& code) {
    try {
        modules_.Open(code.toStdString());
        for (const ModuleEntry& entry : ModuleTable::Known()) {
            if (QString::fromStdString(entry.code).compare(code, Qt::CaseInsensitive) != 0)
                continue;
            if (onScreenOpened) onScreenOpened(entry);
        }
        return true;
    } catch (const std::exception& e) {
        ShowError(this, QString::fromUtf8(e.what()));
        return false;
    }
}

TieOutWindow* MainWindow::OpenTieOut() {
    for (QMdiSubWindow* sub : mdi_->subWindowList()) {
        if (auto* open = qobject_cast<TieOutWindow*>(sub->widget())) {
            mdi_->setActiveSubWindow(sub);
            return open;
        }
    }
    auto* window = new TieOutWindow(tieOutFetch);
    window->onReport = [this](const QString& text) { ShowMessage(text); };
    ShowChild(window);
    return window;
}

ImportWindow* MainWindow::OpenImport() {
    for (QMdiSubWindow* sub : mdi_->subWindowList()) {
        if (auto* open = qobject_cast<ImportWindow*>(sub->widget())) {
            mdi_->setActiveSubWindow(sub);
            return open;
        }
    }
    auto* window = new ImportWindow(importRun);
    window->onReport = [this](const QString& text) { ShowMessage(text); };
    ShowChild(window);
    return window;
}

void MainWindow::ShowChild(QWidget* window) {
    QMdiSubWindow* sub = mdi_->addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // Wholly inside the area the user sees, however small the display (an area not laid
    // out yet has no size to go by).
    const QSize size(900, 480);
    const QRect area = mdi_->viewport()->rect();
    if (area.width() < 200 || area.height() < 150)
        sub->resize(size);
    else
        sub->setGeometry(FormPeer::Placement(size, area, QRect()));
    sub->show();
    mdi_->setActiveSubWindow(sub);
}

void MainWindow::ShowMessage(const QString& text) {
    message_->setText(text);
}

void MainWindow::ShowHint(const QString& text) {
    hint_->setText(text);
    hint_->setVisible(!text.isEmpty());
}

void MainWindow::ShowConnection(const QString& text) {
    // A long database path is shortened in the middle; the tooltip keeps it whole.
    connection_->setToolTip(text);
    connection_->setText(
        connection_->fontMetrics().elidedText(text, Qt::ElideMiddle, kConnectionWidth));
}

void MainWindow::AddStatusWidget(QWidget* widget) {
    // Index 2: after the two plain parts (message and hint), first of the permanent ones.
    statusBar()->insertPermanentWidget(2, widget);
}

QString MainWindow::Message() const {
    return message_->text();
}

QString MainWindow::Hint() const {
    return hint_->text();
}

QString MainWindow::Connection() const {
    return connection_->toolTip();
}

void MainWindow::ShowShortcuts() {
    // Every command with a key in the window's menus (the active screen's included), then
    // the keys the controls take themselves.
    QList<QPair<QString, QString>> rows;
    for (const QMenuBar* bar : findChildren<QMenuBar*>()) {
        if (!bar->isVisible()) continue;
        for (const QAction* top : bar->actions()) {
            if (top->menu() == nullptr || !top->isVisible()) continue;
            for (const QAction* action : top->menu()->actions()) {
                if (action->shortcut().isEmpty() || !action->isVisible()) continue;
                rows.append(
                    {QString(top->text()).remove('&') + " › " + QString(action->text()).remove('&'),
                     action->shortcut().toString(QKeySequence::NativeText)});
            }
        }
    }
    const std::pair<const char*, const char*> fixed[] = {
        {"Ir ao próximo campo / anterior", "Tab / Shift+Tab"},
        {"Escolher o tipo de conta", "Setas"},
        {"Marcar ou desmarcar a caixa", "Espaço"},
        {"Pesquisa (botão … e Pesquisar)", "Ctrl+Enter"},
        {"Grade: editar a célula / terminar", "F2 ou digitar / Enter"},
        {"Grade: desfazer a célula", "Esc"},
        {"Grade: corrigir o texto recusado em vez de digitá-lo de novo", "F2"},
        {"Fechar o histórico do saldo", "Esc"},
        {"Grade: nova linha / excluir linha", "Insert / Ctrl+Del"},
        {"Menus", "Alt + letra sublinhada"},
    };
    for (const auto& [what, key] : fixed)
        rows.append({QString::fromUtf8(what), QString::fromUtf8(key)});

    QDialog dialog(this);
    dialog.setObjectName("DialogoTeclas");
    dialog.setWindowTitle(QStringLiteral("Teclas de atalho"));
    auto* table = new QTableWidget(static_cast<int>(rows.size()), 2, &dialog);
    table->setHorizontalHeaderLabels({QStringLiteral("Comando"), QStringLiteral("Tecla")});
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    for (int r = 0; r < rows.size(); ++r) {
        table->setItem(r, 0, new QTableWidgetItem(rows[r].first));
        table->setItem(r, 1, new QTableWidgetItem(rows[r].second));
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(QStringLiteral("&Fechar"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(table);
    layout->addWidget(buttons);
    dialog.resize(table->horizontalHeader()->length() + 60, 420);
    dialog.exec();
}

}  // namespace host

// The shell's main window: a multi-document area for the screens, the menus that open and
// arrange them, and a status line saying what happened and where the client is connected.
#pragma once

#include <QMainWindow>
#include <functional>

#include "host/ImportWindow.h"
#include "host/Module.h"
#include "host/ServerCall.h"
#include "host/TieOutWindow.h"

class QLabel;
class QMdiArea;

namespace host {

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainWindow(ModuleTable& modules);
    ~MainWindow() override;
    QMdiArea* MdiArea() const { return mdi_; }

    // Opens the screen with this code through its module; a failure is shown as an error box
    // and returned as false.
    bool OpenScreen(const QString& code);

    // "Relatórios → Conferência com a contabilidade": opens (or brings forward) the tie-out
    // window, which asks `tieOutFetch` for its data.
    TieOutWindow* OpenTieOut();
    // The connection of the tie-out and import windows (declared before them: they use it).
    ServerConnection server;
    TieOutWindow::Fetch tieOutFetch = TieOutWindow::FromServer(server);

    // "Sistema → Importar saldos…": opens (or brings forward) the import window, which sends
    // its files to `importRun`.
    ImportWindow* OpenImport();
    ImportWindow::Run importRun = ImportWindow::FromServer(server);

    // The status line: what happened last, a hint for where the user is typing (hidden when
    // empty), and where the client is connected.
    void ShowMessage(const QString& text);
    void ShowHint(const QString& text);
    void ShowConnection(const QString& text);
    // Puts a widget in the status line between the hint and the connection (the progress bar).
    void AddStatusWidget(QWidget* widget);
    QString Message() const;
    QString Hint() const;
    QString Connection() const;

    // Asked before the window closes (Ctrl+Q, the window's close button): false keeps it
    // open. The shell asks the user when a screen holds a row being entered.
    void SetCloseGuard(std::function<bool()> guard) { closeGuard_ = std::move(guard); }
    // Called when the screen with this code has been opened (or brought forward).
    std::function<void(const ModuleEntry&)> onScreenOpened;

    // The size and place the window takes when nothing was remembered: most of the
    // available display, centred.
    static QRect DefaultGeometry(const QRect& available);
    // The widest the connection text may grow in the status line, in pixels.
    static constexpr int kConnectionWidth = 460;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildMenus();
    void RestoreGeometry();
    void ShowShortcuts();
    // Shows a window of the shell's own as a child window, in front.
    void ShowChild(QWidget* window);

    ModuleTable& modules_;
    QMdiArea* mdi_;
    QLabel* message_;
    QLabel* hint_;
    QLabel* connection_;
    std::function<bool()> closeGuard_;
};

}  // namespace host

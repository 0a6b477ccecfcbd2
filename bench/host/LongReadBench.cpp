// Whole-process measurement of a long read in the real shell: the real module and a real
// saldo-server over a company of N supplier balances (`init --scale N`, company 99). The
// company is chosen with keys, as a user does, and leaving the filter panel reads it. Run
// side by side: the server call through the shell's job port (a worker thread while the
// window keeps its event loop) and inline on the window's thread, as before. Reports, per
// run, the whole read, the part spent in the server call, how often the window's loop
// turned and painted meanwhile, its longest stall, and whether the progress bar showed.
//
//   bench-longread [ROWS]      (default 100000; QT_QPA_PLATFORM=offscreen unless set)
#include <sys/wait.h>
#include <unistd.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/MainWindow.h"
#include "host/Module.h"
#include "host/Shell.h"
#include "platform/app/Application.h"
#include "platform/ui/Form.h"
#include "tests/support/ServerProcess.h"

namespace {

struct Run {
    double totalMs = 0;
    double callMs = 0;
    int turns = 0;
    int paints = 0;
    double longestStallMs = 0;
    bool progressShown = false;
    std::string said;
};

class PaintCounter : public QObject {
  public:
    int paints = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return QObject::eventFilter(watched, event);
    }
};

bool AddScaleCompany(const std::string& database, long rows) {
    const pid_t pid = fork();
    if (pid == 0) {
        const std::string scale = std::to_string(rows);
        execl(SALDO_SERVER_BINARY, SALDO_SERVER_BINARY, "init", "--db", database.c_str(), "--scale",
              scale.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Leaves the filter panel with Tab (the read), measuring the window's loop meanwhile.
Run ReadOnce(host::MainWindow& window, host::Shell& shell) {
    Run run;
    PaintCounter counter;
    // Every paint of any widget (the workspace, the grid, the progress bar) counts.
    QApplication::instance()->installEventFilter(&counter);
    QWidget* paintTarget = window.centralWidget();
    QElapsedTimer clock;
    qint64 lastTurn = 0;
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        run.longestStallMs = std::max(run.longestStallMs, (now - lastTurn) / 1e6);
        lastTurn = now;
        ++run.turns;
        run.progressShown = run.progressShown || shell.Dialogs().Busy().IndicatorShown();
        paintTarget->update();
    });
    qint64 callStart = -1;
    qint64 callEnd = -1;
    platform::Application& app = platform::Application::Instance();
    auto afterJob = shell.Jobs().afterJob;
    shell.Jobs().afterJob = [&] {
        if (callEnd < 0) callEnd = clock.nsecsElapsed();
        if (afterJob) afterJob();
    };
    ticker.start();
    clock.start();
    callStart = 0;
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    const qint64 end = clock.nsecsElapsed();
    run.longestStallMs = std::max(run.longestStallMs, (end - lastTurn) / 1e6);
    ticker.stop();
    shell.Jobs().afterJob = afterJob;
    QApplication::instance()->removeEventFilter(&counter);
    run.totalMs = end / 1e6;
    run.callMs = callEnd >= 0 ? (callEnd - callStart) / 1e6 : -1;
    run.paints = counter.paints;
    run.said = app.StatusText(platform::StatusPart::Message);
    return run;
}

void Print(const char* how, const Run& run) {
    std::printf("%-30s %8.0f %10.0f %6d %8d %9.0f %9s  %s\n", how, run.totalMs, run.callMs,
                run.turns, run.paints, run.longestStallMs, run.progressShown ? "sim" : "não",
                run.said.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    const long rows = argc > 1 ? std::atol(argv[1]) : 100000;

    testsupport::ServerProcess server(SALDO_SERVER_BINARY);
    if (!AddScaleCompany(server.DatabaseURL(), rows)) {
        std::fprintf(stderr, "saldo-server init --scale %ld falhou\n", rows);
        return 1;
    }
    setenv("SALDO_SERVER", server.Address().c_str(), 1);
    setenv("SALDO_DB", server.DatabaseURL().c_str(), 1);

    host::ModuleTable modules({SALDO_MODULE_DIR});
    host::MainWindow window(modules);
    host::Shell shell(window);
    window.setGeometry(host::MainWindow::DefaultGeometry(QRect(0, 0, 1400, 900)));
    window.show();
    // On a real display (Xvfb, no window manager) the keys reach the window once it is active.
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window)) {
        std::fprintf(stderr, "a janela não ficou ativa\n");
        return 1;
    }
    if (!window.OpenScreen(QStringLiteral("RDQ63500"))) return 1;
    QApplication::processEvents();

    // Company 99 typed into the code, then Tab into the kind: the panel is still entered.
    auto* code = window.findChild<QLineEdit*>(QStringLiteral("medCdEmpresa"));
    QTest::keyClicks(code, "99");
    QTest::keyClick(code, Qt::Key_Tab);

    std::printf("%ld saldos de fornecedores na empresa 99 (%s)\n", rows,
                qPrintable(QGuiApplication::platformName()));
    std::printf("%-30s %8s %10s %6s %8s %9s %9s  %s\n", "", "total ms", "chamada ms", "voltas",
                "pinturas", "parada ms", "progresso", "barra de status");
    platform::Application& app = platform::Application::Instance();
    for (int round = 0; round < 3; ++round) {
        for (const bool worker : {true, false}) {
            app.SetJobs(worker ? static_cast<platform::JobPort*>(&shell.Jobs()) : nullptr);
            const Run run = ReadOnce(window, shell);
            Print(worker ? "chamada em outra thread" : "chamada na thread da janela", run);
            // Back into the panel (Shift+Tab) for the next read.
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
            QApplication::processEvents();
        }
    }
    app.SetJobs(&shell.Jobs());
    for (platform::Form* form : app.Forms()) app.RunEvent([form] { form->Close(); });
    app.ProcessMessages();
    return 0;
}

// saldo-shell: the accounting client's desktop shell. `--open RDQ63500` opens a screen at start.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QTimer>

#include "host/MainWindow.h"
#include "host/Module.h"
#include "host/Shell.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("saldo"));
    QApplication::setApplicationName(QStringLiteral("saldo-shell"));
    QApplication::setApplicationDisplayName(QStringLiteral("Contabilidade"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Shell do sistema contábil"));
    parser.addHelpOption();
    const QCommandLineOption open(QStringList{"open"},
                                  QStringLiteral("Abre a tela CODIGO ao iniciar (ex.: RDQ63500)."),
                                  QStringLiteral("CODIGO"));
    parser.addOption(open);
    parser.process(app);

    // Modules sit next to the executable, or in the lib folder beside it (the build tree).
    const QDir bin(QCoreApplication::applicationDirPath());
    host::ModuleTable modules({bin.absolutePath().toStdString(),
                               bin.absoluteFilePath(QStringLiteral("../lib")).toStdString()});
    host::MainWindow window(modules);
    host::Shell shell(window);
    window.show();

    const QStringList codes = parser.values(open);
    if (!codes.isEmpty()) {
        QTimer::singleShot(0, &window, [&window, codes] {
            for (const QString& code : codes) window.OpenScreen(code);
        });
    }
    return QApplication::exec();
}

// saldo-shell: the accounting client's desktop shell. `--open RDQ63500` opens a screen at start.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QTimer>

#include <iostream>

#include "host/Dialogs.h"
#include "host/InstallCheck.h"
#include "host/MainWindow.h"
#include "host/Module.h"
#include "host/Shell.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("saldo"));
    QApplication::setApplicationName(QStringLiteral("saldo-shell"));
    QApplication::setApplicationDisplayName(QStringLiteral("Contabilidade"));
    host::InstallQtTranslation();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Shell do sistema contábil"));
    parser.addHelpOption();
    const QCommandLineOption open(QStringList{"open"},
                                  QStringLiteral("Abre a tela CODIGO ao iniciar (ex.: RDQ63500)."),
                                  QStringLiteral("CODIGO"));
    parser.addOption(open);
    const QCommandLineOption check(
        QStringList{"check"},
        QStringLiteral("Verifica a instalação (banco, servidor e telas de --open) sem abrir "
                       "janelas e termina."));
    parser.addOption(check);
    parser.process(app);

    // Modules sit next to the executable, in the lib folder beside it (the build tree), or in
    // the client's private library folder (an installation).
    const QDir bin(QCoreApplication::applicationDirPath());
    host::ModuleTable modules(
        {bin.absolutePath().toStdString(),
         bin.absoluteFilePath(QStringLiteral("../lib")).toStdString(),
         QDir::cleanPath(bin.absoluteFilePath(QStringLiteral(SALDO_BIN_TO_MODULES)))
             .toStdString()});
    const QStringList codes = parser.values(open);
    if (parser.isSet(check)) {
        std::vector<std::string> names;
        for (const QString& code : codes) names.push_back(code.toStdString());
        return host::RunInstallCheck(modules, names, std::cout);
    }
    host::MainWindow window(modules);
    host::Shell shell(window);
    window.show();

    if (!codes.isEmpty()) {
        QTimer::singleShot(0, &window, [&window, codes] {
            for (const QString& code : codes) window.OpenScreen(code);
        });
    }
    return QApplication::exec();
}

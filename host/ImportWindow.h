// "Importar saldos": a child window that sends a file of opening balances to the application
// server, first as a dry run whose every line (and every refusal with its reason) shows in a
// preview grid, then, when the dry run of that same file refused nothing and the user
// confirms, for real.
#pragma once

#include <QByteArray>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "core/BalanceLayout.h"
#include "host/ImportOutcome.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace host {

class ServerConnection;

class ImportWindow : public QWidget {
    Q_OBJECT
  public:
    // Checks (dry run) or imports a file for a company and kind; raises with a message fit to
    // show when it cannot.
    using Run = std::function<ImportOutcome(const std::string& company, core::BalanceKind kind,
                                            const QByteArray& file, bool dryRun)>;
    // The application server's ImportSaldComer through the windows' connection.
    static Run FromServer(ServerConnection& server);

    // The largest file sent: its base64 form must fit in one request to the server (64 MB).
    static constexpr qint64 kMaxFileBytes = qint64{48} << 20;
    // The grid shows at most this many lines (every refused one first); the counts are whole.
    static constexpr std::size_t kMaxShownLines = 10000;

    explicit ImportWindow(Run run, QWidget* parent = nullptr);

    void SetFile(const QString& path);
    // The dry run of the chosen file; its outcome fills the grid. False when it could not run
    // (the reason shown to the user).
    bool Simulate();
    // After a clean dry run of the same file: asks "Sim"/"Não", then imports. True when the
    // balances were written.
    bool Import();

    // Hears each summary ("3 linhas aceitas, 0 recusadas.", "3 saldos importados.").
    std::function<void(const QString&)> onReport;

    QComboBox* Company() const { return company_; }
    QComboBox* Kind() const { return kind_; }
    QLineEdit* File() const { return file_; }
    QTableWidget* Grid() const { return grid_; }
    QLabel* Summary() const { return summary_; }
    QPushButton* ImportButton() const { return import_; }

  private:
    // The file's bytes, or nullopt with the reason shown.
    std::optional<QByteArray> ReadFile(const QString& path);
    void Show(const ImportOutcome& outcome);
    void Report(const QString& text);
    void Forget();
    void AskFile();
    core::BalanceKind ChosenKind() const;

    // The dry run that refused nothing: what Import sends, if the file still holds it.
    struct Checked {
        std::string company;
        core::BalanceKind kind;
        QString path;
        QByteArray bytes;
        std::size_t lines = 0;
    };

    Run run_;
    QComboBox* company_;
    QComboBox* kind_;
    QLineEdit* file_;
    QTableWidget* grid_;
    QLabel* summary_;
    QPushButton* simulate_;
    QPushButton* import_;
    std::optional<Checked> checked_;
};

}  // namespace host

// The import window: company, kind and file on top, the preview grid, the summary below.
#include "host/ImportWindow.h"

#include <QColor>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>

#include "core/Error.h"
#include "core/TieOut.h"
#include "host/Companies.h"
#include "host/Dialogs.h"
#include "host/ServerCall.h"
#include "library/RequestKey.h"
#include "services/SaldComerService.h"

namespace host {
namespace {

const char* const kKindNames[] = {"Fornecedores", "Clientes", "Bancos"};

QString Count(std::size_t n, const char* one, const char* many) {
    return QString::number(n) + " " + QString::fromUtf8(n == 1 ? one : many);
}

QString SummaryOf(const ImportOutcome& outcome) {
    return Count(outcome.accepted, "linha aceita", "linhas aceitas") + ", " +
           Count(outcome.refused, "recusada", "recusadas") + ".";
}

// Every refused line, then accepted ones up to the limit, by line number.
std::vector<ImportPreviewLine> Shown(const ImportOutcome& outcome, std::size_t limit) {
    if (outcome.lines.size() <= limit) return outcome.lines;
    std::vector<ImportPreviewLine> shown;
    for (const ImportPreviewLine& l : outcome.lines)
        if (!l.reason.isEmpty() && shown.size() < limit) shown.push_back(l);
    for (const ImportPreviewLine& l : outcome.lines)
        if (l.reason.isEmpty() && shown.size() < limit) shown.push_back(l);
    std::sort(shown.begin(), shown.end(),
              [](const auto& a, const auto& b) { return a.number < b.number; });
    return shown;
}

}  // namespace

ImportWindow::Run ImportWindow::FromServer(ServerConnection& server) {
    return [&server](const std::string& company, core::BalanceKind kind, const QByteArray& file,
                     bool dryRun) {
        // A large file takes the server a while to check; the window paints meanwhile.
        return ImportOutcomeFromJson(
            server.Call(services::kImportSaldComer,
                        {company, core::TieOutKindCode(kind), file.toBase64().toStdString(), dryRun,
                         library::DesktopUserName()},
                        std::chrono::minutes(10)));
    };
}

ImportWindow::ImportWindow(Run run, QWidget* parent)
    : QWidget(parent),
      run_(std::move(run)),
      company_(new QComboBox(this)),
      kind_(new QComboBox(this)),
      file_(new QLineEdit(this)),
      grid_(new QTableWidget(this)),
      summary_(new QLabel(this)),
      simulate_(new QPushButton(QStringLiteral("Simu&lar"), this)),
      import_(new QPushButton(QStringLiteral("&Importar"), this)) {
    setObjectName("ImportWindow");
    setWindowTitle(QStringLiteral("Importar saldos"));
    company_->setObjectName("ImportCompany");
    company_->setEditable(true);
    company_->addItems(Companies());
    kind_->setObjectName("ImportKind");
    for (const char* name : kKindNames) kind_->addItem(QString::fromUtf8(name));
    file_->setObjectName("ImportFile");
    file_->setPlaceholderText(QStringLiteral("Arquivo CSV (separado por \";\")"));
    auto* choose = new QPushButton(QStringLiteral("Escol&her…"), this);
    choose->setObjectName("ImportChoose");
    simulate_->setObjectName("ImportSimulate");
    simulate_->setDefault(true);
    import_->setObjectName("ImportRun");
    import_->setEnabled(false);
    grid_->setObjectName("ImportGrid");
    grid_->setAccessibleName(QStringLiteral("Linhas do arquivo"));
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->verticalHeader()->hide();
    grid_->setColumnCount(6);
    grid_->setHorizontalHeaderLabels({QStringLiteral("Linha"), QStringLiteral("Mês"),
                                      QStringLiteral("Conta Contábil"), QStringLiteral("Código"),
                                      QStringLiteral("Valor"), QStringLiteral("Recusa")});
    grid_->horizontalHeader()->setStretchLastSection(true);
    summary_->setObjectName("ImportSummary");

    auto* bar = CompanyAndKindBar(this, company_, kind_, QStringLiteral("E&mpresa:"));
    auto* fileBar = new QHBoxLayout;
    auto* fileLabel = new QLabel(QStringLiteral("Ar&quivo:"), this);
    fileLabel->setBuddy(file_);
    fileBar->addWidget(fileLabel);
    fileBar->addWidget(file_, 1);
    fileBar->addWidget(choose);
    fileBar->addWidget(simulate_);
    fileBar->addWidget(import_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addLayout(fileBar);
    layout->addWidget(grid_, 1);
    layout->addWidget(summary_);

    // Whatever names another file, company or kind calls for a new dry run.
    connect(company_, &QComboBox::currentTextChanged, this, [this] { Forget(); });
    connect(kind_, &QComboBox::currentIndexChanged, this, [this] { Forget(); });
    connect(file_, &QLineEdit::textChanged, this, [this] { Forget(); });
    connect(choose, &QPushButton::clicked, this, [this] { AskFile(); });
    connect(simulate_, &QPushButton::clicked, this, [this] { Simulate(); });
    connect(import_, &QPushButton::clicked, this, [this] { Import(); });
}

void ImportWindow::SetFile(const QString& path) {
    file_->setText(path);
}

core::BalanceKind ImportWindow::ChosenKind() const {
    return static_cast<core::BalanceKind>(std::clamp(kind_->currentIndex(), 0, 2));
}

void ImportWindow::Forget() {
    checked_.reset();
    import_->setEnabled(false);
}

void ImportWindow::Report(const QString& text) {
    summary_->setText(text);
    if (onReport) onReport(text);
}

void ImportWindow::AskFile() {
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral("Arquivo de saldos"), file_->text(),
                                     QStringLiteral("CSV (*.csv *.txt);;Todos os arquivos (*)"));
    if (!path.isEmpty()) SetFile(path);
}

std::optional<QByteArray> ImportWindow::ReadFile(const QString& path) {
    const QString tooLarge = "Arquivo grande demais: o limite é de " +
                             QString::number(kMaxFileBytes >> 20) + " MB. Divida-o em partes.";
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        ShowError(this, "Não foi possível ler o arquivo " + path + ": " +
                            (file.errorString().isEmpty() ? QStringLiteral("é uma pasta.")
                                                          : file.errorString()));
        return std::nullopt;
    }
    if (file.size() > kMaxFileBytes) {
        ShowError(this, tooLarge);
        return std::nullopt;
    }
    // One byte past the limit tells a file that grew since its size was asked.
    QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (bytes.size() > kMaxFileBytes) {
        ShowError(this, tooLarge);
        return std::nullopt;
    }
    if (file.error() != QFileDevice::NoError) {
        ShowError(this, "Não foi possível ler o arquivo " + path + ": " + file.errorString());
        return std::nullopt;
    }
    return bytes;
}

bool ImportWindow::Simulate() {
    Forget();
    const std::string company = CompanyCode(company_->currentText());
    const core::BalanceKind kind = ChosenKind();
    const QString path = file_->text().trimmed();
    try {
        if (company.empty()) throw core::Error("Empresa deve ser informada.");
        if (path.isEmpty()) throw core::Error("Escolha o arquivo de saldos a importar.");
        std::optional<QByteArray> bytes = ReadFile(path);
        if (!bytes) {
            grid_->setRowCount(0);
            summary_->clear();
            return false;
        }
        const ImportOutcome outcome = run_(company, kind, *bytes, true);
        Show(outcome);
        if (outcome.refused > 0) {
            Report(SummaryOf(outcome) + " Corrija o arquivo e simule de novo; nada foi gravado.");
        } else if (outcome.accepted == 0) {
            Report(SummaryOf(outcome) + " O arquivo não tem saldos a importar.");
        } else {
            Report(SummaryOf(outcome) + " Nada foi gravado ainda: confira e importe.");
            checked_ = Checked{company, kind, path, std::move(*bytes), outcome.accepted};
            import_->setEnabled(true);
        }
        return true;
    } catch (const std::exception& e) {
        grid_->setRowCount(0);
        summary_->clear();
        ShowError(this, QString::fromUtf8(e.what()));
        return false;
    }
}

bool ImportWindow::Import() {
    if (!checked_) return false;
    const Checked checked = *checked_;
    std::optional<QByteArray> bytes = ReadFile(checked.path);
    if (!bytes) return false;
    if (*bytes != checked.bytes) {
        Forget();
        ShowError(this,
                  QStringLiteral(
                      "O arquivo mudou depois da simulação. Simule de novo antes de importar."));
        return false;
    }
    const QString question =
        "Importar " + Count(checked.lines, "saldo", "saldos") + " de " +
        QString::fromUtf8(kKindNames[static_cast<int>(checked.kind)]).toLower() +
        " para a empresa " + QString::fromStdString(checked.company) +
        "?\n\nTodas as linhas serão gravadas juntas, ou nenhuma.";
    if (!AskYesNo(this, question)) return false;
    // One import per dry run: a second click must not try the same lines again.
    Forget();
    try {
        const ImportOutcome outcome = run_(checked.company, checked.kind, *bytes, false);
        Show(outcome);
        if (!outcome.written) {
            // The data changed since the dry run (another user's save, say).
            Report(SummaryOf(outcome) + " Nada foi gravado.");
            return false;
        }
        Report(Count(outcome.accepted, "saldo importado.", "saldos importados."));
        return true;
    } catch (const std::exception& e) {
        ShowError(this, QString::fromUtf8(e.what()) + "\n\nNada foi gravado.");
        return false;
    }
}

void ImportWindow::Show(const ImportOutcome& outcome) {
    const std::vector<ImportPreviewLine> lines = Shown(outcome, kMaxShownLines);
    grid_->setRowCount(0);
    grid_->setRowCount(static_cast<int>(lines.size()));
    int row = 0;
    for (const ImportPreviewLine& line : lines) {
        const QString cells[] = {QString::number(line.number),
                                 line.month,
                                 line.account,
                                 line.owner,
                                 line.value,
                                 line.reason};
        for (int c = 0; c < 6; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == 0 || c == 4) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (!line.reason.isEmpty()) item->setForeground(QColor(160, 0, 0));
            grid_->setItem(row, c, item);
        }
        ++row;
    }
    grid_->resizeColumnsToContents();
    grid_->horizontalHeader()->setStretchLastSection(true);
    if (lines.size() < outcome.lines.size())
        grid_->setToolTip("A grade mostra " + QString::number(lines.size()) + " de " +
                          QString::number(outcome.lines.size()) +
                          " linhas: todas as recusadas primeiro.");
    else
        grid_->setToolTip({});
}

}  // namespace host

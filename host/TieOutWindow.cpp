// The tie-out window: a bar to choose company and kind, the grid, and the output commands.
#include "host/TieOutWindow.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTableWidget>
#include <QTextDocument>
#include <QVBoxLayout>

#include "core/Error.h"
#include "core/PtBrNumber.h"
#include "host/Companies.h"
#include "host/Dialogs.h"
#include "host/ServerCall.h"
#include "services/SaldComerService.h"

namespace host {
namespace {

QString ToQt(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

TieOutWindow::Fetch TieOutWindow::FromServer(ServerConnection& server) {
    return [&server](const std::string& company, std::optional<core::BalanceKind> kind) {
        return core::TieOutFromJson(server.Call(services::kGetConfContabil,
                                                {company, core::TieOutKindCode(kind)},
                                                std::chrono::seconds(30)));
    };
}

TieOutWindow::TieOutWindow(Fetch fetch, QWidget* parent)
    : QWidget(parent),
      fetch_(std::move(fetch)),
      company_(new QComboBox(this)),
      kind_(new QComboBox(this)),
      grid_(new QTableWidget(this)),
      summary_(new QLabel(this)),
      export_(new QPushButton(QStringLiteral("E&xportar CSV…"), this)),
      print_(new QPushButton(QStringLiteral("&Imprimir…"), this)),
      pdf_(new QPushButton(QStringLiteral("&PDF…"), this)) {
    setObjectName("TieOutWindow");
    setWindowTitle(QStringLiteral("Conferência com a contabilidade"));
    company_->setObjectName("TieOutCompany");
    company_->setEditable(true);
    company_->addItems(Companies());
    kind_->setObjectName("TieOutKind");
    kind_->addItems({QStringLiteral("Todos"), QStringLiteral("Fornecedores"),
                     QStringLiteral("Clientes"), QStringLiteral("Bancos")});
    // Alt+C opens the shell's "Cadastros".
    auto* refresh = new QPushButton(QStringLiteral("Con&ferir"), this);
    refresh->setObjectName("TieOutRefresh");
    refresh->setDefault(true);
    export_->setObjectName("TieOutExport");
    print_->setObjectName("TieOutPrint");
    pdf_->setObjectName("TieOutPdf");
    grid_->setObjectName("TieOutGrid");
    grid_->setAccessibleName(QStringLiteral("Conferência"));
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->verticalHeader()->hide();
    summary_->setObjectName("TieOutSummary");

    auto* bar = CompanyAndKindBar(this, company_, kind_, QStringLiteral("&Empresa:"));
    bar->addWidget(refresh);
    bar->addStretch();
    bar->addWidget(export_);
    bar->addWidget(print_);
    bar->addWidget(pdf_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(grid_, 1);
    layout->addWidget(summary_);
    for (QPushButton* b : {export_, print_, pdf_}) b->setEnabled(false);

    connect(refresh, &QPushButton::clicked, this, [this] { Refresh(); });
    connect(export_, &QPushButton::clicked, this, [this] { AskExport(); });
    connect(print_, &QPushButton::clicked, this, [this] { AskPrint(); });
    connect(pdf_, &QPushButton::clicked, this, [this] { AskPdf(); });
}

bool TieOutWindow::Refresh() {
    const std::string company = CompanyCode(company_->currentText());
    const std::optional<core::BalanceKind> kind =
        kind_->currentIndex() <= 0 ? std::nullopt
                                   : std::optional<core::BalanceKind>(
                                         static_cast<core::BalanceKind>(kind_->currentIndex() - 1));
    try {
        if (company.empty()) throw core::Error("Empresa deve ser informada.");
        Show(fetch_(company, kind));
        return true;
    } catch (const std::exception& e) {
        shown_.reset();
        grid_->setRowCount(0);
        summary_->clear();
        for (QPushButton* b : {export_, print_, pdf_}) b->setEnabled(false);
        ShowError(this, QString::fromUtf8(e.what()));
        return false;
    }
}

void TieOutWindow::Show(const core::TieOut& tieOut) {
    shown_ = tieOut;
    const auto& headings = core::TieOutHeadings();
    grid_->clear();
    grid_->setColumnCount(static_cast<int>(headings.size()));
    QStringList labels;
    for (const std::string& h : headings) labels << ToQt(h);
    grid_->setHorizontalHeaderLabels(labels);
    grid_->setRowCount(static_cast<int>(tieOut.lines.size()) + 1);
    const auto put = [&](int row, const std::vector<std::string>& cells, bool bold) {
        for (int c = 0; c < static_cast<int>(cells.size()); ++c) {
            auto* item = new QTableWidgetItem(ToQt(cells[static_cast<std::size_t>(c)]));
            if (c >= 3 && c <= 5) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (bold) {
                QFont font = item->font();
                font.setBold(true);
                item->setFont(font);
            }
            grid_->setItem(row, c, item);
        }
    };
    int row = 0;
    for (const core::TieOutLine& line : tieOut.lines) put(row++, core::TieOutCells(line), false);
    put(row, core::TieOutTotalCells(tieOut), true);
    grid_->resizeColumnsToContents();
    grid_->horizontalHeader()->setStretchLastSection(true);
    summary_->setText(QString::number(tieOut.lines.size()) + " conta(s) e mês(es) conferidos.");
    for (QPushButton* b : {export_, print_, pdf_}) b->setEnabled(true);
}

bool TieOutWindow::ExportCsv(const QString& path, QString* error) const {
    if (!shown_) return false;
    const std::string text = core::TieOutCsv(*shown_);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size()) ||
        !file.flush()) {
        if (error != nullptr) *error = file.errorString();
        return false;
    }
    return true;
}

QString TieOutWindow::Html() const {
    if (!shown_) return {};
    const auto row = [](const std::vector<std::string>& cells, const char* tag) {
        QString html = "<tr>";
        for (std::size_t c = 0; c < cells.size(); ++c) {
            const QString align = c >= 3 && c <= 5 ? " align=\"right\"" : "";
            html += QString("<%1%2>%3</%1>")
                        .arg(QString::fromLatin1(tag), align, ToQt(cells[c]).toHtmlEscaped());
        }
        return html + "</tr>";
    };
    QString html = "<h3>" + windowTitle().toHtmlEscaped() + "</h3><p>Empresa " +
                   ToQt(shown_->company).toHtmlEscaped() + " · " + kind_->currentText() +
                   "</p><table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">";
    html += row(core::TieOutHeadings(), "th");
    for (const core::TieOutLine& line : shown_->lines) html += row(core::TieOutCells(line), "td");
    html += row(core::TieOutTotalCells(*shown_), "th");
    return html + "</table>";
}

void TieOutWindow::Print(QPrinter& printer) const {
    QTextDocument document;
    document.setHtml(Html());
    document.print(&printer);
}

void TieOutWindow::AskExport() {
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Exportar conferência"),
                                                      QStringLiteral("conferencia.csv"),
                                                      QStringLiteral("CSV (*.csv)"));
    if (path.isEmpty()) return;
    QString error;
    if (!ExportCsv(path, &error)) {
        ShowError(this, "Não foi possível gravar " + path + ": " + error);
        return;
    }
    if (onReport) onReport("Conferência exportada para " + QDir::toNativeSeparators(path) + ".");
}

void TieOutWindow::AskPrint() {
    QPrinter printer;
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted) Print(printer);
}

void TieOutWindow::AskPdf() {
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Salvar conferência em PDF"), QStringLiteral("conferencia.pdf"),
        QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty()) return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageOrientation(QPageLayout::Landscape);
    Print(printer);
    if (onReport) onReport("Conferência salva em " + QDir::toNativeSeparators(path) + ".");
}

}  // namespace host

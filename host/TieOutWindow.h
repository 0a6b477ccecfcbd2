// "Conferência com a contabilidade": a child window that asks the application server for a
// company's tie-out, shows it in a grid with the screen's amounts ("1.234,50 CR"), exports it
// as CSV and prints it (to a printer or a PDF file) through Qt's print support.
#pragma once

#include <QWidget>
#include <functional>
#include <optional>

#include "core/TieOut.h"

class QComboBox;
class QLabel;
class QPrinter;
class QPushButton;
class QTableWidget;

namespace host {

class ServerConnection;

class TieOutWindow : public QWidget {
    Q_OBJECT
  public:
    // Fetches the tie-out of a company and kind (none: every kind); raises with a message fit
    // to show when it cannot.
    using Fetch = std::function<core::TieOut(const std::string&, std::optional<core::BalanceKind>)>;
    // The application server's GetConfContabil through the windows' connection.
    static Fetch FromServer(ServerConnection& server);

    explicit TieOutWindow(Fetch fetch, QWidget* parent = nullptr);

    // Asks for the tie-out of the chosen company and kind; a failure is shown to the user and
    // leaves the grid empty. False on failure.
    bool Refresh();
    // Writes the shown tie-out as CSV (UTF-8, ";"); false with the reason when it cannot.
    bool ExportCsv(const QString& path, QString* error = nullptr) const;
    // The shown tie-out as an HTML table, for printing.
    QString Html() const;
    void Print(QPrinter& printer) const;

    // Hears what an output command wrote ("Conferência exportada para /home/ana/c.csv.").
    std::function<void(const QString&)> onReport;

    QComboBox* Company() const { return company_; }
    QComboBox* Kind() const { return kind_; }
    QTableWidget* Grid() const { return grid_; }
    const std::optional<core::TieOut>& Shown() const { return shown_; }

  private:
    void Show(const core::TieOut& tieOut);
    void AskExport();
    void AskPrint();
    void AskPdf();

    Fetch fetch_;
    QComboBox* company_;
    QComboBox* kind_;
    QTableWidget* grid_;
    QLabel* summary_;
    QPushButton* export_;
    QPushButton* print_;
    QPushButton* pdf_;
    std::optional<core::TieOut> shown_;
};

}  // namespace host

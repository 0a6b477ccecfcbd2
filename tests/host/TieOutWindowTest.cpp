// The "Relatórios" menu's tie-out window: the grid with the screen's amounts and the totals,
// CSV export byte for byte, printing to a PDF file, a refusal shown and the grid emptied, and
// the window on a real server over its demo data.
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QMdiSubWindow>
#include <QPrinter>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>

#include "ShellFixture.h"
#include "core/Error.h"
#include "host/TieOutWindow.h"
#include "library/Frmpadr.h"
#include "library/dtmDBGeral.h"

#ifdef SALDO_MODULE_DIR
#include "tests/support/ServerProcess.h"
#endif

namespace {

core::TieOut Sample(const std::string& company, std::optional<core::BalanceKind> kind) {
    core::TieOut t;
    t.company = company;
    t.kind = kind;
    t.lines.push_back(
        {"2.1.1.01.0001", "Fornecedores Nacionais", "2024-01-31", 123450, 123450, true});
    t.lines.push_back({"1.1.2.01.0001", "Clientes Nacionais", "2024-06-30", -50000, -40000, true});
    return t;
}

class TieOutWindowTest : public hosttest::ShellFixture {
  protected:
    host::TieOutWindow* Open() {
        QAction* action = Widget<QAction>("mnuConferencia");
        EXPECT_NE(action, nullptr);
        if (action != nullptr) action->trigger();
        return window.findChild<host::TieOutWindow*>();
    }
    std::string company;
    std::optional<core::BalanceKind> kind;
};

TEST_F(TieOutWindowTest, ShowsTheTieOutOfTheChosenCompanyAndKindWithTotals) {
    window.tieOutFetch = [this](const std::string& c, std::optional<core::BalanceKind> k) {
        company = c;
        kind = k;
        return Sample(c, k);
    };
    host::TieOutWindow* tieOut = Open();
    ASSERT_NE(tieOut, nullptr);
    EXPECT_EQ(window.MdiArea()->currentSubWindow()->windowTitle(),
              "Conferência com a contabilidade");
    // Wholly inside the workspace, however small the display.
    EXPECT_TRUE(window.MdiArea()->viewport()->rect().contains(
        window.MdiArea()->currentSubWindow()->geometry()));
    tieOut->Company()->setEditText("02 - Distribuidora");
    tieOut->Kind()->setCurrentIndex(2);
    ASSERT_TRUE(tieOut->Refresh());
    EXPECT_EQ(company, "02");
    EXPECT_EQ(kind, core::BalanceKind::Clients);
    QTableWidget* grid = tieOut->Grid();
    ASSERT_EQ(grid->rowCount(), 3);
    EXPECT_EQ(grid->item(0, 3)->text(), "1.234,50 CR");
    EXPECT_EQ(grid->item(0, 6)->text(), "Confere");
    EXPECT_EQ(grid->item(1, 3)->text(), "500,00 DB");
    EXPECT_EQ(grid->item(1, 6)->text(), "Excede");
    EXPECT_EQ(grid->item(2, 0)->text(), "Total");
    EXPECT_EQ(grid->item(2, 3)->text(), "734,50 CR");
    // The menu again brings the same window forward.
    EXPECT_EQ(Open(), tieOut);
    EXPECT_EQ(window.MdiArea()->subWindowList().size(), 1);
}

TEST_F(TieOutWindowTest, KeepsTheFrontAndItsFocusAfterItsCallToTheServer) {
    // On a real display the window has the keyboard focus only once it is active.
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto* screen = app.CreateForm<library::TfrmPadrao>();
    screen->SetCaption("Saldo Comercial");
    screen->Show();
    QApplication::processEvents();
    // The call waits in a job, as a server call does.
    window.tieOutFetch = [this](const std::string& c, std::optional<core::BalanceKind> k) {
        app.Jobs().Run([] {});
        return Sample(c, k);
    };
    host::TieOutWindow* tieOut = Open();
    ASSERT_NE(tieOut, nullptr);
    tieOut->Company()->setEditText("01");
    tieOut->Company()->setFocus();
    ASSERT_TRUE(tieOut->Refresh());
    EXPECT_EQ(window.MdiArea()->currentSubWindow()->widget(), tieOut);
    EXPECT_EQ(QApplication::focusWidget(), tieOut->Company());
    EXPECT_EQ(app.ActiveForm(), screen);
}

TEST_F(TieOutWindowTest, ExportsCsvAndPrintsToPdf) {
    window.tieOutFetch = Sample;
    host::TieOutWindow* tieOut = Open();
    ASSERT_NE(tieOut, nullptr);
    tieOut->Company()->setEditText("01");
    ASSERT_TRUE(tieOut->Refresh());
    QTemporaryDir dir;
    const QString csv = dir.filePath("conferencia.csv");
    ASSERT_TRUE(tieOut->ExportCsv(csv));
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), core::TieOutCsv(Sample("01", std::nullopt)));
    QString error;
    EXPECT_FALSE(tieOut->ExportCsv(dir.filePath("missing/folder/x.csv"), &error));
    EXPECT_FALSE(error.isEmpty());

    EXPECT_TRUE(tieOut->Html().contains("1.234,50 CR"));
    const QString pdf = dir.filePath("conferencia.pdf");
    {
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        tieOut->Print(printer);
    }
    QFile printed(pdf);
    ASSERT_TRUE(printed.open(QIODevice::ReadOnly));
    EXPECT_TRUE(printed.read(5).startsWith("%PDF-"));
}

TEST_F(TieOutWindowTest, ARefusalIsShownAndLeavesNothingToExport) {
    window.tieOutFetch = [](const std::string&, std::optional<core::BalanceKind>) -> core::TieOut {
        throw core::Error("Empresa não cadastrada.");
    };
    host::TieOutWindow* tieOut = Open();
    ASSERT_NE(tieOut, nullptr);
    tieOut->Company()->setEditText("77");
    hosttest::ModalAnswer answer;
    EXPECT_FALSE(tieOut->Refresh());
    EXPECT_EQ(answer.Seen(), 1);
    EXPECT_EQ(answer.Text(), "Empresa não cadastrada.");
    EXPECT_EQ(tieOut->Grid()->rowCount(), 0);
    EXPECT_FALSE(tieOut->Shown().has_value());
    EXPECT_FALSE(tieOut->findChild<QWidget*>("TieOutExport")->isEnabled());
}

#ifdef SALDO_MODULE_DIR
TEST_F(TieOutWindowTest, AsksTheRealServerForItsDemoCompanies) {
    if (std::string(SALDO_SERVER_BINARY).empty()) GTEST_SKIP() << "saldo-server is not built";
    testsupport::ServerProcess server(SALDO_SERVER_BINARY);
    setenv("SALDO_SERVER", server.Address().c_str(), 1);
    setenv("SALDO_DB", server.DatabaseURL().c_str(), 1);
    window.tieOutFetch = host::TieOutWindow::FromServer(window.server);
    host::TieOutWindow* tieOut = Open();
    ASSERT_NE(tieOut, nullptr);
    ASSERT_GE(tieOut->Company()->count(), 3);
    EXPECT_TRUE(tieOut->Company()->itemText(0).startsWith("01 - "));
    tieOut->Company()->setCurrentIndex(0);
    tieOut->Kind()->setCurrentIndex(3);  // banks
    ASSERT_TRUE(tieOut->Refresh());
    ASSERT_GT(tieOut->Grid()->rowCount(), 1);
    EXPECT_TRUE(tieOut->Grid()->item(0, 0)->text().startsWith("1.1.1.02."));
    EXPECT_TRUE(tieOut->Grid()->item(0, 3)->text().endsWith(" DB"));
    library::dtmDBGeral().Disconnect();
}
#endif

}  // namespace

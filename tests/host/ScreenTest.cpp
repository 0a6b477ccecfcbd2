// The shell with the real module and a real saldo-server: the user's road through the screen
// with the real Qt widgets. With SALDO_SCREENSHOT_DIR set, it also saves the README's pictures.
#include "ScreenFixture.h"

namespace {

using screentest::Picture;
using screentest::ScreenTest;

TEST_F(ScreenTest, OpensOnceAsAChildWindowAndLoadsACompanysRowsIntoTheTable) {
    ASSERT_EQ(window->MdiArea()->subWindowList().size(), 1);
    EXPECT_EQ(window->MdiArea()->subWindowList().front()->windowTitle(), "Saldo Comercial");
    ASSERT_TRUE(window->OpenScreen("RDQ63500"));  // the module brings the same window forward
    EXPECT_EQ(window->MdiArea()->subWindowList().size(), 1);

    ASSERT_NE(Code(), nullptr);
    EXPECT_EQ(QApplication::focusWidget(), Code());
    QTableView* sheet = Grid("dbgPadrao");
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->model()->rowCount(), 0);  // nothing while the data link is off

    hosttest::ModalAnswer unexpected;
    QTest::keyClicks(Code(), "1");
    QTest::keyClick(Code(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QApplication::processEvents();
    EXPECT_EQ(unexpected.Seen(), 0) << unexpected.Text().toStdString();
    EXPECT_EQ(Code()->text(), "01");
    EXPECT_EQ(Widget<QLineEdit>("edtNmEmpresa")->text(), "Comercial Horizonte Ltda.");
    EXPECT_GT(sheet->model()->rowCount(), 0);
    EXPECT_EQ(sheet->model()->headerData(0, Qt::Horizontal).toString(), "Data");
    Picture(window.get(), "folha-de-dados");
}

TEST_F(ScreenTest, AnUnknownCompanyShowsTheMessageAndKeepsTheFocusInTheCode) {
    hosttest::ModalAnswer answer;
    QTest::keyClicks(Code(), "77");
    QTest::keyClick(Code(), Qt::Key_Tab);
    QApplication::processEvents();
    EXPECT_EQ(answer.Seen(), 1);
    EXPECT_EQ(answer.Text(), "Empresa não cadastrada.");
    EXPECT_EQ(window->focusWidget(), Code());
    EXPECT_EQ(Grid("dbgPadrao")->model()->rowCount(), 0);
}

TEST_F(ScreenTest, InsertSwitchesToTheEntryPageWithANewFirstRow) {
    ChooseCompany("01");
    auto* implant = Widget<QAbstractButton>("cbxImplantSaldo");
    ASSERT_TRUE(implant->isEnabled());
    QTest::mouseClick(implant, Qt::LeftButton);
    ASSERT_TRUE(implant->isChecked());
    ChooseCompany("01");  // leaving the panel again turns the commands on in implant mode
    auto* insert = Widget<QToolButton>("sbtIncluir");
    ASSERT_TRUE(insert->isEnabled());
    QTableView* entry = Grid("dbgLancSaldCome");
    const int before = Grid("dbgPadrao")->model()->rowCount();

    QTest::mouseClick(insert, Qt::LeftButton);
    QApplication::processEvents();
    auto* pages = Widget<QTabWidget>("pgcPadrao");
    EXPECT_EQ(pages->currentWidget()->objectName(), "tshFormulario");
    EXPECT_EQ(entry->model()->rowCount(), before + 1);
    EXPECT_EQ(entry->currentIndex().row(), 0);
    EXPECT_EQ(entry->model()->headerData(entry->currentIndex().column(), Qt::Horizontal).toString(),
              "Data");
    EXPECT_EQ(entry->model()->index(0, 5).data().toString(), "Sim");
    EXPECT_EQ(QApplication::focusWidget(), entry);

    // The month typed into the in-place editor goes through the mask.
    QTest::keyClicks(entry, "032024");
    auto* editor = entry->findChild<QLineEdit*>("dbgLancSaldComeEditor");
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->displayText(), "03/2024");
    QTest::keyClick(entry, Qt::Key_Return);
    EXPECT_EQ(entry->model()->index(0, 0).data().toString(), "03/2024");

    // The account pick list through the ellipsis button of the account column.
    entry->setCurrentIndex(entry->model()->index(0, 1));
    auto* ellipsis = entry->findChild<QToolButton*>("dbgLancSaldComeEllipsis");
    ASSERT_TRUE(ellipsis->isVisible());
    {
        hosttest::ModalAnswer list("", [](QWidget* dialog) { Picture(dialog, "lista-de-contas"); });
        QTest::mouseClick(ellipsis, Qt::LeftButton);
        EXPECT_EQ(list.Seen(), 1);
        EXPECT_EQ(list.Title(), "Conta Contábil");
    }

    // A bad month: the screen's message.
    entry->setCurrentIndex(entry->model()->index(0, 0));
    hosttest::ModalAnswer invalid("OK", [](QWidget* box) { Picture(box, "data-invalida"); });
    QTest::keyClicks(entry, "132024");
    QTest::keyClick(entry, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(invalid.Text(), "Data inválida!");
}

TEST_F(ScreenTest, TheGridModelShowsTheVisibleRowsAndNothingOnceTheLinkIsOff) {
    ChooseCompany("01");
    QTableView* sheet = Grid("dbgPadrao");
    const int rows = sheet->model()->rowCount();
    ASSERT_GT(rows, 0);
    // Implant mode filters to the implanted rows: fewer or as many, never more.
    QTest::mouseClick(Widget<QAbstractButton>("cbxImplantSaldo"), Qt::LeftButton);
    EXPECT_LE(sheet->model()->rowCount(), rows);
    // Back into the filter panel: the data link is off and the grid shows nothing.
    QTest::mouseClick(Code(), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(sheet->model()->rowCount(), 0);
    EXPECT_EQ(sheet->model()->columnCount(), 0);
}

}  // namespace

// The look-up dialog's keyboard: filter by typing, Enter picks, Escape cancels; the busy delay.
#include "host/Dialogs.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLineEdit>
#include <QMainWindow>
#include <QSettings>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "host/BusyIndicator.h"

namespace {

const QStringList kCaptions{"Código", "Nome"};
const std::vector<QStringList> kRows{{"01", "Comercial Andrade Ltda"},
                                     {"02", "Distribuidora Boa Vista"},
                                     {"03", "Indústria Cearense"}};

// Runs the dialog modally, as the framework's synchronous port does, scripting keys into it.
int RunWithKeys(host::PickListDialog& dialog, const std::function<void()>& keys) {
    QTimer::singleShot(0, &dialog, keys);
    dialog.exec();
    return dialog.Picked();
}

TEST(PickListDialogTest, ShowsCaptionsAndRowsAndStartsOnTheCurrentRow) {
    host::PickListDialog dialog(nullptr, "Empresa", kCaptions, kRows, 1);
    const auto* model = dialog.View()->model();
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "Nome");
    EXPECT_EQ(model->rowCount(), 3);
    EXPECT_EQ(dialog.View()->currentIndex().row(), 1);
    EXPECT_EQ(dialog.windowTitle(), "Empresa");
}

TEST(PickListDialogTest, TypingFiltersOverEveryColumnAndEnterPicksTheVisibleRow) {
    host::PickListDialog dialog(nullptr, "Empresa", kCaptions, kRows, 0);
    const int picked = RunWithKeys(dialog, [&] {
        QTest::keyClicks(dialog.FilterEdit(), "cear");  // case ignored, accent kept
        EXPECT_EQ(dialog.View()->model()->rowCount(), 1);
        QTest::keyClick(dialog.FilterEdit(), Qt::Key_Return);
    });
    EXPECT_EQ(picked, 2);
}

TEST(PickListDialogTest, ArrowsMoveThroughTheListFromTheFilterAndTypingInTheListFilters) {
    host::PickListDialog dialog(nullptr, "Empresa", kCaptions, kRows, 0);
    const int picked = RunWithKeys(dialog, [&] {
        QTest::keyClick(dialog.FilterEdit(), Qt::Key_Down);
        dialog.View()->setFocus();
        QTest::keyClicks(dialog.View(), "0");  // every code matches "0"
        EXPECT_EQ(dialog.FilterEdit()->text(), "0");
        QTest::keyClick(dialog.FilterEdit(), Qt::Key_Down);
        QTest::keyClick(dialog.FilterEdit(), Qt::Key_Enter);
    });
    EXPECT_EQ(picked, 1);
}

TEST(PickListDialogTest, EscapeAndEnterOnAnEmptyFilterResultPickNothing) {
    host::PickListDialog escaped(nullptr, "Empresa", kCaptions, kRows, 0);
    EXPECT_EQ(RunWithKeys(escaped, [&] { QTest::keyClick(escaped.FilterEdit(), Qt::Key_Escape); }),
              -1);

    host::PickListDialog empty(nullptr, "Empresa", kCaptions, kRows, 0);
    const int picked = RunWithKeys(empty, [&] {
        QTest::keyClicks(empty.FilterEdit(), "zzz");
        QTest::keyClick(empty.FilterEdit(), Qt::Key_Return);  // nothing to pick: stays open
        EXPECT_TRUE(empty.isVisible());
        QTest::keyClick(empty.FilterEdit(), Qt::Key_Escape);
    });
    EXPECT_EQ(picked, -1);
}

TEST(PickListDialogTest, OpensWideEnoughForItsColumnsAndRemembersSizeAndWidthsPerTitle) {
    const std::vector<QStringList> wide{
        {"1.1.2.01.0001", "Clientes Nacionais", "Supermercados Bom Preço Ltda.", "-21.020,82 DB"}};
    const QStringList captions{"Conta", "Nome", "Razão Social", "Valor"};
    QSettings().remove("Pesquisa");
    {
        host::PickListDialog first(nullptr, "Saldos", captions, wide, 0);
        RunWithKeys(first, [&] {
            // No column is cut at first: the view shows them all.
            EXPECT_LE(first.View()->horizontalHeader()->length(),
                      first.View()->viewport()->width());
            first.resize(700, 333);
            first.View()->setColumnWidth(1, 222);
            QTest::keyClick(first.FilterEdit(), Qt::Key_Escape);
        });
    }
    host::PickListDialog again(nullptr, "Saldos", captions, wide, 0);
    EXPECT_EQ(again.size(), QSize(700, 333));
    EXPECT_EQ(again.View()->columnWidth(1), 222);
    host::PickListDialog other(nullptr, "Empresa", kCaptions, kRows, 0);
    EXPECT_NE(other.size(), QSize(700, 333));
}

TEST(BusyIndicatorTest, WaitCursorAtOnceIndicatorOnlyAfterTheDelayAndNestedStops) {
    QMainWindow window;
    window.show();
    host::BusyIndicator busy(&window);
    busy.Start();
    busy.Start();
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    EXPECT_FALSE(busy.IndicatorShown());
    // Shown once the delay is over; a loaded machine may run the timer late.
    EXPECT_TRUE(QTest::qWaitFor([&] { return busy.IndicatorShown(); },
                                host::BusyIndicator::kIndicatorDelayMs + 10000));
    busy.Stop();
    EXPECT_TRUE(busy.Running());
    busy.Stop();
    busy.Stop();  // one too many is harmless
    EXPECT_FALSE(busy.Running());
    EXPECT_FALSE(busy.IndicatorShown());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(BusyIndicatorTest, AShortCallNeverShowsTheIndicator) {
    QMainWindow window;
    host::BusyIndicator busy(&window);
    busy.Start();
    busy.Stop();
    QTest::qWait(host::BusyIndicator::kIndicatorDelayMs + 100);
    EXPECT_FALSE(busy.IndicatorShown());
}

}  // namespace

namespace {

// The file, print and message dialogs of Qt itself speak the user's language.
TEST(QtTranslationTest, QtsOwnTextsComeInPortuguese) {
    ASSERT_TRUE(host::InstallQtTranslation());
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancelar");
}

}  // namespace

// The grid peer over a record set of balance-like rows: a lazy model, nothing while the link
// is off, typing through the key-press handler and the field's mask, the ellipsis button.
#include <QDateTime>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QTimeZone>
#include <QToolButton>

#include "ShellFixture.h"
#include "host/GridModel.h"
#include "host/GridPeer.h"
#include "platform/Exceptions.h"
#include "platform/data/ClientDataSet.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/text/DateTime.h"
#include "platform/text/TextFunctions.h"
#include "platform/ui/DBGrid.h"

namespace {

using namespace platform;

class GridTest : public hosttest::ShellFixture {
  protected:
    // Declared before the fixture's members go: the set and source outlive the form's grid.
    void SetUp() override {
        auto& month = set.AddField("DTIMPSALDO", FieldType::DateTime);
        month.SetDisplayLabel("Data");
        month.SetDisplayFormat("mm/yyyy");
        month.SetEditMask("!99/0000;1;_");
        month.OnSetText = [](Field& field, const std::string& text) {
            const bool digits = text.size() == 7 && text[2] == '/' &&
                                text.find_first_not_of("0123456789/") == std::string::npos;
            if (!digits) throw Error("Data inválida!");
            field.SetAsDateTime(
                EncodeDate(std::stoi(text.substr(3)), std::stoi(text.substr(0, 2)), 1));
        };
        set.AddField("CDCONTCTBL", FieldType::String, 16).SetDisplayLabel("Conta Contábil");
        auto& value = set.AddField("VRIMPSALDO", FieldType::Double);
        value.SetDisplayLabel("Valor");
        value.SetDisplayFormat("#,##0.00");
        value.OnGetText = [this](Field& field, std::string& text, bool display) {
            ++formatted;
            text = display ? FormatFloat("#,##0.00", field.AsFloat()) : FloatToStr(field.AsFloat());
        };
        set.CreateDataSet();
        for (int i = 0; i < rows; ++i)
            set.AddRow({EncodeDate(2024, 1 + i % 12, 28), "1.1.01." + std::to_string(i), 10.0 * i});
        set.First();
        source.SetDataSet(&set);

        form = app.CreateForm<Form>();
        form->SetName("frmGrade");
        form->SetFormStyle(FormStyle::MDIChild);
        form->SetBounds(0, 0, 700, 400);
        grid = form->Create<DBGrid>();
        grid->SetName("dbgLanc");
        grid->SetParent(form);
        grid->SetAlign(Align::Client);
        grid->SetDataSource(&source);
        grid->OnKeyPress = [this](Component*, char32_t& key) {
            if (grid->SelectedField() != nullptr &&
                grid->SelectedField()->FieldName() == "VRIMPSALDO" && key == U'.')
                key = 0;
        };
        grid->OnEditButtonClick = [this](Component*) { ++ellipsisClicks; };
        form->Show();
        QApplication::processEvents();
        view = Widget<QTableView>("dbgLanc");
        ASSERT_NE(view, nullptr);
    }
    void TearDown() override {
        for (Form* f : app.Forms()) f->Release();
        app.ProcessMessages();
    }

    int rows = 3;
    int formatted = 0;
    int ellipsisClicks = 0;
    ClientDataSet set;
    DataSource source;
    Form* form = nullptr;
    DBGrid* grid = nullptr;
    QTableView* view = nullptr;
};

TEST_F(GridTest, TheModelShowsTheSetsVisibleRowsAndNothingWhileTheLinkIsOff) {
    auto* model = view->model();
    EXPECT_EQ(model->rowCount(), 3);
    EXPECT_EQ(model->columnCount(), 3);
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), "Data");
    EXPECT_EQ(model->index(1, 0).data().toString(), "02/2024");
    EXPECT_EQ(model->index(2, 2).data().toString(), "20,00");
    EXPECT_EQ(
        model->index(2, 2).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight,
        Qt::AlignRight);

    source.SetEnabled(false);
    EXPECT_EQ(model->rowCount(), 0);
    EXPECT_EQ(model->columnCount(), 0);
    source.SetEnabled(true);
    EXPECT_EQ(model->rowCount(), 3);

    set.SetFilter("CDCONTCTBL = '1.1.01.1'");
    set.SetFiltered(true);
    EXPECT_EQ(model->rowCount(), 1);
    EXPECT_EQ(model->index(0, 1).data().toString(), "1.1.01.1");
}

TEST_F(GridTest, AReadsMessageSaysHowManyRowsTheFilterLeavesShown) {
    app.ShowStatus(StatusPart::Message, "3 saldos lidos da empresa 01.");
    QApplication::processEvents();
    EXPECT_EQ(window.Message(), "3 saldos lidos da empresa 01.");  // nothing hidden
    set.SetFilter("CDCONTCTBL = '1.1.01.1'");
    set.SetFiltered(true);
    app.ShowStatus(StatusPart::Message, "3 saldos lidos da empresa 01.");
    QApplication::processEvents();
    EXPECT_EQ(window.Message(), "3 saldos lidos da empresa 01; 1 exibido pelo filtro.");
}

TEST_F(GridTest, TitlesAlignmentAndTheCurrentCellFollowTheGrid) {
    grid->SetTitleAlignment(2, TextAlignment::Right);
    EXPECT_EQ(
        view->model()->headerData(2, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>() &
            Qt::AlignRight,
        Qt::AlignRight);
    set.Last();
    EXPECT_EQ(view->currentIndex().row(), 2);
    // A click on a cell is the framework's cell selection.
    view->setCurrentIndex(view->model()->index(1, 1));
    EXPECT_EQ(set.VisibleRowIndex(), 1);
    EXPECT_EQ(grid->SelectedIndex(), 1);
    EXPECT_EQ(form->ActiveControl(), grid);
}

TEST_F(GridTest, TypedCharactersGoThroughTheKeyPressHandlerIntoTheCellEditor) {
    view->setCurrentIndex(view->model()->index(0, 2));
    QTest::keyClicks(view, "12.5");
    auto* editor = view->findChild<QLineEdit*>("dbgLancEditor");
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->text(), "125");  // the handler dropped "."
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(view->model()->index(0, 2).data().toString(), "125,00");
}

TEST_F(GridTest, TheMonthEditorAppliesTheFieldsMaskAndARefusedMonthIsTypedOver) {
    view->setCurrentIndex(view->model()->index(0, 0));
    QTest::keyClicks(view, "0320");
    auto* editor = view->findChild<QLineEdit*>("dbgLancEditor");
    EXPECT_EQ(editor->displayText(), "03/20__");
    QTest::keyClicks(view, "25");
    EXPECT_EQ(editor->displayText(), "03/2025");
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(view->model()->index(0, 0).data().toString(), "03/2025");

    view->setCurrentIndex(view->model()->index(1, 0));
    hosttest::ModalAnswer answer;
    QTest::keyClicks(view, "3");
    QTest::keyClick(view, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(answer.Text(), "Data inválida!");
    // The refused text stays, selected; the status line says the form expected; what is
    // typed next replaces it.
    EXPECT_EQ(editor->displayText(), "3_/____");
    EXPECT_EQ(editor->selectedText(), editor->displayText());
    EXPECT_EQ(window.Message(), "Data inválida! Mês no formato MM/AAAA.");
    QTest::keyClicks(view, "042024");
    EXPECT_EQ(editor->displayText(), "04/2024");
    EXPECT_FALSE(editor->hasSelectedText());
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(view->model()->index(1, 0).data().toString(), "04/2024");
    EXPECT_EQ(answer.Seen(), 1);
}

TEST(ShownCellTextTest, MoneyReadsAsBalancesAndUtcMomentsInTheUsersTime) {
    ClientDataSet history;
    auto& value = history.AddField("VRANTES", FieldType::Double);
    value.SetMoney(true);
    auto& plain = history.AddField("VRPLAIN", FieldType::Double);
    auto& when = history.AddField("DTREGISTRO", FieldType::String, 20);
    const QString local = QDateTime(QDate(2026, 12, 9), QTime(0, 4, 22), QTimeZone::utc())
                              .toLocalTime()
                              .toString("dd/MM/yyyy HH:mm:ss");
    const struct {
        const Field* field;
        const char* text;
        QString shown;
    } cases[] = {
        {&value, "-2500", "2.500,00 DB"},
        {&value, "1234,5", "1.234,50 CR"},
        {&value, "0", "0,00 CR"},
        {&value, "1e400", "1e400"},
        {&value, "x", "x"},
        {&plain, "-2500", "-2500"},
        {&when, "2026-12-09T00:04:22Z", local},
        {&when, "2026-12-09", "2026-12-09"},
        {&when, "2026-13-09T00:04:22Z", "2026-13-09T00:04:22Z"},
        {nullptr, "-2500", "-2500"},
    };
    for (const auto& c : cases) EXPECT_EQ(host::ShownCellText(c.field, c.text), c.shown) << c.text;
}

TEST_F(GridTest, TheEllipsisButtonShowsOnItsColumnAndRaisesTheEvent) {
    grid->SetButtonStyle(1, ColumnButtonStyle::Ellipsis);
    auto* button = view->findChild<QToolButton*>("dbgLancEllipsis");
    ASSERT_NE(button, nullptr);
    view->setCurrentIndex(view->model()->index(0, 0));
    EXPECT_FALSE(button->isVisible());
    view->setCurrentIndex(view->model()->index(0, 1));
    EXPECT_TRUE(button->isVisible());
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(ellipsisClicks, 1);
}

TEST_F(GridTest, ColumnsAreWideEnoughForTheirFormattedTexts) {
    set.FieldByName("DTIMPSALDO").SetDisplayFormat("dd/mm/yyyy");
    set.Last();
    set.Edit();
    set.FieldByName("VRIMPSALDO").SetAsFloat(-1234567.89);
    set.Post();
    source.SetDataSet(nullptr);  // bound again: the columns are sized anew
    source.SetDataSet(&set);
    auto* model = view->model();
    ASSERT_EQ(model->index(0, 0).data().toString(), "28/01/2024");
    for (int c = 0; c < model->columnCount(); ++c) {
        const QString title = model->headerData(c, Qt::Horizontal).toString();
        EXPECT_GE(view->columnWidth(c), view->fontMetrics().horizontalAdvance(title)) << c;
        for (int r = 0; r < model->rowCount(); ++r) {
            const QString text = model->index(r, c).data().toString();
            EXPECT_GE(view->columnWidth(c), view->fontMetrics().horizontalAdvance(text) + 8)
                << text.toStdString();
        }
    }
}

TEST_F(GridTest, WhereAValueIsTypedTheStatusLineAndTheTitleTellHowADebitIsTyped) {
    const QString title = view->model()->headerData(2, Qt::Horizontal, Qt::ToolTipRole).toString();
    EXPECT_TRUE(title.contains("sinal de menos")) << title.toStdString();
    EXPECT_TRUE(view->model()->headerData(0, Qt::Horizontal, Qt::ToolTipRole).isNull());

    view->setCurrentIndex(view->model()->index(0, 2));
    EXPECT_EQ(window.Hint(), title);
    QTest::keyClicks(view, "-5");
    EXPECT_EQ(view->findChild<QLineEdit*>("dbgLancEditor")->toolTip(), title);
    view->setCurrentIndex(view->model()->index(0, 0));
    EXPECT_EQ(window.Hint(), "Mês no formato MM/AAAA.");
    grid->SetButtonStyle(1, ColumnButtonStyle::Ellipsis);
    view->setCurrentIndex(view->model()->index(0, 1));
    EXPECT_TRUE(window.Hint().startsWith("Ctrl+Enter")) << window.Hint().toStdString();
    QTest::keyClick(view, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(ellipsisClicks, 1);
}

class BigGridTest : public GridTest {
  protected:
    void SetUp() override {
        rows = 200000;
        GridTest::SetUp();
    }
};

TEST_F(BigGridTest, OnlyTheVisibleCellsAreFormatted) {
    view->resize(600, 300);
    QApplication::processEvents();
    view->grab();
    EXPECT_EQ(view->model()->rowCount(), 200000);
    EXPECT_LT(formatted, 500);
    formatted = 0;
    view->scrollToBottom();
    view->grab();
    EXPECT_GT(formatted, 0);
    EXPECT_LT(formatted, 500);
}

}  // namespace

// The road of one implanted balance with the keyboard alone, in the real shell with the real
// module and server: every step is a key pressed on the widget that has the focus (the look-up
// lists included), nothing calls the framework. Run under Xvfb too (ctest
// host_keyboard_road_xvfb).
#include <QHeaderView>
#include <QMdiArea>
#include <QMenu>
#include <QMessageBox>
#include <QStatusBar>
#include <QToolTip>

#include "ScreenFixture.h"
#include "host/Dialogs.h"
#include "platform/ui/Form.h"

namespace {

using screentest::Picture;

struct Road {
    int kind;
    const char* name;
    int arrows;               // Right arrows from "Fornecedores" to the kind
    const char* accountFind;  // typed into the account list's filter
    const char* account;
    const char* ownerFind;  // typed into the owner list's filter
    const char* owner;
    const char* value;  // as typed
    const char* shown;  // as the data sheet shows it
};

const Road kRoads[] = {
    {0, "Fornecedores", 0, "2.1.1.01.0001", "2.1.1.01.0001", "Jorge", "Metalúrgica São Jorge Ltda.",
     "150,25", "150,25 CR"},
    {1, "Clientes", 1, "1.1.2.01.0001", "1.1.2.01.0001", "Bom Pre", "Supermercados Bom Preço Ltda.",
     "-150,25", "150,25 DB"},
    {2, "Bancos", 2, "1.1.1.02.0001", "1.1.1.02.0001", "Banco do Brasil", "Banco do Brasil S.A.",
     "-150,25", "150,25 DB"},
};

// Answers the next look-up list with keys: types `filter` into it and presses Enter.
class ListKeys : public QObject {
  public:
    explicit ListKeys(QString filter) : filter_(std::move(filter)) {
        timer_.setInterval(5);
        connect(&timer_, &QTimer::timeout, this, [this] {
            auto* list = qobject_cast<host::PickListDialog*>(QApplication::activeModalWidget());
            if (list == nullptr || done_) return;
            done_ = true;
            title_ = list->windowTitle();
            QTest::keyClicks(list->FilterEdit(), filter_);
            rows_ = list->View()->model()->rowCount();
            QTest::keyClick(list->FilterEdit(), Qt::Key_Return);
        });
        timer_.start();
    }
    bool Done() const { return done_; }
    const QString& Title() const { return title_; }
    int Rows() const { return rows_; }

  private:
    QString filter_;
    QTimer timer_;
    bool done_ = false;
    QString title_;
    int rows_ = -1;
};

// Records every message box that opens (none is expected on the road) and closes it.
class Boxes : public QObject {
  public:
    Boxes() {
        timer_.setInterval(5);
        connect(&timer_, &QTimer::timeout, this, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            texts_ << box->text();
            box->buttons().front()->click();
        });
        timer_.start();
    }
    const QStringList& Texts() const { return texts_; }

  private:
    QTimer timer_;
    QStringList texts_;
};

class KeyboardRoadTest : public screentest::ScreenTest, public ::testing::WithParamInterface<int> {
  protected:
    static QWidget* Focus() { return QApplication::focusWidget(); }
    static void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        ASSERT_NE(Focus(), nullptr);
        QTest::keyClick(Focus(), static_cast<Qt::Key>(key), modifiers);
        QApplication::processEvents();
    }
    static void Type(const char* text) {
        ASSERT_NE(Focus(), nullptr);
        QTest::keyClicks(Focus(), QString::fromUtf8(text));
    }
    platform::Form& Screen() const { return *platform::Application::Instance().ActiveForm(); }
    platform::WinControl& Panel() const {
        return *dynamic_cast<platform::WinControl*>(Screen().FindComponent("panFiltro"));
    }
    bool InPanel() const { return Panel().Contains(Screen().ActiveControl()); }
    std::string FocusName() const {
        return Screen().ActiveControl() ? Screen().ActiveControl()->Name() : "";
    }
    // Presses Tab (or Shift+Tab) until `reached` holds, at most `limit` times.
    void TabUntil(const std::function<bool()>& reached, bool backward = false, int limit = 8) {
        for (int i = 0; i < limit && !reached(); ++i)
            Key(Qt::Key_Tab, backward ? Qt::ShiftModifier : Qt::NoModifier);
        ASSERT_TRUE(reached()) << "the focus stopped on " << FocusName();
    }
    // The entry grid's current column title.
    QString Column() const {
        QTableView* entry = Grid("dbgLancSaldCome");
        return entry->model()
            ->headerData(entry->currentIndex().column(), Qt::Horizontal)
            .toString();
    }
};

TEST_P(KeyboardRoadTest, OneImplantedBalanceWithTheKeyboardAlone) {
    const Road& road = kRoads[GetParam()];
    Boxes boxes;

    // The screen is wholly inside the workspace: nothing behind scroll bars.
    QMdiSubWindow* sub = window->MdiArea()->subWindowList().value(0);
    ASSERT_NE(sub, nullptr);
    EXPECT_TRUE(window->MdiArea()->viewport()->rect().contains(sub->geometry()));
    auto* kinds = Widget<QGroupBox>("rdgTipoConta");
    EXPECT_TRUE(sub->rect().contains(QRect(kinds->mapTo(sub, QPoint(0, 0)), kinds->size())));

    // Company, kind (Tab into the group, arrows to choose), and the panel left with Tab.
    ASSERT_EQ(Focus(), Code());
    Type("01");
    Key(Qt::Key_Tab);
    ASSERT_EQ(FocusName(), "rdgTipoConta");
    for (int i = 0; i < road.arrows; ++i) Key(Qt::Key_Right);
    const auto radios = kinds->findChildren<QRadioButton*>();
    ASSERT_TRUE(radios[road.kind]->isChecked());
    EXPECT_EQ(Focus(), radios[road.kind]);
    TabUntil([&] { return !InPanel(); });
    EXPECT_TRUE(window->Message().contains("da empresa 01")) << window->Message().toStdString();

    // Back into the panel to the implant box, ticked with the space bar; out again.
    TabUntil([&] { return FocusName() == "cbxImplantSaldo"; }, true);
    Key(Qt::Key_Space);
    ASSERT_TRUE(Widget<QAbstractButton>("cbxImplantSaldo")->isChecked());
    TabUntil([&] { return !InPanel(); });
    ASSERT_TRUE(Widget<QToolButton>("sbtIncluir")->isEnabled());

    // Alt+E opens the screen's "Editar" (the shell's menus take other letters), each command
    // with its key; Escape closes it again.
    Key(Qt::Key_E, Qt::AltModifier);
    auto* edit = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->title(), "&Editar");
    EXPECT_EQ(edit->actions().front()->shortcut(), QKeySequence("Ctrl+N"));
    if (road.kind == 0) Picture(window.get(), "menu-editar");
    QTest::keyClick(edit, Qt::Key_Escape);
    QTest::keyClick(
        QApplication::activePopupWidget() ? QApplication::activePopupWidget() : window.get(),
        Qt::Key_Escape);
    QApplication::processEvents();
    ASSERT_EQ(QApplication::activePopupWidget(), nullptr);
    if (road.kind == 0) {
        auto* insert = Widget<QToolButton>("sbtIncluir");
        QToolTip::showText(insert->mapToGlobal(QPoint(insert->width() / 2, insert->height())),
                           insert->toolTip(), insert);
        Picture(window.get(), "dica-incluir");
        QToolTip::hideText();
    }

    // Insert (Ctrl+N): the entry page, a new first row, the month typed into it.
    Key(Qt::Key_N, Qt::ControlModifier);
    QTableView* entry = Grid("dbgLancSaldCome");
    ASSERT_EQ(Focus(), entry);
    EXPECT_EQ(Widget<QTabWidget>("pgcPadrao")->currentWidget()->objectName(), "tshFormulario");
    ASSERT_EQ(Column(), "Data");
    Type("032024");
    Key(Qt::Key_Return);
    // Banks show the whole date of the month's last day.
    EXPECT_TRUE(entry->model()->index(0, 0).data().toString().endsWith("03/2024"));

    // The ledger account and the owner from their look-up lists (Ctrl+Enter, filter, Enter).
    Key(Qt::Key_Tab);
    ASSERT_EQ(Column(), "Conta Contábil");
    EXPECT_TRUE(window->Hint().startsWith("Ctrl+Enter")) << window->Hint().toStdString();
    {
        ListKeys list(road.accountFind);
        Key(Qt::Key_Return, Qt::ControlModifier);
        ASSERT_TRUE(list.Done());
        EXPECT_EQ(list.Title(), "Conta Contábil");
        EXPECT_EQ(list.Rows(), 1);
    }
    EXPECT_EQ(entry->model()->index(0, 1).data().toString(), road.account);
    TabUntil([&] { return entry->currentIndex().column() == 3; });
    {
        ListKeys list(road.ownerFind);
        Key(Qt::Key_Return, Qt::ControlModifier);
        ASSERT_TRUE(list.Done());
        EXPECT_GE(list.Rows(), 1);  // Enter takes the first row the filter leaves
    }
    EXPECT_EQ(entry->model()->index(0, 3).data().toString(), road.owner);

    // The value, with the sign hint in the status line while it is typed.
    Key(Qt::Key_Tab);
    ASSERT_EQ(Column(), "Valor");
    EXPECT_TRUE(window->Hint().contains("sinal de menos")) << window->Hint().toStdString();
    Type(road.value);
    if (road.kind == 2) Picture(window.get(), "cadastro");

    // Confirm (Ctrl+S): the server checks and stores the row; the status line says so.
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(boxes.Texts().isEmpty()) << boxes.Texts().join(" | ").toStdString();
    EXPECT_EQ(window->Message(), "Saldo gravado.");
    EXPECT_EQ(Widget<QTabWidget>("pgcPadrao")->currentWidget()->objectName(), "tshFolhaDados");
    QTableView* sheet = Grid("dbgPadrao");
    int found = -1;
    for (int r = 0; r < sheet->model()->rowCount(); ++r) {
        if (sheet->model()->index(r, 1).data().toString() == road.account &&
            sheet->model()->index(r, 3).data().toString() == road.owner &&
            sheet->model()->index(r, 0).data().toString().endsWith("03/2024"))
            found = r;
    }
    ASSERT_GE(found, 0);
    EXPECT_EQ(sheet->model()->index(found, 4).data().toString(), road.shown);
    if (road.kind == 1) Picture(window.get(), "saldo-gravado");

    // Ctrl+F4 closes the screen; Ctrl+1 opens it again, and the row is read back.
    Key(Qt::Key_F4, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_TRUE(window->MdiArea()->subWindowList().isEmpty() ||
                !window->MdiArea()->subWindowList().front()->isVisible());
    QTest::keyClick(window.get(), Qt::Key_1, Qt::ControlModifier);
    QApplication::processEvents();
    ASSERT_NE(platform::Application::Instance().ActiveForm(), nullptr);
    ASSERT_EQ(Focus(), Code());
}

std::string RoadName(const ::testing::TestParamInfo<int>& param) {
    return kRoads[param.param].name;
}

INSTANTIATE_TEST_SUITE_P(Kinds, KeyboardRoadTest, ::testing::Values(0, 1, 2), RoadName);

}  // namespace

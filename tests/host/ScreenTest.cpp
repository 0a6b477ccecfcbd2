// The shell with the real module and a real saldo-server: the user's road through the screen
// with the real Qt widgets. With SALDO_SCREENSHOT_DIR set, it also saves the README's pictures.
#include <QAccessible>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QRegularExpression>
#include <map>

#include "ScreenFixture.h"
#include "host/Dialogs.h"
#include "platform/ui/Menu.h"

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

// The windows a clerk works in, all open at once: the screen with a company loaded, the
// history of its first balance, the tie-out and the import windows.
class WindowsWalkTest : public ScreenTest {
  protected:
    void SetUp() override {
        ScreenTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        ChooseCompany("01");
        auto* history = dynamic_cast<platform::MenuItem*>(
            platform::Application::Instance().ActiveForm()->FindComponent("mnuHistSaldo"));
        ASSERT_NE(history, nullptr);
        platform::Application::Instance().RunEvent([history] { history->Click(); });
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->isVisible() && top->windowTitle() == QStringLiteral("Histórico do saldo"))
                historyWindow = top;
        ASSERT_NE(historyWindow, nullptr);
        ASSERT_NE(window->OpenTieOut(), nullptr);
        ASSERT_NE(window->OpenImport(), nullptr);
        QApplication::processEvents();
    }
    // The child windows, and the history, which has a window of its own.
    std::vector<QWidget*> Windows() const {
        const QList<QMdiSubWindow*> subs = window->MdiArea()->subWindowList();
        std::vector<QWidget*> all(subs.begin(), subs.end());
        all.push_back(historyWindow);
        return all;
    }
    QWidget* historyWindow = nullptr;
};

QChar Letter(const QString& text) {
    const int at = QString(text).replace("&&", "__").indexOf('&');
    return at >= 0 && at + 1 < text.size() ? text.at(at + 1).toLower() : QChar();
}

// Alt and a letter reach the shell's menus and whatever the active child window shows: no
// letter may be taken twice among them.
TEST_F(WindowsWalkTest, NoAltLetterIsTakenTwiceWhereBothCanBeReached) {
    QStringList shellMenus;
    for (QAction* top : window->menuBar()->actions())
        if (top->isVisible()) shellMenus << top->text();
    int collisions = 0;
    for (QWidget* sub : Windows()) {
        std::map<QChar, QStringList> taken;
        for (const QString& text : shellMenus) taken[Letter(text)] << text;
        for (QMenuBar* bar : sub->findChildren<QMenuBar*>())
            for (QAction* top : bar->actions())
                if (top->isVisible()) taken[Letter(top->text())] << top->text();
        for (QAbstractButton* button : sub->findChildren<QAbstractButton*>())
            taken[Letter(button->text())] << button->text();
        for (QLabel* label : sub->findChildren<QLabel*>())
            if (label->buddy() != nullptr) taken[Letter(label->text())] << label->text();
        for (QGroupBox* box : sub->findChildren<QGroupBox*>())
            taken[Letter(box->title())] << box->title();
        for (const auto& [letter, texts] : taken) {
            if (letter.isNull() || texts.size() < 2) continue;
            ++collisions;
            ADD_FAILURE() << sub->windowTitle().toStdString() << ": Alt+"
                          << QString(letter).toStdString() << " for "
                          << texts.join(", ").toStdString();
        }
    }
    RecordProperty("collisions", collisions);
    EXPECT_EQ(collisions, 0);
}

bool Interactive(QAccessible::Role role) {
    switch (role) {
        case QAccessible::PushButton:
        case QAccessible::CheckBox:
        case QAccessible::RadioButton:
        case QAccessible::ComboBox:
        case QAccessible::EditableText:
        case QAccessible::Table:
        case QAccessible::List:
        case QAccessible::ButtonMenu:
        case QAccessible::PageTab:
        case QAccessible::SpinBox:
            return true;
        default:
            return false;
    }
}

// Every interactive control under `root`, as assistive technology walks it (tables, lists and
// combo boxes as one control, their parts left out).
void Walk(QAccessibleInterface* root, const std::function<void(QAccessibleInterface*)>& visit) {
    std::vector<std::pair<QAccessibleInterface*, int>> pending{{root, 0}};
    while (!pending.empty()) {
        auto [node, depth] = pending.back();
        pending.pop_back();
        if (node == nullptr || node->state().invisible) continue;
        if (Interactive(node->role())) visit(node);
        if (node->role() == QAccessible::Table || node->role() == QAccessible::List ||
            node->role() == QAccessible::ComboBox || depth > 40)
            continue;
        for (int i = 0; i < node->childCount(); ++i) pending.push_back({node->child(i), depth + 1});
    }
}

// Every control is read by a human name in Portuguese, never by the program's name, with its
// role; the kind options are radio buttons of one group.
TEST_F(WindowsWalkTest, EveryControlIsReadByItsHumanNameWithItsRole) {
    const QRegularExpression internal(QStringLiteral("^[a-z]{2,4}[A-Z]|\\.[0-9]+$"));
    int controls = 0;
    int internalNames = 0;
    // The look-up list a field's search opens, beside the child windows.
    host::PickListDialog lookUp(window.get(), QStringLiteral("Contas Contábeis"),
                                {QStringLiteral("Código"), QStringLiteral("Nome")},
                                {{QStringLiteral("1.1"), QStringLiteral("Ativo")}}, 0);
    lookUp.show();
    std::vector<QWidget*> roots = Windows();
    roots.push_back(&lookUp);
    for (QWidget* sub : roots) {
        Walk(QAccessible::queryAccessibleInterface(sub), [&](QAccessibleInterface* node) {
            ++controls;
            const QString name = node->text(QAccessible::Name);
            const QObject* object = node->object();
            if (name.trimmed().isEmpty() || internal.match(name).hasMatch() ||
                (object != nullptr && name == object->objectName())) {
                ++internalNames;
                ADD_FAILURE() << sub->windowTitle().toStdString() << ": role " << node->role()
                              << " read as \"" << name.toStdString() << "\" ("
                              << (object != nullptr ? object->objectName().toStdString() : "")
                              << ")";
            }
        });
    }
    RecordProperty("controls", controls);
    RecordProperty("internalNames", internalNames);
    EXPECT_GT(controls, 20);
    EXPECT_EQ(internalNames, 0);

    const auto named = [](QWidget* w) {
        return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
    };
    EXPECT_EQ(named(Code()), "Empresa");
    EXPECT_EQ(named(Widget<QToolButton>("sbtIncluir")), "Incluir");
    EXPECT_EQ(named(Widget<QCheckBox>("cbxImplantSaldo")), "Implantação de Saldo");
    auto* group = Widget<QGroupBox>("rdgTipoConta");
    ASSERT_NE(group, nullptr);
    const QList<QRadioButton*> options = group->findChildren<QRadioButton*>();
    ASSERT_EQ(options.size(), 3);
    int wrongRoles = 0;
    for (QRadioButton* option : options) {
        QAccessibleInterface* node = QAccessible::queryAccessibleInterface(option);
        if (node->role() != QAccessible::RadioButton ||
            node->parent()->role() != QAccessible::Grouping)
            ++wrongRoles;
    }
    RecordProperty("wrongRoles", wrongRoles);
    EXPECT_EQ(wrongRoles, 0);
    EXPECT_EQ(named(options.front()), "Fornecedores");
    // The options still answer to the framework alone: one checked, the chosen one.
    EXPECT_TRUE(options.front()->isChecked());
    EXPECT_FALSE(options.back()->isChecked());
}

}  // namespace

// The Qt peers over a small form built from framework controls: what they show, and that every
// user action goes through the framework's input methods.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "ShellFixture.h"
#include "host/FormPeer.h"
#include "library/TBtnPesquisa.h"
#include "platform/Exceptions.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/Edit.h"
#include "platform/ui/Label.h"
#include "platform/ui/Menu.h"
#include "platform/ui/PageControl.h"
#include "platform/ui/Panel.h"
#include "platform/ui/RadioGroup.h"
#include "platform/ui/ToolButton.h"

namespace {

using namespace platform;

class PeersTest : public hosttest::ShellFixture {
  protected:
    template <class T>
    T* Add(WinControl* parent, const char* name) {
        T* control = form->Create<T>();
        control->SetName(name);
        control->SetParent(parent);
        return control;
    }

    void SetUp() override {
        form = app.CreateForm<Form>();
        form->SetName("frmExemplo");
        form->SetFormStyle(FormStyle::MDIChild);
        form->SetCaption("Saldo Comercial");
        form->SetBounds(10, 10, 640, 420);

        auto* bar = Add<Panel>(form, "panMenu");
        bar->SetAlign(Align::Top);
        bar->SetHeight(30);
        bar->SetTabOrder(2);
        incluir = Add<ToolButton>(bar, "sbtIncluir");
        incluir->SetCaption("Incluir");
        incluir->SetBounds(2, 2, 60, 26);
        incluir->OnClick = [this](Component*) { trace += "incluir "; };

        panel = Add<Panel>(form, "panFiltro");
        panel->SetAlign(Align::Top);
        panel->SetHeight(103);
        panel->SetTabOrder(1);
        auto* label = Add<Label>(panel, "Label1");
        label->SetCaption("Empresa");
        label->SetFontBold(true);
        label->SetBounds(8, 4, 60, 16);
        code = Add<Edit>(panel, "medCdEmpresa");
        code->SetBounds(8, 22, 40, 22);
        code->SetMaxLength(2);
        code->SetTabOrder(0);
        code->OnKeyPress = [](Component*, char32_t& key) {
            if (key != 8 && (key < U'0' || key > U'9')) key = 0;
        };
        code->OnChange = [this](Component*) { nameEdit->SetText(""); };
        code->OnExit = [this](Component*) {
            if (code->Text().empty()) {
                code->SetFocus();
                throw Error("Empresa deve ser informada.");
            }
            nameEdit->SetText("Comercial Andrade Ltda");
        };
        nameEdit = Add<Edit>(panel, "edtNmEmpresa");
        nameEdit->SetBounds(80, 22, 300, 22);
        nameEdit->SetEnabled(false);
        nameEdit->SetTabOrder(2);
        kind = Add<RadioGroup>(panel, "rdgTipoConta");
        kind->SetCaption("Tipo de Conta Comercial");
        kind->SetBounds(8, 50, 400, 45);
        kind->SetColumns(3);
        kind->SetItems({"Fornecedores", "Clientes", "Bancos"});
        kind->SetItemIndex(0);
        kind->SetTabOrder(1);
        kind->OnClick = [this](Component*) { trace += "tipo "; };
        implant = Add<CheckBox>(panel, "cbxImplantSaldo");
        implant->SetCaption("Implantação de Saldo");
        implant->SetFontBold(true);
        implant->SetBounds(420, 60, 180, 20);
        implant->SetTabOrder(4);
        implant->OnClick = [this](Component*) { trace += "implant "; };

        pages = Add<PageControl>(form, "pgcPadrao");
        pages->SetAlign(Align::Client);
        pages->SetTabOrder(3);
        sheet = Add<TabSheet>(pages, "tshFolhaDados");
        sheet->SetCaption("Folha de Dados");
        entry = Add<TabSheet>(pages, "tshFormulario");
        entry->SetCaption("Cadastro de Saldo Comercial");
        entry->SetEnabled(false);

        menu = form->Create<MainMenu>();
        menu->SetName("mnuMenu");
        auto* record = form->Create<MenuItem>();
        record->SetName("mnuRegistro");
        record->SetCaption("&Registro");
        menu->Add(record);
        menuIncluir = form->Create<MenuItem>();
        menuIncluir->SetName("mnuIncluir");
        menuIncluir->SetCaption("&Incluir");
        menuIncluir->SetEnabled(false);
        menuIncluir->OnClick = [this](Component*) { trace += "menu "; };
        record->Add(menuIncluir);
        form->SetMenu(menu);

        form->Show();
        QApplication::processEvents();
    }

    QLineEdit* CodeEdit() const { return Widget<QLineEdit>("medCdEmpresa"); }

    Form* form = nullptr;
    Panel* panel = nullptr;
    Edit* code = nullptr;
    Edit* nameEdit = nullptr;
    RadioGroup* kind = nullptr;
    CheckBox* implant = nullptr;
    PageControl* pages = nullptr;
    TabSheet* sheet = nullptr;
    TabSheet* entry = nullptr;
    ToolButton* incluir = nullptr;
    MainMenu* menu = nullptr;
    MenuItem* menuIncluir = nullptr;
    std::string trace;
};

// Text larger than the form was designed for (a display at 144 dpi) widens the check box and
// the radio group rather than cut their words ("Bancos").
TEST_F(PeersTest, LargerTextWidensTheCheckBoxAndTheGroupRatherThanCutTheirWords) {
    auto* group = Widget<QGroupBox>("rdgTipoConta");
    auto* box = Widget<QCheckBox>("cbxImplantSaldo");
    for (QWidget* w : {static_cast<QWidget*>(group), static_cast<QWidget*>(box)}) {
        QFont font = w->font();
        font.setPointSizeF(font.pointSizeF() * 2);
        w->setFont(font);
    }
    shell.PeerOf(panel)->ArrangeChildren();
    EXPECT_GE(group->width(), group->minimumSizeHint().width());
    EXPECT_GT(group->width(), 400);
    EXPECT_GE(box->width(), box->minimumSizeHint().width());
    EXPECT_EQ(CodeEdit()->geometry(), QRect(8, 22, 40, 22));  // others keep their place
}

TEST_F(PeersTest, ARadioGroupTheWindowCannotShowWholeRunsItsOptionsDownMoreRows) {
    auto* group = Widget<QGroupBox>("rdgTipoConta");
    QMdiSubWindow* sub = window.MdiArea()->subWindowList().front();
    sub->resize(260, 420);
    QApplication::processEvents();
    EXPECT_LE(group->geometry().right(), group->parentWidget()->contentsRect().right());
    for (QRadioButton* option : group->findChildren<QRadioButton*>())
        EXPECT_TRUE(group->rect().contains(option->geometry())) << option->text().toStdString();
    sub->resize(640, 420);
    QApplication::processEvents();
    const auto options = group->findChildren<QRadioButton*>();
    ASSERT_EQ(options.size(), 3);
    EXPECT_EQ(options[0]->y(), options[2]->y());  // the designed three columns again
    EXPECT_EQ(group->width(), 400);
}

TEST_F(PeersTest, TheFormIsAChildWindowOfTheMultiDocumentAreaWithTheControlsLook) {
    const auto subs = window.MdiArea()->subWindowList();
    ASSERT_EQ(subs.size(), 1);
    EXPECT_EQ(subs.front()->windowTitle(), "Saldo Comercial");
    EXPECT_EQ(subs.front()->size(), QSize(640, 420));

    QLineEdit* edit = CodeEdit();
    ASSERT_NE(edit, nullptr);
    // Read by its label, which is its buddy, not by the program's name.
    EXPECT_EQ(edit->accessibleName(), "Empresa");
    EXPECT_EQ(Widget<QLabel>("Label1")->buddy(), edit);
    EXPECT_EQ(edit->geometry(), QRect(8, 22, 40, 22));
    EXPECT_EQ(edit->maxLength(), 2);
    EXPECT_TRUE(Widget<QLabel>("Label1")->font().bold());
    EXPECT_TRUE(Widget<QCheckBox>("cbxImplantSaldo")->font().bold());
    EXPECT_FALSE(Widget<QLineEdit>("edtNmEmpresa")->isEnabled());

    // Top-aligned panels stack in order, full width; the page control takes the rest.
    auto* bar = Widget<QWidget>("panMenu");
    auto* filter = Widget<QWidget>("panFiltro");
    EXPECT_EQ(bar->geometry().top(), 0);
    EXPECT_EQ(filter->geometry().top(), 30);
    EXPECT_EQ(filter->height(), 103);
    EXPECT_EQ(filter->width(), filter->parentWidget()->width());
    auto* tabs = Widget<QTabWidget>("pgcPadrao");
    EXPECT_EQ(tabs->geometry().top(), 133);
    EXPECT_EQ(tabs->geometry().bottom(), tabs->parentWidget()->height() - 1);

    // Three kinds in three columns: one row.
    auto* group = Widget<QGroupBox>("rdgTipoConta");
    EXPECT_EQ(group->title(), "Tipo de Conta Comercial");
    const auto radios = group->findChildren<QRadioButton*>();
    ASSERT_EQ(radios.size(), 3);
    EXPECT_EQ(radios[0]->y(), radios[2]->y());
    EXPECT_LT(radios[0]->x(), radios[1]->x());
    EXPECT_TRUE(radios[0]->isChecked());

    EXPECT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(1), "Cadastro de Saldo Comercial");
    EXPECT_FALSE(tabs->isTabEnabled(1));

    // The framework gave the first tab stop the focus; Qt follows.
    EXPECT_EQ(form->ActiveControl(), code);
    EXPECT_EQ(QApplication::focusWidget(), edit);
}

TEST_F(PeersTest, TypingGoesThroughTheKeyPressHandlersAndTheChangeEvent) {
    nameEdit->SetText("antes");
    QTest::keyClicks(CodeEdit(), "5x");
    EXPECT_EQ(code->Text(), "5");
    EXPECT_EQ(CodeEdit()->text(), "5");
    EXPECT_EQ(nameEdit->Text(), "");  // OnChange ran
    EXPECT_EQ(Widget<QLineEdit>("edtNmEmpresa")->text(), "");
    code->SetText("12");  // by code: the line edit shows it
    EXPECT_EQ(CodeEdit()->text(), "12");
}

TEST_F(PeersTest, TabFollowsTheFrameworksTabOrderAndItsExitEvents) {
    QTest::keyClicks(CodeEdit(), "7");
    QTest::keyClick(CodeEdit(), Qt::Key_Tab);
    EXPECT_EQ(form->ActiveControl(), kind);
    EXPECT_EQ(nameEdit->Text(), "Comercial Andrade Ltda");
    EXPECT_EQ(Widget<QLineEdit>("edtNmEmpresa")->text(), "Comercial Andrade Ltda");
    auto* checked = Widget<QGroupBox>("rdgTipoConta")->findChildren<QRadioButton*>()[0];
    EXPECT_EQ(QApplication::focusWidget(), checked);
    QTest::keyClick(checked, Qt::Key_Backtab);
    EXPECT_EQ(form->ActiveControl(), code);
    EXPECT_EQ(QApplication::focusWidget(), CodeEdit());
}

TEST_F(PeersTest, ARefusedExitShowsTheErrorAndKeepsTheQtFocusInTheField) {
    hosttest::ModalAnswer answer;
    QTest::keyClick(CodeEdit(), Qt::Key_Tab);
    QApplication::processEvents();  // the main window is active again once the box is gone
    EXPECT_EQ(answer.Seen(), 1);
    EXPECT_EQ(answer.Text(), "Empresa deve ser informada.");
    EXPECT_EQ(answer.Icon(), QMessageBox::Critical);
    EXPECT_EQ(form->ActiveControl(), code);
    EXPECT_EQ(window.focusWidget(), CodeEdit());

    // A click into another control is refused the same way.
    auto* radios = Widget<QGroupBox>("rdgTipoConta")->findChildren<QRadioButton*>().value(1);
    QTest::mouseClick(radios, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(answer.Seen(), 2);
    EXPECT_EQ(kind->ItemIndex(), 0);
    EXPECT_FALSE(radios->isChecked());
    EXPECT_EQ(form->ActiveControl(), code);
    EXPECT_EQ(window.focusWidget(), CodeEdit());
}

TEST_F(PeersTest, ClicksOnChoicesAreTheFrameworksClicksAndCodeChangesShow) {
    code->SetText("01");
    auto* box = Widget<QCheckBox>("cbxImplantSaldo");
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_TRUE(implant->Checked());
    EXPECT_TRUE(box->isChecked());
    implant->SetChecked(false);
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(trace, "implant implant ");

    auto radios = Widget<QGroupBox>("rdgTipoConta")->findChildren<QRadioButton*>();
    QTest::mouseClick(radios[2], Qt::LeftButton);
    EXPECT_EQ(kind->ItemIndex(), 2);
    EXPECT_TRUE(radios[2]->isChecked());
    EXPECT_FALSE(radios[0]->isChecked());
    kind->SetItemIndex(1);
    EXPECT_TRUE(radios[1]->isChecked());
    EXPECT_FALSE(radios[2]->isChecked());
}

TEST_F(PeersTest, PagesToolButtonsAndMenuEntriesFollowTheFramework) {
    auto* tabs = Widget<QTabWidget>("pgcPadrao");
    entry->SetEnabled(true);
    EXPECT_TRUE(tabs->isTabEnabled(1));
    pages->SetActivePage(entry);
    EXPECT_EQ(tabs->currentIndex(), 1);
    sheet->SetEnabled(false);
    EXPECT_FALSE(tabs->isTabEnabled(0));

    QTest::mouseClick(Widget<QToolButton>("sbtIncluir"), Qt::LeftButton);
    EXPECT_EQ(trace, "incluir ");
    incluir->SetEnabled(false);
    EXPECT_FALSE(Widget<QToolButton>("sbtIncluir")->isEnabled());

    auto* action = Widget<QAction>("mnuIncluir");
    ASSERT_NE(action, nullptr);
    EXPECT_FALSE(action->isEnabled());
    menuIncluir->SetEnabled(true);
    EXPECT_TRUE(action->isEnabled());
    action->trigger();
    EXPECT_EQ(trace, "incluir menu ");
    menuIncluir->SetVisible(false);
    EXPECT_FALSE(action->isVisible());
}

TEST_F(PeersTest, ClosingTheWindowAsksTheFrameworkWhichDecides) {
    int closes = 0;
    form->OnClose = [&](Component*, CloseAction& action) {
        ++closes;
        action = CloseAction::Free;
    };
    QMdiSubWindow* sub = window.MdiArea()->subWindowList().front();
    sub->close();
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(app.Forms().empty());
    EXPECT_TRUE(window.MdiArea()->subWindowList().empty());
    EXPECT_EQ(shell.PeerOf(code), nullptr);
}

TEST_F(PeersTest, TheKindIsEnteredWithTabAndChosenWithTheArrowsAndTheBoxTicksWithSpace) {
    QTest::keyClicks(CodeEdit(), "7");
    QTest::keyClick(CodeEdit(), Qt::Key_Tab);
    auto radios = Widget<QGroupBox>("rdgTipoConta")->findChildren<QRadioButton*>();
    ASSERT_EQ(QApplication::focusWidget(), radios[0]);
    EXPECT_EQ(window.Hint(), "As setas escolhem a opção.");
    QTest::keyClick(radios[0], Qt::Key_Right);
    EXPECT_EQ(kind->ItemIndex(), 1);
    EXPECT_TRUE(radios[1]->isChecked());
    EXPECT_FALSE(radios[0]->isChecked());
    EXPECT_EQ(QApplication::focusWidget(), radios[1]);  // the focus goes with the choice
    QTest::keyClick(radios[1], Qt::Key_Down);
    QTest::keyClick(radios[2], Qt::Key_Down);  // past the last: the first again
    EXPECT_EQ(kind->ItemIndex(), 0);
    QTest::keyClick(radios[0], Qt::Key_Up);
    EXPECT_EQ(kind->ItemIndex(), 2);
    EXPECT_EQ(trace, "tipo tipo tipo tipo ");

    // The check box, reached with Tab, ticks with the space bar through its click.
    trace.clear();
    implant->SetFocus();
    auto* box = Widget<QCheckBox>("cbxImplantSaldo");
    ASSERT_EQ(QApplication::focusWidget(), box);
    QTest::keyClick(box, Qt::Key_Space);
    EXPECT_TRUE(implant->Checked());
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(trace, "implant ");
}

TEST_F(PeersTest, CtrlEnterInAFieldRunsItsLookUpButton) {
    auto* lookUp = form->Create<library::TBtnPesquisa>();
    lookUp->SetName("BtnPesquisa1");
    lookUp->SetParent(panel);
    lookUp->SetBounds(50, 22, 80, 22);
    lookUp->Associate = code;
    int asked = 0;
    lookUp->OnBeforePesq = [&](Component*, bool& go) {
        ++asked;
        go = false;
    };
    QApplication::processEvents();
    auto* button = Widget<QToolButton>("BtnPesquisa1");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->toolTip(), "Pesquisar (Ctrl+Enter)");
    EXPECT_FALSE(button->icon().isNull());

    code->SetText("5");
    kind->SetFocus();
    EXPECT_EQ(window.Hint(), "As setas escolhem a opção.");
    code->SetFocus();
    EXPECT_EQ(window.Hint(), "Ctrl+Enter abre a pesquisa (Pesquisar).");
    QTest::keyClick(CodeEdit(), Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClick(CodeEdit(), Qt::Key_Enter, Qt::ControlModifier);
    QTest::keyClick(CodeEdit(), Qt::Key_Return);  // a plain Enter is the edit's own
    EXPECT_EQ(asked, 2);
}

TEST_F(PeersTest, MinimisingInTheFrameworkMinimisesTheChildWindow) {
    form->SetWindowState(WindowState::Minimized);
    EXPECT_TRUE(window.MdiArea()->subWindowList().front()->isMinimized());
    form->Show();
    form->SetWindowState(WindowState::Normal);
    EXPECT_FALSE(window.MdiArea()->subWindowList().front()->isMinimized());
}

}  // namespace

// A small form as the screens build them: a filter panel (edit, check box) that switches
// the data link off while it has the focus, a grid, a navigator and a data-aware text over
// one record set; driven only through the input methods, as a user would.
#include <gtest/gtest.h>

#include "FormFixture.h"
#include "platform/Exceptions.h"
#include "platform/data/ClientDataSet.h"
#include "platform/data/DataSource.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/DBGrid.h"
#include "platform/ui/DBNavigator.h"
#include "platform/ui/DBText.h"
#include "platform/ui/Edit.h"
#include "platform/ui/Form.h"
#include "platform/ui/Panel.h"

namespace platform {
namespace {

class ExampleForm : public Form {
  public:
    ExampleForm(Application& app, std::string& trace) : Form(app), trace_(trace) {
        SetCaption("Exemplo");
        cds.AddField("NAME", FieldType::String, 10).SetDisplayLabel("Nome");
        cds.AddField("KIND", FieldType::String, 3);
        cds.AddField("VALUE", FieldType::Double);
        cds.CreateDataSet();
        dts.SetDataSet(&cds);

        panFiltro = Make<Panel>("panFiltro", this);
        panFiltro->SetAlign(Align::Top);
        edtNome = Make<Edit>("edtNome", panFiltro);
        cbxSim = Make<CheckBox>("cbxSim", panFiltro);
        cbxSim->SetCaption("Somente Sim");
        dbgLanc = Make<DBGrid>("dbgLanc", this);
        dbgLanc->SetAlign(Align::Client);
        dbgLanc->SetDataSource(&dts);
        dbnNav = Make<DBNavigator>("dbnNav", this);
        dbnNav->SetDataSource(&dts);
        dbtNome = Make<DBText>("dbtNome", this);
        dbtNome->SetDataSource(&dts);
        dbtNome->SetDataField("NAME");

        panFiltro->OnEnter = [this](Component*) {
            Trace("panFiltroEnter");
            dts.SetEnabled(false);
        };
        panFiltro->OnExit = [this](Component*) {
            Trace("panFiltroExit");
            if (edtNome->Text().empty()) throw Error("Informe o nome");
            cds.EmptyDataSet();
            cds.AddRow({edtNome->Text(), std::string("Sim"), 1.0});
            cds.AddRow({edtNome->Text() + "2", std::string("Não"), 2.0});
            cds.First();
            dts.SetEnabled(true);
        };
        edtNome->OnChange = [this](Component*) { Trace("edtNomeChange"); };
        cbxSim->OnClick = [this](Component*) {
            Trace("cbxSimClick");
            cds.SetFiltered(false);
            cds.SetFilter(cbxSim->Checked() ? "KIND = 'Sim'" : "");
            cds.SetFiltered(cbxSim->Checked());
        };
        dbgLanc->OnKeyPress = [this](Component*, char32_t& key) {
            const Field* f = dbgLanc->SelectedField();
            if (f != nullptr && f->FieldName() == "VALUE" && !(key >= U'0' && key <= U'9') &&
                key != U',' && key != 8 && key != 13)
                key = 0;
        };
        cds.BeforePost = [this](ClientDataSet&) { Trace("BeforePost"); };
        OnActivate = [this](Component*) { Trace("FormActivate"); };
    }

    ClientDataSet cds{"cds"};
    DataSource dts;
    Panel* panFiltro;
    Edit* edtNome;
    CheckBox* cbxSim;
    DBGrid* dbgLanc;
    DBNavigator* dbnNav;
    DBText* dbtNome;

  private:
    template <class T>
    T* Make(const std::string& name, WinControl* parent) {
        T* control = Create<T>();
        control->SetName(name);
        control->SetParent(parent);
        return control;
    }
    void Trace(const std::string& event) { trace_ += (trace_.empty() ? "" : " ") + event; }
    std::string& trace_;
};

class ExampleFormTest : public FormFixture {
  protected:
    void SetUp() override {
        form = app.CreateForm<ExampleForm>(trace);
        form->Show();
    }
    ExampleForm* form = nullptr;
};

TEST_F(ExampleFormTest, AUserFillsTheFilterThenEditsAValueInTheGrid) {
    EXPECT_EQ("FormActivate panFiltroEnter", TakeTrace());
    EXPECT_EQ(form->edtNome, form->ActiveControl());
    EXPECT_EQ(0, form->dbgLanc->RowCount());  // link off while the filter has the focus
    EXPECT_FALSE(form->dbnNav->ButtonEnabled(NavigateButton::Insert));

    // Leaving the panel with the name still empty is refused and reported.
    dialogs.ExpectError("Informe o nome");
    form->dbgLanc->UserFocus();
    EXPECT_EQ("panFiltroExit", TakeTrace());
    EXPECT_EQ(form->edtNome, form->ActiveControl());

    form->edtNome->UserType("Ana");
    form->cbxSim->UserToggle();
    EXPECT_EQ("edtNomeChange edtNomeChange edtNomeChange cbxSimClick", TakeTrace());

    form->dbgLanc->UserSelectCell(0, 2);
    EXPECT_EQ("panFiltroExit", TakeTrace());
    EXPECT_EQ(form->dbgLanc, form->ActiveControl());
    ASSERT_EQ(1, form->dbgLanc->RowCount());  // only the "Sim" row under the filter
    EXPECT_EQ("Ana", form->dbtNome->Text());
    EXPECT_TRUE(form->dbnNav->ButtonEnabled(NavigateButton::Insert));
    EXPECT_FALSE(form->dbnNav->ButtonEnabled(NavigateButton::Post));

    form->dbgLanc->UserType("12.5,7\r");  // the key filter drops the "."
    EXPECT_EQ(DataSetState::Edit, form->cds.State());
    EXPECT_TRUE(form->dbnNav->ButtonEnabled(NavigateButton::Post));
    form->dbnNav->Click(NavigateButton::Post);
    EXPECT_EQ("BeforePost", TakeTrace());
    EXPECT_DOUBLE_EQ(125.7, form->cds.FieldByName("VALUE").AsFloat());

    // Back into the panel: the grid, navigator and text show nothing again.
    form->cbxSim->UserToggle();
    EXPECT_EQ("panFiltroEnter cbxSimClick", TakeTrace());
    EXPECT_EQ(0, form->dbgLanc->RowCount());
    EXPECT_EQ("", form->dbtNome->Text());
    EXPECT_FALSE(form->dbnNav->ButtonEnabled(NavigateButton::First));
}

TEST_F(ExampleFormTest, TheNavigatorMovesAndAsksBeforeDeleting) {
    form->edtNome->UserType("Bia");
    form->dbgLanc->UserFocus();
    TakeTrace();
    ASSERT_EQ(2, form->dbgLanc->RowCount());
    EXPECT_FALSE(form->dbnNav->ButtonEnabled(NavigateButton::Prior));
    form->dbnNav->Click(NavigateButton::Prior);  // disabled: nothing
    form->dbnNav->Click(NavigateButton::Last);
    EXPECT_EQ("Bia2", form->dbtNome->Text());
    EXPECT_EQ(1, form->dbgLanc->Row());
    dialogs.Answer(mrOk);
    form->dbnNav->Click(NavigateButton::Delete);
    EXPECT_EQ(1, form->dbgLanc->RowCount());
    EXPECT_EQ("Bia", form->dbtNome->Text());
}

TEST_F(ExampleFormTest, ClosingWithFreeReleasesTheFormAndEverythingItOwns) {
    form->OnClose = [](Component*, CloseAction& action) { action = CloseAction::Free; };
    form->UserClose();
    EXPECT_TRUE(app.Forms().empty());
}

}  // namespace
}  // namespace platform

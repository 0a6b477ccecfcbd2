// Command and page state on the balance screen: the commands by implant mode and set state
// (each menu entry following its button, in the documented order), the row filter of the
// implant check box, the kind change, the pages, and activation.
#include <gtest/gtest.h>

#include "tests/screen/ScreenFixture.h"

using screentest::ScreenFixture;
using screentest::Trace;

namespace {
using Lines = std::vector<std::string>;
}

class CommandStateTest : public ScreenFixture {
  protected:
    // Loads the company's suppliers and enters implant mode.
    TfrmSaldComerc& OpenInImplantMode(const std::string& company = "01") {
        auto& s = OpenLoaded(company);
        s.cbxImplantSaldo->UserToggle();
        LeavePanel();
        return s;
    }
    // Every command off and the data-sheet controls unbound, by code, so that a trace shows
    // everything ControlaBotoes sets.
    void ClearCommands() {
        auto& s = Screen();
        for (auto* button : {s.sbtIncluir, s.sbtAlterar, s.sbtExcluir, s.sbtProcurar,
                             s.sbtVerificar, s.sbtCancelar, s.sbtConfirmar})
            button->SetEnabled(false);
        for (auto* entry : {s.mnuIncluir, s.mnuAlterar, s.mnuExcluir, s.mnuProcurar, s.mnuVerificar,
                            s.mnuCancelar, s.mnuConfirmar})
            entry->SetEnabled(false);
        s.dbgPadrao->SetDataSource(nullptr);
        s.dbnPadrao->SetDataSource(nullptr);
        s.dbtNome->SetDataSource(nullptr);
    }
};

TEST_F(CommandStateTest, ImplantModeOnAnEmptySetOffersOnlyInsert) {
    AddCompany("04", "Comércio Sem Saldos Ltda.");
    auto& s = OpenLoaded("04");
    EXPECT_TRUE(s.cdsSaldForn.Active());
    EXPECT_TRUE(s.cdsSaldForn.IsEmpty());
    EXPECT_EQ(Commands(), "");

    // The click waits inside the panel with the link off; leaving it brings the commands.
    s.cbxImplantSaldo->UserToggle();
    EXPECT_EQ(Commands(), "");
    LeavePanel();
    EXPECT_EQ(Commands(), "Incluir");
}

TEST_F(CommandStateTest, ImplantModeShowsImplantedRowsAndLeavingItOnlySearchAndVerify) {
    auto& s = OpenLoaded();
    EXPECT_EQ(Commands(), "Procurar Verificar");

    // Into implant mode: the filter changes at once, the commands when the panel is left.
    s.cbxImplantSaldo->UserToggle();
    EXPECT_EQ(s.cdsSaldForn.Filter(), "TIPSALDO = 'Sim'");
    EXPECT_EQ(Commands(), "Procurar Verificar");
    LeavePanel();
    EXPECT_EQ(Commands(), "Incluir Excluir Procurar Verificar");
    EXPECT_EQ(s.cdsSaldForn.RecordCount(), StoredBalances("01", "F", "S"));
    for (const auto& implanted : Column(s.cdsSaldForn, "TIPSALDO")) EXPECT_EQ(implanted, "Sim");

    // Out of it: restricted at once, inside the panel.
    s.cbxImplantSaldo->UserToggle();
    EXPECT_EQ(Commands(), "Procurar Verificar");
    EXPECT_EQ(s.cdsSaldForn.Filter(), "TIPSALDO = 'Não'");
    EXPECT_EQ(s.cdsSaldForn.RecordCount(), StoredBalances("01", "F", "N"));
}

// The commands follow the rows the new filter shows, not those shown before the click.
TEST_F(CommandStateTest, LeavingImplantModeWhereEveryRowIsImplantedOffersNothing) {
    Database()->Execute("UPDATE SALDCOME SET TIPSALDO = 'S' WHERE CDEMPRESA = '02'");
    auto& s = OpenInImplantMode("02");
    EXPECT_EQ(Commands(), "Incluir Excluir Procurar Verificar");

    s.cbxImplantSaldo->UserToggle();
    EXPECT_TRUE(s.cdsSaldForn.IsEmpty());
    EXPECT_EQ(Commands(), "");
}

// The screen's state-change handling works the commands out again through ControlaBotoes
// while the selected set is not being edited.
TEST_F(CommandStateTest, ControlaBotoesSetsButtonsThenMenuEntriesThenBindings) {
    auto& s = OpenInImplantMode();
    ClearCommands();
    Trace trace;
    s.dtsPadraoStateChange(nullptr);
    EXPECT_EQ(trace.Take(),
              (Lines{"sbtIncluir on", "sbtExcluir on", "sbtProcurar on", "sbtVerificar on",
                     "mnuIncluir on", "mnuExcluir on", "mnuVerificar on", "mnuProcurar on",
                     "dbgPadrao bound", "dbnPadrao bound", "dbtNome bound"}));
}

TEST_F(CommandStateTest, OutOfImplantModeASetNotOpenGetsNoCommandsButTheBindings) {
    auto& s = Open();
    TypeCompany("01");
    s.rdgTipoConta->UserSelect(1);
    ClearCommands();
    Trace trace;
    // By code, as activation does; the box is not usable before loading.
    s.cbxImplantSaldo->SetChecked(true);
    EXPECT_EQ(trace.Take(), Lines{});
    s.cbxImplantSaldo->SetChecked(false);
    EXPECT_EQ(trace.Take(), (Lines{"dbgPadrao bound", "dbnPadrao bound", "dbtNome bound"}));
    EXPECT_EQ(Commands(), "");
}

TEST_F(CommandStateTest, ImplantModeWithTheSetNotOpenChangesNothingBeyondTheStateChange) {
    auto& s = OpenInImplantMode();
    s.rdgTipoConta->SetItemIndex(2);
    ASSERT_FALSE(s.cdsSaldBanco.Active());
    Trace trace;
    s.dtsPadraoStateChange(nullptr);
    // Its own first step only: no command worked out, no binding.
    EXPECT_EQ(trace.Take(),
              (Lines{"sbtIncluir off", "mnuIncluir off", "sbtExcluir off", "mnuExcluir off"}));
    EXPECT_EQ(Commands(), "Procurar Verificar");
}

TEST_F(CommandStateTest, ChangingTheKindSwitchesTheRecordCommandsOffInOrder) {
    auto& s = OpenInImplantMode();
    s.rdgTipoConta->UserFocus();
    EXPECT_EQ(Commands(), "Incluir Excluir Procurar Verificar");

    Trace trace;
    s.rdgTipoConta->UserSelect(1);
    EXPECT_EQ(trace.Take(), (Lines{"sbtIncluir off", "mnuIncluir off", "sbtExcluir off",
                                   "mnuExcluir off", "sbtProcurar off", "mnuProcurar off",
                                   "sbtVerificar off", "mnuVerificar off"}));
    EXPECT_EQ(Commands(), "");

    LeavePanel();
    EXPECT_EQ(s.dtsPadrao.DataSet(), &s.cdsSaldClie);
    EXPECT_EQ(s.cdsSaldClie.Filter(), "TIPSALDO = 'Sim'");
    EXPECT_EQ(Commands(), "Incluir Excluir Procurar Verificar");
}

TEST_F(CommandStateTest, LookUpLinkStateChangeWhileInsertingOnlyDisablesInsertAlterDelete) {
    auto& s = OpenInImplantMode();
    s.cdsSaldForn.Insert();
    // The base handling makes cancel and confirm available; the rest is not worked out again.
    EXPECT_EQ(Commands(), "Procurar Verificar Cancelar Confirmar");

    s.sbtIncluir->SetEnabled(true);
    s.mnuIncluir->SetEnabled(true);
    Trace trace;
    s.qryFornecedor->Open();
    EXPECT_EQ(trace.Take(), (Lines{"sbtIncluir off", "mnuIncluir off"}));
    s.qryCliente->Open();
    EXPECT_EQ(Commands(), "Procurar Verificar Cancelar Confirmar");

    // The bank look-up's link is not wired to the handler.
    s.sbtIncluir->SetEnabled(true);
    s.mnuIncluir->SetEnabled(true);
    trace.Take();
    s.qryBanco->Open();
    EXPECT_EQ(trace.Take(), Lines{});
}

TEST_F(CommandStateTest, ActivationLeavesImplantMode) {
    auto& s = OpenInImplantMode();
    auto* other = platform::Application::Instance().CreateForm<platform::Form>();
    other->Show();
    ASSERT_FALSE(s.Active());

    s.UserActivate();
    EXPECT_TRUE(s.Active());
    EXPECT_FALSE(s.cbxImplantSaldo->Checked());
    EXPECT_EQ(s.cdsSaldForn.Filter(), "TIPSALDO = 'Não'");
    for (const auto& implanted : Column(s.cdsSaldForn, "TIPSALDO")) EXPECT_EQ(implanted, "Não");
    EXPECT_EQ(Commands(), "Procurar Verificar");

    // Out of implant mode an activation changes nothing.
    other->UserActivate();
    Trace trace;
    s.UserActivate();
    EXPECT_EQ(trace.Take(), Lines{});
    other->Release();
}

TEST_F(CommandStateTest, InsertShowsOnlyTheEntryPageAndCancelOnlyTheDataSheet) {
    auto& s = OpenInImplantMode();
    s.sbtIncluir->Click();
    EXPECT_EQ(s.pgcPadrao->ActivePage(), s.tshFormulario);
    EXPECT_TRUE(s.mnuFormulario->Enabled());
    s.pgcPadrao->UserSelectPage(s.tshFolhaDados);
    EXPECT_EQ(s.pgcPadrao->ActivePage(), s.tshFormulario);

    s.sbtCancelar->Click();
    EXPECT_EQ(s.pgcPadrao->ActivePage(), s.tshFolhaDados);
    EXPECT_FALSE(s.mnuFormulario->Enabled());
    s.pgcPadrao->UserSelectPage(s.tshFormulario);
    EXPECT_EQ(s.pgcPadrao->ActivePage(), s.tshFolhaDados);
    EXPECT_EQ(Commands(), "Incluir Excluir Procurar Verificar");
}

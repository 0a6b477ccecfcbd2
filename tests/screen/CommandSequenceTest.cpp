// The commands from the screen's creation on, walked as a user does: nothing that needs rows
// before the first successful read, alter never, each menu entry with its button (Commands()
// checks them at every step), and after each sequence the screen still takes a company code
// and reads it.
#include <gtest/gtest.h>

#include "tests/screen/ScreenFixture.h"

using screentest::ScreenFixture;

class CommandSequenceTest : public ScreenFixture {
  protected:
    // Chooses the company as a user does (typing into the field, then leaving the panel) and
    // checks that its suppliers are read and shown.
    void ExpectTheCompanyIsRead(const std::string& code = "01") {
        auto& s = Screen();
        s.medCdEmpresa->UserSetText(code);
        EXPECT_EQ(s.medCdEmpresa->Text(), code);
        dialogs.TakeLog();
        LeavePanel();
        EXPECT_EQ(TakeBusyLog(), (std::vector<std::string>{"busy 6", "busy stop"}));
        EXPECT_FALSE(FocusInPanel());
        EXPECT_NE(s.edtNmEmpresa->Text(), "");
        EXPECT_TRUE(s.dtsPadrao.Enabled());
        EXPECT_EQ(s.dbgPadrao->RowCount(), StoredBalances(code, "F", "N"));
        EXPECT_EQ(s.pgcPadrao->ActivePage(), s.tshFolhaDados);
        EXPECT_EQ(Commands(), "Procurar Verificar");
    }

    // Every command, by its tool button and by its menu entry.
    void ClickEveryCommand() {
        auto& s = Screen();
        for (auto* button : {s.sbtIncluir, s.sbtAlterar, s.sbtExcluir, s.sbtProcurar,
                             s.sbtVerificar, s.sbtCancelar, s.sbtConfirmar})
            button->Click();
        for (auto* entry : {s.mnuIncluir, s.mnuAlterar, s.mnuExcluir, s.mnuProcurar, s.mnuVerificar,
                            s.mnuCancelar, s.mnuConfirmar})
            entry->Click();
    }
};

TEST_F(CommandSequenceTest, BeforeTheFirstReadNoCommandIsOfferedOrDoesAnything) {
    auto& s = Open();
    EXPECT_EQ(Commands(), "");
    EXPECT_FALSE(s.sbtImprimir->Enabled());

    // Insert, delete and verify, as the user would try them: no message, no question, no
    // read, no page switch (any dialog would fail the test).
    ClickEveryCommand();
    EXPECT_TRUE(dialogs.Log().empty());
    EXPECT_EQ(s.pgcPadrao->ActivePage(), s.tshFolhaDados);
    EXPECT_TRUE(s.tshFolhaDados->Enabled());
    EXPECT_FALSE(s.cdsSaldForn.Active());

    // The same with the company typed but not yet read.
    s.medCdEmpresa->UserType("1");
    ClickEveryCommand();
    EXPECT_TRUE(dialogs.Log().empty());
    EXPECT_EQ(Commands(), "");

    ExpectTheCompanyIsRead();
}

TEST_F(CommandSequenceTest, AFailedFirstReadLeavesEveryCommandOff) {
    auto& s = Open();
    TypeCompany("01");
    Database()->Execute("ALTER TABLE SALDCOME RENAME TO SALDCOME_GUARDADO");
    dialogs.ExpectError();
    LeavePanel();
    EXPECT_TRUE(FocusInPanel());
    EXPECT_EQ(Commands(), "");
    ClickEveryCommand();
    EXPECT_EQ(dialogs.Errors().size(), 1u);

    Database()->Execute("ALTER TABLE SALDCOME_GUARDADO RENAME TO SALDCOME");
    ExpectTheCompanyIsRead("01");
    EXPECT_TRUE(s.cbxImplantSaldo->Enabled());
}

TEST_F(CommandSequenceTest, AlterIsNeverOfferedWhateverTheModeAndState) {
    auto& s = OpenLoaded();
    EXPECT_EQ(Commands(), "Procurar Verificar");
    s.cbxImplantSaldo->UserToggle();
    LeavePanel();
    EXPECT_EQ(Commands(), "Incluir Excluir Procurar Verificar");
    s.sbtIncluir->Click();
    EXPECT_EQ(Commands(), "Procurar Verificar Cancelar Confirmar");
    s.mnuCancelar->Click();
    EXPECT_EQ(s.pgcPadrao->ActivePage(), s.tshFolhaDados);
    EXPECT_EQ(Commands(), "Incluir Excluir Procurar Verificar");
    s.rdgTipoConta->UserSelect(2);
    EXPECT_EQ(Commands(), "");
    LeavePanel();
    EXPECT_EQ(Commands(), "Incluir Excluir Procurar Verificar");
}

// Verify does not leave the company field, so it checks the code it is about to read with.
TEST_F(CommandSequenceTest, VerifyWithTheCompanyCodeClearedReadsNothing) {
    auto& s = OpenLoaded();
    const int rows = s.cdsSaldForn.RecordCount();
    s.medCdEmpresa->UserSetText("");
    ASSERT_TRUE(FocusInPanel());
    EXPECT_EQ(Commands(), "Procurar Verificar");
    dialogs.TakeLog();

    dialogs.ExpectError("Empresa deve ser informada.");
    s.sbtVerificar->Click();
    EXPECT_EQ(dialogs.TakeLog(), std::vector<std::string>{"error: Empresa deve ser informada."});
    EXPECT_EQ(s.cdsSaldForn.RecordCount(), rows);

    ExpectTheCompanyIsRead("02");
}

// A row being entered, then the company field: the user can go back to the row, or, once it
// is cancelled, choose another company.
TEST_F(CommandSequenceTest, TheFilterPanelCanBeLeftWhileARowIsBeingEntered) {
    auto& s = OpenLoaded();
    s.cbxImplantSaldo->UserToggle();
    LeavePanel();
    s.sbtIncluir->Click();
    s.dbgLancSaldCome->UserType("032024\r");
    ASSERT_EQ(s.cdsSaldForn.State(), platform::DataSetState::Insert);

    EnterPanel();
    s.dbgLancSaldCome->UserFocus();
    EXPECT_EQ(s.ActiveControl(), s.dbgLancSaldCome);
    EXPECT_EQ(s.cdsSaldForn.State(), platform::DataSetState::Insert);
    EXPECT_EQ(Commands(), "Cancelar Confirmar");
    s.sbtCancelar->Click();

    // An untouched new row goes when the grid is left: the data sheet is the way out.
    s.sbtIncluir->Click();
    EnterPanel();
    EXPECT_EQ(s.cdsSaldForn.State(), platform::DataSetState::Browse);
    EXPECT_EQ(s.pgcPadrao->ActivePage(), s.tshFolhaDados);
    s.cbxImplantSaldo->UserToggle();
    ExpectTheCompanyIsRead("02");
}

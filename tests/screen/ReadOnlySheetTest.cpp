// Out of implant mode the balances can only be searched and re-read: every way a user has of
// changing a row (typing into a cell, the grid's keys, the navigator, the menu and the tool
// bar) leaves the rows, the commands and the stored balances as they were. In implant mode
// the same grid still edits.
#include <gtest/gtest.h>

#include "platform/ui/DBNavigator.h"
#include "tests/screen/ScreenFixture.h"

using screentest::ScreenFixture;

class ReadOnlySheetTest : public ScreenFixture {
  protected:
    static constexpr int kValueColumn = 4;

    // Everything stored for company 01, to see that nothing reached the server.
    std::string StoredBalancesOf01() const {
        const auto result = Database()->Select(
            "SELECT COUNT(*) AS N, SUM(VRIMPSALDO) AS V FROM SALDCOME WHERE CDEMPRESA = '01'");
        return result.rows.at(0).at(0).value_or("") + "|" + result.rows.at(0).at(1).value_or("");
    }

    // Tries every route to a change of the shown suppliers; none may change anything.
    void TryEveryRoute() {
        auto& s = Screen();
        auto& set = s.cdsSaldForn;
        auto* grid = s.dbgPadrao;
        const int rows = set.RecordCount();
        ASSERT_GT(rows, 0);
        const std::string value = grid->CellText(0, kValueColumn);
        const auto unchanged = [&](const char* route) {
            EXPECT_EQ(set.State(), platform::DataSetState::Browse) << route;
            EXPECT_EQ(set.RecordCount(), rows) << route;
            EXPECT_EQ(set.ChangeCount(), 0) << route;
            EXPECT_FALSE(grid->EditorOpen()) << route;
            EXPECT_EQ(Commands(), "Procurar Verificar") << route;
        };

        // Typing over the value of a row, then ending the cell, moving on and posting.
        grid->UserSelectCell(0, kValueColumn);
        grid->UserType("1,00");
        unchanged("typing");
        grid->UserType("\r");
        grid->UserKey(platform::GridKey::Tab);
        grid->UserPost();
        unchanged("enter, tab and post");
        grid->UserSelectCell(0, kValueColumn);
        grid->UserKey(platform::GridKey::F2);
        grid->UserKeyPress(8);
        grid->UserType("\r");
        unchanged("editor key");
        EXPECT_EQ(grid->CellText(0, kValueColumn), value);

        // The grid's own insert, append and delete keys (a question would fail the test).
        grid->UserKey(platform::GridKey::Insert);
        unchanged("insert key");
        grid->UserSelectCell(rows - 1, 0);
        grid->UserKey(platform::GridKey::Down);
        unchanged("down on the last row");
        grid->UserKey(platform::GridKey::CtrlDelete);
        unchanged("ctrl+delete");

        // The navigator offers no change.
        for (auto button : {platform::NavigateButton::Insert, platform::NavigateButton::Edit,
                            platform::NavigateButton::Delete}) {
            EXPECT_FALSE(s.dbnPadrao->ButtonEnabled(button));
            s.dbnPadrao->Click(button);
        }
        unchanged("navigator");

        // Neither do the menu and the tool bar.
        for (auto* entry :
             {s.mnuIncluir, s.mnuAlterar, s.mnuExcluir, s.mnuCancelar, s.mnuConfirmar})
            entry->Click();
        for (auto* button :
             {s.sbtIncluir, s.sbtAlterar, s.sbtExcluir, s.sbtCancelar, s.sbtConfirmar})
            button->Click();
        unchanged("menu and tool bar");
        EXPECT_EQ(s.pgcPadrao->ActivePage(), s.tshFolhaDados);

        // The entry grid sits on its page, which is off.
        s.dbgLancSaldCome->UserSelectCell(0, kValueColumn);
        s.dbgLancSaldCome->UserType("1,00\r");
        s.dbgLancSaldCome->UserKey(platform::GridKey::Insert);
        unchanged("entry grid");
    }
};

// The user selects the value cell of a "Não" row and types a new value.
TEST_F(ReadOnlySheetTest, OutOfImplantModeNoRouteChangesARowOrReachesTheServer) {
    const std::string stored = StoredBalancesOf01();
    OpenLoaded();
    dialogs.TakeLog();

    TryEveryRoute();
    EXPECT_TRUE(dialogs.Log().empty()) << "a message was shown or the server was called";
    EXPECT_EQ(StoredBalancesOf01(), stored);
}

TEST_F(ReadOnlySheetTest, LeavingImplantModeMakesTheGridReadOnlyAgain) {
    const std::string stored = StoredBalancesOf01();
    auto& s = OpenLoaded();
    s.cbxImplantSaldo->UserToggle();
    LeavePanel();

    // In implant mode the data sheet edits a row in place, with cancel and confirm offered.
    s.dbgPadrao->UserSelectCell(0, kValueColumn);
    s.dbgPadrao->UserType("1");
    EXPECT_EQ(s.cdsSaldForn.State(), platform::DataSetState::Edit);
    EXPECT_EQ(Commands(), "Procurar Verificar Cancelar Confirmar");
    s.sbtCancelar->Click();
    EXPECT_EQ(s.cdsSaldForn.State(), platform::DataSetState::Browse);

    s.cbxImplantSaldo->UserToggle();
    LeavePanel();
    ASSERT_FALSE(s.cbxImplantSaldo->Checked());
    dialogs.TakeLog();
    TryEveryRoute();
    EXPECT_TRUE(dialogs.Log().empty()) << "a message was shown or the server was called";
    EXPECT_EQ(StoredBalancesOf01(), stored);
}

// Unchecking the box with a new row that the server refuses: the row cannot be ended, so the
// screen stays in implant mode with the row, which the user can still cancel.
TEST_F(ReadOnlySheetTest, LeavingImplantModeWithARefusedRowKeepsImplantModeAndTheRow) {
    const std::string stored = StoredBalancesOf01();
    auto& s = OpenLoaded();
    s.cbxImplantSaldo->UserToggle();
    LeavePanel();
    s.sbtIncluir->Click();
    s.dbgLancSaldCome->UserType("032024\r");
    ASSERT_TRUE(s.cdsSaldForn.Modified());
    dialogs.TakeLog();

    dialogs.ExpectError("Não é possível implantar saldo! Saldo insuficiente na Conta Contábil.");
    s.cbxImplantSaldo->UserToggle();
    EXPECT_TRUE(s.cbxImplantSaldo->Checked());
    EXPECT_EQ(s.cdsSaldForn.State(), platform::DataSetState::Insert);
    EXPECT_EQ(s.cdsSaldForn.Filter(), "TIPSALDO = 'Sim'");

    // Both pages are off while a row is entered from the panel; Tab leaves it.
    s.UserTab();
    ASSERT_FALSE(FocusInPanel());
    EXPECT_EQ(Commands(), "Cancelar Confirmar");
    s.sbtCancelar->Click();
    EXPECT_EQ(s.cdsSaldForn.State(), platform::DataSetState::Browse);
    EXPECT_EQ(s.cdsSaldForn.ChangeCount(), 0);
    EXPECT_EQ(Commands(), "Incluir Excluir Procurar Verificar");
    EXPECT_EQ(StoredBalancesOf01(), stored);
}

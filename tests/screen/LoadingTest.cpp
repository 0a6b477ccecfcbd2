// Loading balances on the balance screen: the data link off inside the filter panel, the
// read of the selected kind as the panel is left, the grids prepared for entry, Verify, and
// reads that fail or must not happen.
#include <gtest/gtest.h>

#include "library/Consiste.h"
#include "tests/screen/ScreenFixture.h"

using screentest::ScreenFixture;

namespace {

constexpr platform::GridOptions kDesignOptions = 4084;

// Wraps an event so that it records its name before running.
void Record(platform::NotifyEvent& event, std::vector<std::string>& trace, std::string name) {
    event = [&trace, name = std::move(name), inner = event](platform::Component* sender) {
        trace.push_back(name);
        inner(sender);
    };
}

}  // namespace

class LoadingTest : public ScreenFixture {
  protected:
    // What a grid with its link off shows.
    static bool ShowsNothing(const platform::DBGrid& grid) {
        return grid.DataSet() == nullptr && grid.RowCount() == 0;
    }
    // A grid has no columns until a set has been shown through it.
    static platform::ColumnButtonStyle Button(const platform::DBGrid& grid, int column) {
        return column < grid.ColumnCount() ? grid.ButtonStyle(column)
                                           : platform::ColumnButtonStyle::Auto;
    }
    static platform::TextAlignment Title(const platform::DBGrid& grid, int column) {
        return column < grid.ColumnCount() ? grid.TitleAlignment(column)
                                           : platform::TextAlignment::Left;
    }
    // The grids and check box as the first successful exit leaves them, or as before it.
    void ExpectPrepared(bool prepared) {
        auto& s = Screen();
        EXPECT_EQ(s.dbgLancSaldCome->Options(), prepared ? 3829u : kDesignOptions);
        const auto ellipsis =
            prepared ? platform::ColumnButtonStyle::Ellipsis : platform::ColumnButtonStyle::Auto;
        EXPECT_EQ(Button(*s.dbgLancSaldCome, 1), ellipsis);
        EXPECT_EQ(Button(*s.dbgLancSaldCome, 3), ellipsis);
        EXPECT_EQ(Button(*s.dbgLancSaldCome, 2), platform::ColumnButtonStyle::Auto);
        const auto title =
            prepared ? platform::TextAlignment::Right : platform::TextAlignment::Left;
        EXPECT_EQ(Title(*s.dbgPadrao, 4), title);
        EXPECT_EQ(Title(*s.dbgLancSaldCome, 4), title);
        EXPECT_EQ(s.cbxImplantSaldo->Enabled(), prepared);
    }
};

TEST_F(LoadingTest, LeavingThePanelChecksTheCompanyThenLoadsAndPreparesTheGrids) {
    auto& s = Open();
    std::vector<std::string> trace;
    Record(s.medCdEmpresa->OnExit, trace, "medCdEmpresaExit");
    Record(s.panFiltro->OnExit, trace, "panFiltroExit");
    EXPECT_FALSE(s.dtsPadrao.Enabled());
    ExpectPrepared(false);
    TypeCompany("01");
    dialogs.TakeLog();

    LeavePanel();
    EXPECT_EQ(trace, (std::vector<std::string>{"medCdEmpresaExit", "panFiltroExit"}));
    EXPECT_EQ(TakeBusyLog(), (std::vector<std::string>{"busy 6", "busy stop"}));
    EXPECT_EQ(s.ActiveControl(), s.dbgPadrao);
    EXPECT_TRUE(s.dtsPadrao.Enabled());
    EXPECT_EQ(s.dtsPadrao.DataSet(), &s.cdsSaldForn);
    EXPECT_EQ(s.dbgPadrao->DataSet(), &s.cdsSaldForn);
    EXPECT_EQ(s.dbgLancSaldCome->DataSet(), &s.cdsSaldForn);
    EXPECT_EQ(library::IndiceCol(*s.dbgPadrao, "VRIMPSALDO"), 4);
    ExpectPrepared(true);
    EXPECT_FALSE(s.cbxImplantSaldo->Checked());
    // The entry page waits for the insert command.
    EXPECT_FALSE(s.tshFormulario->Enabled());

    // Out of implant mode the balances not implanted are shown, all of them.
    EXPECT_TRUE(s.cdsSaldForn.Filtered());
    EXPECT_EQ(s.cdsSaldForn.Filter(), "TIPSALDO = 'Não'");
    EXPECT_EQ(s.cdsSaldForn.RecordCount(), StoredBalances("01", "F", "N"));
    for (const auto& implanted : Column(s.cdsSaldForn, "TIPSALDO")) EXPECT_EQ(implanted, "Não");
    for (const auto& kind : Column(s.cdsSaldForn, "IDSALDCOME")) EXPECT_EQ(kind, "F");
}

TEST_F(LoadingTest, EnteringThePanelSwitchesTheLinkAndTheEntryPageOff) {
    auto& s = OpenLoaded();
    // As the insert command leaves them.
    s.tshFormulario->SetEnabled(true);
    s.mnuFormulario->SetEnabled(true);

    s.rdgTipoConta->UserFocus();
    EXPECT_FALSE(s.dtsPadrao.Enabled());
    EXPECT_FALSE(s.tshFormulario->Enabled());
    EXPECT_FALSE(s.mnuFormulario->Enabled());
    EXPECT_TRUE(ShowsNothing(*s.dbgPadrao));
    EXPECT_TRUE(ShowsNothing(*s.dbgLancSaldCome));

    LeavePanel();
    s.tshFormulario->SetEnabled(true);
    EnterPanel();
    EXPECT_FALSE(s.dtsPadrao.Enabled());
    EXPECT_FALSE(s.tshFormulario->Enabled());
}

TEST_F(LoadingTest, ChangingTheKindBindsTheNewSetAndTheOldOneKeepsItsRows) {
    auto& s = OpenLoaded();
    const int suppliers = s.cdsSaldForn.RecordCount();
    ASSERT_GT(suppliers, 0);

    s.rdgTipoConta->UserSelect(2);
    EXPECT_EQ(s.dtsPadrao.DataSet(), &s.cdsSaldForn);
    EXPECT_FALSE(s.cdsSaldBanco.Active());
    LeavePanel();
    EXPECT_TRUE(s.dtsPadrao.Enabled());
    EXPECT_EQ(s.dtsPadrao.DataSet(), &s.cdsSaldBanco);
    EXPECT_EQ(s.cdsSaldBanco.Filter(), "TIPSALDO = 'Não'");
    EXPECT_EQ(s.cdsSaldBanco.RecordCount(), StoredBalances("01", "B", "N"));
    for (const auto& kind : Column(s.cdsSaldBanco, "IDSALDCOME")) EXPECT_EQ(kind, "B");
    EXPECT_EQ(s.cdsSaldForn.RecordCount(), suppliers);
    // The bank set's columns: the value is still the fifth, its title right-aligned.
    EXPECT_EQ(library::IndiceCol(*s.dbgLancSaldCome, "VRIMPSALDO"), 4);
    EXPECT_EQ(s.dbgLancSaldCome->TitleAlignment(4), platform::TextAlignment::Right);
}

TEST_F(LoadingTest, VerifyReloadsTheSelectedKindAndNothingElse) {
    auto& s = OpenLoaded();
    const int before = s.cdsSaldForn.RecordCount();
    Database()->Execute(
        "INSERT INTO SALDCOME (CDEMPRESA, IDSALDCOME, DTIMPSALDO, CDCONTCTBL, CDSALDCOME,"
        " VRIMPSALDO, TIPSALDO) VALUES ('01', 'F', '2025-03-31', '2.1.1.01.0001', '000005',"
        " 12345, 'N')");
    dialogs.TakeLog();

    s.sbtVerificar->Click();
    EXPECT_EQ(TakeBusyLog(), (std::vector<std::string>{"busy 6", "busy stop"}));
    EXPECT_EQ(s.cdsSaldForn.RecordCount(), before + 1);
    EXPECT_TRUE(s.dtsPadrao.Enabled());
    EXPECT_EQ(s.dtsPadrao.DataSet(), &s.cdsSaldForn);
    EXPECT_EQ(s.cdsSaldForn.Filter(), "TIPSALDO = 'Não'");
}

TEST_F(LoadingTest, VerifyLeavesBindingLinkGridsAndCheckBoxAsTheyAre) {
    auto& s = Open();
    TypeCompany("01");
    s.rdgTipoConta->UserSelect(1);

    s.sbtVerificarClick(s.sbtVerificar);
    EXPECT_EQ(s.cdsSaldClie.RecordCount(),
              StoredBalances("01", "C", "N") + StoredBalances("01", "C", "S"));
    EXPECT_EQ(s.dtsPadrao.DataSet(), &s.cdsSaldForn);
    EXPECT_FALSE(s.dtsPadrao.Enabled());
    EXPECT_FALSE(s.cdsSaldForn.Active());
    ExpectPrepared(false);
    EXPECT_TRUE(FocusInPanel());
}

TEST_F(LoadingTest, StoppedServerLeavesTheLinkOffAndReportsTheConnectionError) {
    auto& s = Open();
    TypeCompany("01");
    dialogs.TakeLog();
    Server()->Stop();

    dialogs.ExpectError();
    LeavePanel();
    const auto log = dialogs.TakeLog();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0], "busy 6");
    EXPECT_EQ(log[1], "busy stop");
    EXPECT_NE(log[2].find(Server()->Address()), std::string::npos) << log[2];
    EXPECT_TRUE(FocusInPanel());
    EXPECT_FALSE(s.dtsPadrao.Enabled());
    EXPECT_FALSE(s.cdsSaldForn.Active());
    EXPECT_TRUE(ShowsNothing(*s.dbgPadrao));
    ExpectPrepared(false);
}

TEST_F(LoadingTest, ReadRefusedByTheServerKeepsTheRowsAndShowsItsMessage) {
    auto& s = OpenLoaded();
    const int suppliers = s.cdsSaldForn.RecordCount();
    EnterPanel();
    Database()->Execute("ALTER TABLE SALDCOME RENAME TO SALDCOME_GUARDADO");
    dialogs.TakeLog();

    dialogs.ExpectError();
    LeavePanel();
    const auto log = dialogs.TakeLog();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0], "busy 6");
    EXPECT_EQ(log[1], "busy stop");
    // The server's own message (its database lost the table), as it stands.
    EXPECT_EQ(log[2].rfind("error: Falha ao ler os saldos", 0), 0u) << log[2];
    EXPECT_TRUE(FocusInPanel());
    EXPECT_FALSE(s.dtsPadrao.Enabled());
    EXPECT_TRUE(ShowsNothing(*s.dbgLancSaldCome));
    EXPECT_EQ(s.cdsSaldForn.RecordCount(), suppliers);

    Database()->Execute("ALTER TABLE SALDCOME_GUARDADO RENAME TO SALDCOME");
    LeavePanel();
    EXPECT_FALSE(FocusInPanel());
    EXPECT_TRUE(s.dtsPadrao.Enabled());
    EXPECT_EQ(s.dbgPadrao->DataSet(), &s.cdsSaldForn);
}

TEST_F(LoadingTest, LeavingThePanelWhileTheSetIsInsertingKeepsTheRowWithoutAskingTheServer) {
    auto& s = OpenLoaded();
    s.cbxImplantSaldo->UserToggle();
    LeavePanel();
    s.cdsSaldForn.Insert();
    s.cdsSaldFornNMCONTCTBL->SetAsString("Conta em digitação");
    EnterPanel();
    // Any call would now fail with an error dialog the test does not expect.
    Server()->Stop();

    LeavePanel();
    EXPECT_EQ(s.cdsSaldForn.State(), platform::DataSetState::Insert);
    EXPECT_EQ(s.cdsSaldFornNMCONTCTBL->AsString(), "Conta em digitação");
    EXPECT_TRUE(s.dtsPadrao.Enabled());
    EXPECT_EQ(s.dtsPadrao.DataSet(), &s.cdsSaldForn);
    ExpectPrepared(true);
    EXPECT_EQ(Commands(), "Cancelar Confirmar");
}

// "Exibir" → "Histórico do saldo" on the real screen: after a save, the window lists who made
// it, when and from what to what; a balance nobody changed shows an empty list, a row still
// being entered is refused with a message, and one window serves every request.
#include <gtest/gtest.h>

#include "library/RequestKey.h"
#include "platform/app/Application.h"
#include "platform/ui/DBGrid.h"
#include "platform/ui/Label.h"
#include "tests/screen/EntryFixture.h"

using entrytest::EntryFixture;
using entrytest::kKinds;

class HistoryTest : public EntryFixture {
  protected:
    // The history window the last click opened, or null.
    platform::Form* HistoryWindow() {
        platform::Form* found = nullptr;
        for (auto* form : platform::Application::Instance().Forms())
            if (form->Name() == "frmHistSaldo") found = form;
        return found;
    }
    static platform::ClientDataSet& Rows(platform::Form& window) {
        auto* grid = dynamic_cast<platform::DBGrid*>(window.FindComponent("dbgHistorico"));
        return *grid->GetDataSource()->DataSet();
    }
};

TEST_F(HistoryTest, TheWindowShowsWhoChangedTheBalanceAndFromWhatToWhat) {
    const auto& k = kKinds[0];
    OpenScreen(k.index);
    auto& s = S();
    EXPECT_EQ(s.mnuHistSaldo->Caption(), "&Histórico do saldo");

    // A row being entered has no history yet.
    InsertRow();
    dialogs.ExpectError("Selecione um saldo gravado para ver o seu histórico.");
    s.mnuHistSaldo->Click();
    EXPECT_EQ(dialogs.Errors().size(), 1u);
    s.sbtCancelar->Click();

    EnterRow(k);
    s.sbtConfirmar->Click();
    ASSERT_EQ(StoredRow(k), ExpectedStoredRow(k));
    dialogs.TakeLog();
    s.mnuHistSaldo->Click();
    platform::Form* window = HistoryWindow();
    ASSERT_NE(window, nullptr);
    auto& rows = Rows(*window);
    ASSERT_EQ(rows.RecordCount(), 1);
    rows.First();
    EXPECT_EQ(rows.FieldByName("DSALTERACAO").AsString(), "Inclusão");
    EXPECT_EQ(rows.FieldByName("NMUSUARIO").AsString(), library::DesktopUserName());
    EXPECT_EQ(rows.FieldByName("DSENDERECO").AsString(), "local");  // the local socket
    EXPECT_TRUE(rows.FieldByName("VRANTES").IsNull());
    EXPECT_EQ(std::llround(rows.FieldByName("VRDEPOIS").AsFloat() * 100), k.cents);
    EXPECT_EQ(rows.FieldByName("TIPDEPOIS").AsString(), "Sim");
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM SALDAUDI"), "1\n");
    window->UserClose();
    s.UserActivate();

    // A demonstration balance nobody changed here.
    s.cdsSaldForn.First();
    if (s.cdsSaldFornCDSALDCOME->AsString() == k.owner &&
        s.cdsSaldFornCDCONTCTBL->AsString() == k.account)
        s.cdsSaldForn.Next();
    s.mnuHistSaldo->Click();
    window = HistoryWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Caption(), "Histórico do saldo");
    EXPECT_EQ(Rows(*window).RecordCount(), 0);
    const auto* heading = dynamic_cast<platform::Label*>(window->FindComponent("lblSaldo"));
    EXPECT_NE(heading->Caption().find("nenhuma alteração"), std::string::npos)
        << heading->Caption();

    // Asked again while open, the one window shows the balance asked for; it is left open
    // here, and goes with the screen (before the module that holds its code).
    s.cdsSaldForn.First();
    s.mnuHistSaldo->Click();
    int windows = 0;
    for (auto* form : platform::Application::Instance().Forms())
        windows += form->Name() == "frmHistSaldo" ? 1 : 0;
    EXPECT_EQ(windows, 1);
}

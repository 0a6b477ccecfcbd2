// The road of one implanted balance, for each kind, as a user walks it: open the screen,
// choose company, kind and implant mode, insert, type the month, pick account and owner,
// type the value, confirm; the row is stored by the server, the data sheet is shown, and it
// is still there after the screen is closed and opened again.
#include <gtest/gtest.h>

#include "platform/app/Application.h"
#include "tests/screen/EntryFixture.h"

using entrytest::EntryFixture;
using entrytest::kKinds;

class RoadTest : public EntryFixture, public ::testing::WithParamInterface<int> {};

TEST_P(RoadTest, OneImplantedBalanceFromOpeningToReopening) {
    const auto& k = kKinds[static_cast<std::size_t>(GetParam())];
    const platform::DateTime march = platform::EncodeDate(2024, 3, 31);

    // 1-2: the screen opens; a one-digit company code is fitted and named.
    IniProc();
    auto& s = S();
    ASSERT_TRUE(s.netSaldComer->Connected());
    s.medCdEmpresa->UserSetText("1");
    // 3: the kind.
    s.rdgTipoConta->UserSelect(k.index);
    EXPECT_EQ(s.medCdEmpresa->Text(), "01");
    EXPECT_EQ(s.edtNmEmpresa->Text(), "Comercial Horizonte Ltda.");
    EXPECT_FALSE(s.mnuIncluir->Enabled());
    // 4: leaving the filter panel reads the balances.
    s.dbgPadrao->UserFocus();
    ASSERT_EQ(s.dtsPadrao.DataSet(), &SetOf(k.index));
    ASSERT_TRUE(s.cbxImplantSaldo->Enabled());
    // 5: implant mode shows the implanted balances and offers insert.
    s.cbxImplantSaldo->UserToggle();
    s.dbgPadrao->UserFocus();
    ASSERT_TRUE(s.sbtIncluir->Enabled());
    auto& set = SetOf(k.index);
    const int rows = set.RecordCount();
    EXPECT_EQ(set.Filter(), "TIPSALDO = 'Sim'");
    dialogs.TakeLog();

    // 6: the entry.
    InsertRow();
    EXPECT_EQ(s.pgcPadrao->ActivePage(), s.tshFormulario);
    TypeMonth("03/2024");
    LookUp(entrytest::kColAccount, k.accountRow);
    LookUp(entrytest::kColOwner, k.ownerRow);
    TypeValue(k.valueText);
    EXPECT_EQ(FieldOf(k.index, "DTIMPSALDO").AsDateTime(), march);
    EXPECT_EQ(FieldOf(k.index, "CDCONTCTBL").AsString(), k.account);
    EXPECT_EQ(FieldOf(k.index, "CDSALDCOME").AsString(), k.owner);
    EXPECT_DOUBLE_EQ(FieldOf(k.index, "VRIMPSALDO").AsFloat(), k.value);
    EXPECT_EQ(WoMes(), 3);
    EXPECT_EQ(WoAno(), 2024);

    // 7-8: confirm: the server's check, then the save.
    dialogs.TakeLog();
    s.sbtConfirmar->Click();
    EXPECT_EQ(dialogs.TakeLog(),
              (std::vector<std::string>{"busy 6", "busy stop", "busy 1", "busy stop"}));
    EXPECT_EQ(set.State(), platform::DataSetState::Browse);
    EXPECT_EQ(set.ChangeCount(), 0);
    EXPECT_EQ(set.RecordCount(), rows + 1);
    EXPECT_EQ(StoredRow(k), ExpectedStoredRow(k));
    EXPECT_EQ(s.pgcPadrao->ActivePage(), s.tshFolhaDados);
    EXPECT_FALSE(s.tshFormulario->Enabled());
    EXPECT_TRUE(s.sbtIncluir->Enabled());
    EXPECT_FALSE(s.sbtConfirmar->Enabled());

    // 9: closed and opened again, the balance is read back from the server.
    platform::Application::Instance().RunEvent([&] { s.UserClose(); });
    platform::Application::Instance().ProcessMessages();
    ASSERT_EQ(Form(), nullptr);
    OpenScreen(k.index);
    auto& again = SetOf(k.index);
    EXPECT_EQ(again.RecordCount(), rows + 1);
    const int found = FindRow(again, march, k.account, k.owner);
    ASSERT_GE(found, 0);
    EXPECT_DOUBLE_EQ(again.FieldByName("VRIMPSALDO").AsFloat(), k.value);
    EXPECT_EQ(again.FieldByName("NMCONTCTBL").AsString(), k.accountName);
    EXPECT_EQ(again.FieldByName("NMRAZAOSOCIAL").AsString(), k.ownerName);
    EXPECT_EQ(again.FieldByName("TIPSALDO").AsString(), "Sim");
    EXPECT_TRUE(dialogs.Errors().empty());
}

INSTANTIATE_TEST_SUITE_P(Kinds, RoadTest, ::testing::Values(0, 1, 2), entrytest::KindName);

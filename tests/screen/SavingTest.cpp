// Saving on the real screen: every post and delete goes to the server at once; a refusal
// discards the pending changes and reaches the command that started it.
#include <gtest/gtest.h>

#include "platform/app/Application.h"
#include "tests/screen/EntryFixture.h"

using entrytest::EntryFixture;
using entrytest::kKinds;

class SavingTest : public EntryFixture {
  protected:
    // The WHERE clause that finds the set's current row in the database.
    std::string KeyOfCurrent(int kind) const {
        const auto& set = SetOf(kind);
        return std::string("CDEMPRESA = '01' AND IDSALDCOME = '") +
               set.FieldByName("IDSALDCOME").AsString() + "' AND DTIMPSALDO = '" +
               platform::DateTimeToIso(set.FieldByName("DTIMPSALDO").AsDateTime()) +
               "' AND CDCONTCTBL = '" + set.FieldByName("CDCONTCTBL").AsString() +
               "' AND CDSALDCOME = '" + set.FieldByName("CDSALDCOME").AsString() + "'";
    }
    std::string CountWhere(const std::string& where) const {
        return Sql("SELECT COUNT(*) FROM SALDCOME WHERE " + where);
    }
};

class SavingKindTest : public SavingTest, public ::testing::WithParamInterface<int> {};

TEST_P(SavingKindTest, ADeleteGoesToTheServerAtOnce) {
    const int kind = GetParam();
    OpenScreen(kind);
    auto& s = S();
    auto& set = SetOf(kind);
    const int rows = set.RecordCount();
    set.First();
    const std::string key = KeyOfCurrent(kind);
    ASSERT_EQ(CountWhere(key), "1\n");

    dialogs.Answer(platform::mrYes);
    s.sbtExcluir->Click();
    EXPECT_EQ(dialogs.TakeLog(),
              (std::vector<std::string>{"ask: " + s.msgMensagensPadroes->Msg("Excl"), "busy 1",
                                        "busy stop"}));
    EXPECT_EQ(set.RecordCount(), rows - 1);
    EXPECT_EQ(set.ChangeCount(), 0);
    EXPECT_EQ(CountWhere(key), "0\n");
    EXPECT_EQ(s.pgcPadrao->ActivePage(), s.tshFolhaDados);
}

INSTANTIATE_TEST_SUITE_P(Kinds, SavingKindTest, ::testing::Values(0, 1, 2), entrytest::KindName);

TEST_F(SavingTest, AfterASaveNothingIsPendingAndASecondSaveSendsNothing) {
    const auto& k = kKinds[2];
    OpenScreen(k.index);
    auto& s = S();
    EnterRow(k);
    dialogs.TakeLog();
    s.sbtConfirmar->Click();
    EXPECT_EQ(dialogs.TakeLog(),
              (std::vector<std::string>{"busy 6", "busy stop", "busy 1", "busy stop"}));
    EXPECT_EQ(s.cdsSaldBanco.ChangeCount(), 0);
    EXPECT_EQ(StoredRow(k), ExpectedStoredRow(k));

    // Nothing pending: no call, and still the data sheet.
    ShowEntryPage();
    platform::Application::Instance().RunEvent([&] { s.cdsSaldBanco.AfterPost(s.cdsSaldBanco); });
    EXPECT_TRUE(dialogs.Log().empty());
    EXPECT_EQ(s.pgcPadrao->ActivePage(), s.tshFolhaDados);
}

TEST_F(SavingTest, ADeleteTheServerRefusesBringsTheRowBack) {
    OpenScreen(0);
    auto& s = S();
    auto& set = s.cdsSaldForn;
    const int rows = set.RecordCount();
    set.First();
    const auto month = s.cdsSaldFornDTIMPSALDO->AsDateTime();
    const auto account = s.cdsSaldFornCDCONTCTBL->AsString();
    const auto owner = s.cdsSaldFornCDSALDCOME->AsString();
    // Another user removes the balance meanwhile.
    ASSERT_EQ(Sql("DELETE FROM SALDCOME WHERE " + KeyOfCurrent(0)), "");

    ShowEntryPage();
    dialogs.Answer(platform::mrYes);
    dialogs.ExpectError();
    s.sbtExcluir->Click();
    ASSERT_EQ(dialogs.Errors().size(), 1u);
    EXPECT_NE(dialogs.Errors()[0].find("excluído por outro usuário"), std::string::npos)
        << dialogs.Errors()[0];
    EXPECT_EQ(set.RecordCount(), rows);
    EXPECT_EQ(set.ChangeCount(), 0);
    EXPECT_GE(FindRow(set, month, account, owner), 0) << "the deleted row did not come back";
    // The failure ended the command before its page switch.
    EXPECT_EQ(s.pgcPadrao->ActivePage(), s.tshFormulario);
    EXPECT_FALSE(dialogs.Busy());
}

TEST_F(SavingTest, ASaveTheServerRefusesRemovesTheNewRowAndReachesTheConfirmCommand) {
    const auto& k = kKinds[1];
    OpenScreen(k.index);
    auto& s = S();
    const int rows = s.cdsSaldClie.RecordCount();
    // Another user stores the same balance first.
    ASSERT_EQ(Sql(std::string("INSERT INTO SALDCOME VALUES ('01', 'C', '2024-03-31', '") +
                  k.account + "', '" + k.owner + "', -100, 'S')"),
              "");

    EnterRow(k);
    dialogs.TakeLog();
    dialogs.ExpectError("Conta comercial já cadastrada.");
    s.sbtConfirmar->Click();
    EXPECT_EQ(dialogs.TakeLog(),
              (std::vector<std::string>{"busy 6", "busy stop", "busy 1", "busy stop",
                                        "error: Conta comercial já cadastrada."}));
    EXPECT_EQ(s.cdsSaldClie.State(), platform::DataSetState::Browse);
    EXPECT_EQ(s.cdsSaldClie.RecordCount(), rows);
    EXPECT_EQ(s.cdsSaldClie.ChangeCount(), 0);
    EXPECT_EQ(FindRow(s.cdsSaldClie, platform::EncodeDate(2024, 3, 31), k.account, k.owner), -1);
    // Neither the saving step nor the confirm command switched the page.
    EXPECT_EQ(s.pgcPadrao->ActivePage(), s.tshFormulario);
    EXPECT_EQ(Sql(std::string("SELECT VRIMPSALDO FROM SALDCOME WHERE IDSALDCOME = 'C' AND "
                              "CDSALDCOME = '") +
                  k.owner + "' AND DTIMPSALDO = '2024-03-31'"),
              "-100\n");
}

TEST_F(SavingTest, EditingAStoredValueAsksTheServerAgainAndSavesTheChange) {
    const auto& k = kKinds[0];
    OpenScreen(k.index);
    auto& s = S();
    EnterRow(k);
    s.sbtConfirmar->Click();
    ASSERT_EQ(StoredRow(k), ExpectedStoredRow(k));
    dialogs.TakeLog();

    // The data sheet's grid edits the row in place: the set goes into edit state.
    auto& set = SetOf(k.index);
    const int row = FindRow(set, platform::EncodeDate(2024, 3, 31), k.account, k.owner);
    ASSERT_GE(row, 0);
    set.MoveToVisibleRow(row);
    set.Edit();
    set.FieldByName("VRIMPSALDO").SetText("100,00");
    ASSERT_TRUE(s.sbtConfirmar->Enabled());
    s.sbtConfirmar->Click();

    EXPECT_EQ(dialogs.TakeLog(),
              (std::vector<std::string>{"busy 6", "busy stop", "busy 1", "busy stop"}));
    EXPECT_EQ(set.ChangeCount(), 0);
    EXPECT_EQ(Sql(std::string("SELECT VRIMPSALDO FROM SALDCOME WHERE CDEMPRESA = '01' AND "
                              "IDSALDCOME = 'F' AND DTIMPSALDO = '2024-03-31' AND CDCONTCTBL = '") +
                  k.account + "' AND CDSALDCOME = '" + k.owner + "'"),
              "10000\n");
}

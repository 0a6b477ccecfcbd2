// Validation before posting on the real screen: the server's balance check first, then the
// blank fields in their order; every refusal leaves the row in insert on the entry page.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/screen/EntryFixture.h"

using entrytest::EntryFixture;
using entrytest::kKinds;

namespace {

constexpr const char* kInsufficient =
    "Não é possível implantar saldo! Saldo insuficiente na Conta Contábil.";
const char* const kOwnerEmpty[] = {"Nome do Fornecedor deve ser informado.",
                                   "Nome do Cliente deve ser informado.",
                                   "Nome do Banco deve ser informado."};

}  // namespace

class ValidationTest : public EntryFixture {
  protected:
    // Confirms the row expecting the refusal `message`; the row must stay in insert on the
    // entry page with nothing sent for saving.
    void ConfirmRefused(int kind, const std::string& message) {
        auto& s = S();
        dialogs.TakeLog();
        dialogs.ExpectError(message);
        s.sbtConfirmar->Click();
        const auto log = dialogs.TakeLog();
        ASSERT_GE(log.size(), 2u);
        EXPECT_EQ(log.front(), "busy 6") << "the server check comes first";
        EXPECT_NE(std::find(log.begin(), log.end(), "error: " + message), log.end());
        EXPECT_FALSE(dialogs.Busy());
        for (const auto& line : log) EXPECT_NE(line, "busy 1") << "a refused row was saved";
        EXPECT_EQ(SetOf(kind).State(), platform::DataSetState::Insert);
        EXPECT_EQ(SetOf(kind).ChangeCount(), 0);
        EXPECT_EQ(s.pgcPadrao->ActivePage(), s.tshFormulario);
        EXPECT_TRUE(s.sbtConfirmar->Enabled());
    }
};

class ValidationKindTest : public ValidationTest, public ::testing::WithParamInterface<int> {};

TEST_P(ValidationKindTest, ServerCheckFirstThenBlankFieldsInTheirOrder) {
    const auto& k = kKinds[static_cast<std::size_t>(GetParam())];
    OpenScreen(k.index);
    InsertRow();

    // Everything blank: the server hears of the row first (no account) and refuses it; the
    // animation is stopped before the message and again by the guard.
    dialogs.ExpectError(kInsufficient);
    S().sbtConfirmar->Click();
    EXPECT_EQ(dialogs.TakeLog(),
              (std::vector<std::string>{"busy 6", "busy stop",
                                        std::string("error: ") + kInsufficient, "busy stop"}));

    // With an account and the value 0 the server agrees, so the blank month is reported.
    LookUp(entrytest::kColAccount, k.accountRow);
    ConfirmRefused(k.index, "Data de Implantação de Saldo deve ser informada.");

    TypeMonth("03/2024");
    FieldOf(k.index, "NMCONTCTBL").Clear();
    ConfirmRefused(k.index, "Nome da Conta Contábil deve ser informada.");

    LookUp(entrytest::kColAccount, k.accountRow);
    ConfirmRefused(k.index, kOwnerEmpty[k.index]);

    // A value of 0 is a value; only a blank one is missing.
    LookUp(entrytest::kColOwner, k.ownerRow);
    FieldOf(k.index, "VRIMPSALDO").Clear();
    ConfirmRefused(k.index, "Valor de Saldo deve ser informado.");
    EXPECT_EQ(FieldOf(k.index, "CDSALDCOME").AsString(), k.owner);
    EXPECT_EQ(FieldOf(k.index, "CDCONTCTBL").AsString(), k.account);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ValidationKindTest, ::testing::Values(0, 1, 2),
                         entrytest::KindName);

TEST_F(ValidationTest, ABalanceTheLedgerDoesNotAllowIsRefusedAndCanBeCorrected) {
    const auto& k = kKinds[0];
    OpenScreen(0);
    EnterRow(k);
    TypeValue("-150,25");  // a debit on a supplier (credit) account
    ConfirmRefused(0, kInsufficient);
    // Beside the refusal, what the server weighed: the ledger, the total implanted, the room.
    const std::string& detail = dialogs.LastDetail();
    EXPECT_EQ(detail.rfind("Saldo contábil em ", 0), 0u) << detail;
    EXPECT_NE(detail.find(" CR; já implantado: "), std::string::npos) << detail;
    EXPECT_NE(detail.find("; disponível: "), std::string::npos) << detail;
    EXPECT_EQ(FieldOf(0, "VRIMPSALDO").AsFloat(), -150.25);
    EXPECT_EQ(StoredRow(k), "");

    TypeValue(k.valueText);
    S().sbtConfirmar->Click();
    EXPECT_EQ(SetOf(0).State(), platform::DataSetState::Browse);
    EXPECT_EQ(SetOf(0).ChangeCount(), 0);
    EXPECT_EQ(StoredRow(k), ExpectedStoredRow(k));
}

TEST_F(ValidationTest, OffTheEntryPageNoBlankFieldIsReportedButTheServerStillJudges) {
    const auto& k = kKinds[0];
    OpenScreen(0);
    auto& s = S();
    const int rows = s.cdsSaldForn.RecordCount();
    InsertRow();
    LookUp(entrytest::kColAccount, k.accountRow);
    s.pgcPadrao->SetActivePage(s.tshFolhaDados);
    dialogs.TakeLog();

    // The month and owner are blank, yet the post goes through to saving, where the server
    // refuses the row and the pending row is dropped.
    dialogs.ExpectError();
    s.sbtConfirmar->Click();
    const auto log = dialogs.TakeLog();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[0], "busy 6");
    EXPECT_EQ(log[1], "busy stop");
    EXPECT_EQ(log[2], "busy 1");
    EXPECT_EQ(log[3], "busy stop");
    EXPECT_TRUE(log[4].starts_with("error: ")) << log[4];
    EXPECT_EQ(s.cdsSaldForn.State(), platform::DataSetState::Browse);
    EXPECT_EQ(s.cdsSaldForn.RecordCount(), rows);
    EXPECT_EQ(s.cdsSaldForn.ChangeCount(), 0);
}

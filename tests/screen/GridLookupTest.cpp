// The entry grid's look-ups on the real screen and database: the account and owner lists of
// each kind, a dismissed list, rows in edit state, and an account code too long for a row.
#include <gtest/gtest.h>

#include "platform/app/Application.h"
#include "tests/screen/EntryFixture.h"

using entrytest::EntryFixture;
using entrytest::kKinds;

namespace {

const char* const kOwnerTitles[] = {"Fornecedor", "Cliente", "Banco"};
const std::size_t kOwnerRows[] = {9, 9, 6};

std::vector<std::string> Column(const std::vector<std::vector<std::string>>& rows,
                                std::size_t column) {
    std::vector<std::string> out;
    for (const auto& row : rows) out.push_back(row.at(column));
    return out;
}

}  // namespace

class GridLookupTest : public EntryFixture {};
class GridLookupKindTest : public EntryFixture, public ::testing::WithParamInterface<int> {};

TEST_P(GridLookupKindTest, PicksFillCodeAndNameAndADismissedListChangesNothing) {
    const auto& k = kKinds[static_cast<std::size_t>(GetParam())];
    OpenScreen(k.index);
    InsertRow();

    LookUp(entrytest::kColAccount, k.accountRow);
    EXPECT_EQ(dialogs.TakeLog(), std::vector<std::string>{"pick: Conta Contábil (8 rows)"});
    EXPECT_EQ(dialogs.LastCaptions(),
              (std::vector<std::string>{"Cód. Reduzido", "Código", "Nome"}));
    // The same list for every kind: analytic accounts with a commercial type, by code.
    EXPECT_EQ(Column(dialogs.LastRows(), 1),
              (std::vector<std::string>{"1.1.1.02.0001", "1.1.1.02.0002", "1.1.2.01.0001",
                                        "1.1.2.01.0002", "2.1.1.01.0001", "2.1.1.01.0002",
                                        "2.1.1.02.0001", entrytest::kLongAccount}));
    EXPECT_EQ(FieldOf(k.index, "CDCONTCTBL").AsString(), k.account);
    EXPECT_EQ(FieldOf(k.index, "NMCONTCTBL").AsString(), k.accountName);

    LookUp(entrytest::kColOwner, k.ownerRow);
    EXPECT_EQ(dialogs.TakeLog(),
              std::vector<std::string>{std::string("pick: ") + kOwnerTitles[k.index] + " (" +
                                       std::to_string(kOwnerRows[k.index]) + " rows)"});
    EXPECT_EQ(FieldOf(k.index, "CDSALDCOME").AsString(), k.owner);
    EXPECT_EQ(FieldOf(k.index, "NMRAZAOSOCIAL").AsString(), k.ownerName);
    EXPECT_TRUE(FieldOf(k.index, "NRINSJUR").IsNull()) << "the registration is not copied";
    EXPECT_EQ(SetOf(k.index).State(), platform::DataSetState::Insert);

    // Dismissed lists leave the row as it was.
    LookUp(entrytest::kColAccount, std::nullopt);
    LookUp(entrytest::kColOwner, std::nullopt);
    EXPECT_EQ(FieldOf(k.index, "CDCONTCTBL").AsString(), k.account);
    EXPECT_EQ(FieldOf(k.index, "NMCONTCTBL").AsString(), k.accountName);
    EXPECT_EQ(FieldOf(k.index, "CDSALDCOME").AsString(), k.owner);
    EXPECT_EQ(FieldOf(k.index, "NMRAZAOSOCIAL").AsString(), k.ownerName);
    EXPECT_TRUE(dialogs.Errors().empty());
}

INSTANTIATE_TEST_SUITE_P(Kinds, GridLookupKindTest, ::testing::Values(0, 1, 2),
                         entrytest::KindName);

TEST_F(GridLookupTest, ARowInEditStateGetsNoLookUp) {
    OpenScreen(1);
    auto& s = S();
    InsertRow();
    auto& set = s.cdsSaldClie;
    // Move from the untouched new row to an existing one and change it.
    s.dbgLancSaldCome->UserSelectCell(1, entrytest::kColMonth);
    ASSERT_EQ(set.State(), platform::DataSetState::Browse);
    platform::Application::Instance().RunEvent([&] { set.Edit(); });
    ASSERT_EQ(s.dtsPadrao.State(), platform::DataSetState::Edit);
    const std::string account = s.cdsSaldClieCDCONTCTBL->AsString();
    const std::string owner = s.cdsSaldClieCDSALDCOME->AsString();
    const int row = set.VisibleRowIndex();

    // A pick list would fail the test: none may open.
    for (int column : {entrytest::kColAccount, entrytest::kColOwner}) {
        s.dbgLancSaldCome->UserSelectCell(row, column);
        s.dbgLancSaldCome->UserEditButtonClick();
    }
    EXPECT_TRUE(dialogs.Log().empty());
    EXPECT_EQ(s.cdsSaldClieCDCONTCTBL->AsString(), account);
    EXPECT_EQ(s.cdsSaldClieCDSALDCOME->AsString(), owner);
    EXPECT_EQ(set.State(), platform::DataSetState::Edit);
}

TEST_F(GridLookupTest, AnAccountCodeLongerThanTheRowsFieldIsRefusedAndNothingIsWritten) {
    const auto& k = kKinds[0];
    OpenScreen(0);
    auto& s = S();
    InsertRow();
    const std::string message = std::string("A Conta Contábil ") + entrytest::kLongAccount +
                                " tem código com mais de 16 caracteres e não pode ser usada no "
                                "saldo comercial. Escolha outra conta.";

    dialogs.ExpectError(message);
    LookUp(entrytest::kColAccount, entrytest::kLongAccountRow);
    EXPECT_TRUE(s.cdsSaldFornCDCONTCTBL->IsNull());
    EXPECT_TRUE(s.cdsSaldFornNMCONTCTBL->IsNull());
    EXPECT_EQ(s.cdsSaldForn.State(), platform::DataSetState::Insert);

    // After a good pick a refused one keeps the good account, code and name together.
    LookUp(entrytest::kColAccount, k.accountRow);
    dialogs.ExpectError(message);
    LookUp(entrytest::kColAccount, entrytest::kLongAccountRow);
    EXPECT_EQ(s.cdsSaldFornCDCONTCTBL->AsString(), k.account);
    EXPECT_EQ(s.cdsSaldFornNMCONTCTBL->AsString(), k.accountName);
    EXPECT_EQ(s.pgcPadrao->ActivePage(), s.tshFormulario);
}

// The screen end to end on Firebird: the module reads its look-ups with the Firebird texts from
// the throw-away Firebird server's database and the real saldo-server stores there what the
// user confirms. Skipped unless SALDO_TEST_FB names that server.
#include <gtest/gtest.h>

#include "db/Connection.h"
#include "tests/screen/EntryFixture.h"

using entrytest::EntryFixture;
using entrytest::kKinds;

namespace {

class FirebirdScreenTest : public EntryFixture, public ::testing::WithParamInterface<int> {
  protected:
    std::string Backend() const override { return "firebird"; }

    // The stored balance of the case in March 2024, columns joined by "|", or "".
    std::string Stored(const entrytest::KindCase& k) const {
        const auto connection = db::Connection::Open(Server()->DatabaseURL());
        const auto rows = connection->Select(
            "SELECT CDEMPRESA, IDSALDCOME, CAST(DTIMPSALDO AS CHAR(10)) AS D, CDCONTCTBL,"
            " CDSALDCOME, VRIMPSALDO, TIPSALDO FROM SALDCOME WHERE CDEMPRESA = '01' AND"
            " IDSALDCOME = :K AND DTIMPSALDO = '2024-03-31' AND CDCONTCTBL = :A AND"
            " CDSALDCOME = :O",
            {{"K", k.code}, {"A", k.account}, {"O", k.owner}});
        std::string out;
        for (const auto& row : rows.rows) {
            for (const auto& value : row) out += value.value_or("<null>") + "|";
        }
        return out;
    }
};

const std::size_t kOwnerRows[] = {9, 9, 6};
const char* const kOwnerTitles[] = {"Fornecedor", "Cliente", "Banco"};

}  // namespace

// The lists are those of the other databases (every current account in the bank list, whose
// code parameter is null), and a confirmed row reaches the database through the server.
TEST_P(FirebirdScreenTest, LookUpsListEveryRowAndAConfirmedBalanceIsStored) {
    const auto& k = kKinds[static_cast<std::size_t>(GetParam())];
    OpenScreen(k.index);
    InsertRow();
    TypeMonth("03/2024");
    LookUp(entrytest::kColAccount, k.accountRow);
    EXPECT_EQ(dialogs.TakeLog(), std::vector<std::string>{"pick: Conta Contábil (8 rows)"});
    LookUp(entrytest::kColOwner, k.ownerRow);
    EXPECT_EQ(dialogs.TakeLog(),
              std::vector<std::string>{std::string("pick: ") + kOwnerTitles[k.index] + " (" +
                                       std::to_string(kOwnerRows[k.index]) + " rows)"});
    EXPECT_EQ(FieldOf(k.index, "CDSALDCOME").AsString(), k.owner);
    EXPECT_EQ(FieldOf(k.index, "NMRAZAOSOCIAL").AsString(), k.ownerName);
    TypeValue(k.valueText);
    S().sbtConfirmar->Click();
    EXPECT_EQ(dialogs.TakeLog(),
              (std::vector<std::string>{"busy 6", "busy stop", "busy 1", "busy stop"}));
    EXPECT_EQ(SetOf(k.index).ChangeCount(), 0);
    EXPECT_EQ(Stored(k), std::string("01|") + k.code + "|2024-03-31|" + k.account + "|" + k.owner +
                             "|" + std::to_string(k.cents) + "|S|");
}

INSTANTIATE_TEST_SUITE_P(Kinds, FirebirdScreenTest, ::testing::Values(0, 1, 2),
                         entrytest::KindName);

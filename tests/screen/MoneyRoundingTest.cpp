// A value typed on the half-cent boundary is shown, sent and stored as the same cents: typed in
// the real screen's entry grid, confirmed, and read back from the server's SQLite file.
#include <gtest/gtest.h>

#include "tests/screen/EntryFixture.h"

using entrytest::EntryFixture;
using entrytest::kColValue;
using entrytest::kKinds;

namespace {

struct HalfCent {
    int kind;
    const char* typed;
    const char* typing;  // the cell while the row is entered
    const char* saved;   // the value's text in the data sheet afterwards
    double value;
    long long cents;
};

void PrintTo(const HalfCent& c, std::ostream* os) {
    *os << c.typed;
}

class MoneyRoundingTest : public EntryFixture, public ::testing::WithParamInterface<HalfCent> {};

TEST_P(MoneyRoundingTest, WhatIsTypedIsShownSentAndStoredAlike) {
    const HalfCent& c = GetParam();
    const auto& k = kKinds[static_cast<std::size_t>(c.kind)];
    OpenScreen(k.index);
    auto& s = S();
    InsertRow();
    TypeMonth("03/2024");
    LookUp(entrytest::kColAccount, k.accountRow);
    LookUp(entrytest::kColOwner, k.ownerRow);
    TypeValue(c.typed);
    auto& value = FieldOf(c.kind, "VRIMPSALDO");
    EXPECT_EQ(value.AsFloat(), c.value);
    EXPECT_EQ(s.dbgLancSaldCome->CellText(0, kColValue), c.typing);
    dialogs.TakeLog();
    s.sbtConfirmar->Click();
    EXPECT_EQ(SetOf(c.kind).ChangeCount(), 0) << "not saved";
    EXPECT_EQ(StoredRow(k), std::string("01|") + k.code + "|2024-03-31|" + k.account + "|" +
                                k.owner + "|" + std::to_string(c.cents) + "|S\n");
    auto& set = SetOf(c.kind);
    ASSERT_GE(FindRow(set, platform::EncodeDate(2024, 3, 31), k.account, k.owner), 0);
    EXPECT_EQ(value.DisplayText(), c.saved);
    EXPECT_EQ(value.AsFloat(), c.value);
}

INSTANTIATE_TEST_SUITE_P(HalfCents, MoneyRoundingTest,
                         ::testing::Values(HalfCent{0, "1,005", "1,01", "1,01 CR", 1.01, 101},
                                           HalfCent{0, "0,285", "0,29", "0,29 CR", 0.29, 29},
                                           HalfCent{0, "2,675", "2,68", "2,68 CR", 2.68, 268},
                                           HalfCent{0, "1,0049", "1,00", "1,00 CR", 1.0, 100},
                                           HalfCent{1, "-1,005", "1,01 DB", "1,01 DB", -1.01, -101},
                                           HalfCent{1, "-0,285", "0,29 DB", "0,29 DB", -0.29, -29},
                                           HalfCent{2, "-2,675", "2,68 DB", "2,68 DB", -2.68,
                                                    -268}));

}  // namespace

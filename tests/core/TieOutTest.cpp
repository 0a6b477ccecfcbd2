// The tie-out's status rule on both signs, its texts as the screen shows amounts, the CSV a
// spreadsheet reads back, and the wire form refusing what it does not expect.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <limits>

#include "core/Error.h"
#include "core/PtBrNumber.h"
#include "core/TieOut.h"

namespace {

using core::TieOutStatus;

TEST(TieOutTest, BalanceTextsUseTheScreensSeparatorsAndMarks) {
    EXPECT_EQ(core::CentsText(123450), "1.234,50");
    EXPECT_EQ(core::CentsText(-7), "-0,07");
    EXPECT_EQ(core::CentsText(0), "0,00");
    EXPECT_EQ(core::CentsText(99999999999999999), "999.999.999.999.999,99");
    EXPECT_EQ(core::CentsText(std::numeric_limits<std::int64_t>::min()),
              "-92.233.720.368.547.758,08");
    EXPECT_EQ(core::BalanceText(123450), "1.234,50 CR");
    EXPECT_EQ(core::BalanceText(-123450), "1.234,50 DB");
    EXPECT_EQ(core::BalanceText(0), "0,00 CR");
}

TEST(TieOutTest, StatusFollowsTheLedgersSign) {
    // Credit ledger.
    EXPECT_EQ(core::TieOutStatusOf(1000, 1000), TieOutStatus::Within);
    EXPECT_EQ(core::TieOutStatusOf(400, 1000), TieOutStatus::Short);
    EXPECT_EQ(core::TieOutStatusOf(0, 1000), TieOutStatus::Short);
    EXPECT_EQ(core::TieOutStatusOf(1001, 1000), TieOutStatus::Exceeds);
    EXPECT_EQ(core::TieOutStatusOf(-1, 1000), TieOutStatus::Exceeds);
    // Debit ledger.
    EXPECT_EQ(core::TieOutStatusOf(-1000, -1000), TieOutStatus::Within);
    EXPECT_EQ(core::TieOutStatusOf(-400, -1000), TieOutStatus::Short);
    EXPECT_EQ(core::TieOutStatusOf(-1001, -1000), TieOutStatus::Exceeds);
    EXPECT_EQ(core::TieOutStatusOf(1, -1000), TieOutStatus::Exceeds);
    // No ledger balance: anything implanted is too much.
    EXPECT_EQ(core::TieOutStatusOf(0, 0), TieOutStatus::Within);
    EXPECT_EQ(core::TieOutStatusOf(5, 0), TieOutStatus::Exceeds);
    EXPECT_EQ(core::TieOutStatusOf(-5, 0), TieOutStatus::Exceeds);
}

core::TieOut Sample() {
    core::TieOut t;
    t.company = "01";
    t.kind = core::BalanceKind::Clients;
    t.lines.push_back(
        {"1.1.2.01.0001", "Clientes; \"Nacionais\"", "2024-01-31", -50000, -123450, true});
    t.lines.push_back({"1.1.2.01.0002", "=SOMA(A1)", "2024-06-30", 10, 0, false});
    return t;
}

TEST(TieOutTest, CsvQuotesSeparatorsAndDefusesFormulas) {
    const std::string csv = core::TieOutCsv(Sample());
    EXPECT_EQ(csv,
              "Conta Contábil;Nome;Mês;Implantado;Contábil;Diferença;Situação\r\n"
              "1.1.2.01.0001;\"Clientes; \"\"Nacionais\"\"\";01/2024;-500,00;-1.234,50;-734,50;"
              "Abaixo\r\n"
              "1.1.2.01.0002;'=SOMA(A1);06/2024;0,10;;-0,10;Excede\r\n"
              "Total;;;-499,90;-1.234,50;-734,60;0 conferem, 1 excedem, 1 abaixo\r\n");
}

TEST(TieOutTest, TableShowsAmountsWithMarksAndTotals) {
    const std::string table = core::TieOutTable(Sample());
    EXPECT_NE(table.find("500,00 DB"), std::string::npos) << table;
    EXPECT_NE(table.find("sem saldo"), std::string::npos) << table;
    EXPECT_NE(table.find("Total"), std::string::npos) << table;
    EXPECT_NE(table.find("499,90 DB"), std::string::npos) << table;
}

TEST(TieOutTest, WireFormRoundTripsAndRefusesOtherShapes) {
    const core::TieOut back = core::TieOutFromJson(core::TieOutToJson(Sample()));
    ASSERT_EQ(back.lines.size(), 2u);
    EXPECT_EQ(back.kind, core::BalanceKind::Clients);
    EXPECT_EQ(back.lines[0].ledger, -123450);
    EXPECT_FALSE(back.lines[1].hasLedger);
    EXPECT_EQ(back.lines[0].accountName, "Clientes; \"Nacionais\"");

    using nlohmann::json;
    const json good = core::TieOutToJson(Sample());
    for (const json& bad : {json::array(), json{{"empresa", "01"}, {"tipo", ""}},
                            json{{"empresa", "01"}, {"tipo", "X"}, {"linhas", json::array()}},
                            json{{"empresa", "01"}, {"tipo", ""}, {"linhas", {{1, 2, 3}}}},
                            json{{"empresa", "01"},
                                 {"tipo", ""},
                                 {"linhas", {{"a", "b", "2024-01-31", 1.5, 0, true}}}},
                            json{{"empresa", "01"},
                                 {"tipo", ""},
                                 {"linhas", {{std::string(21, 'a'), "b", "m", 1, 0, true}}}}}) {
        EXPECT_THROW(core::TieOutFromJson(bad), core::Error) << bad;
    }
    EXPECT_NO_THROW(core::TieOutFromJson(good));
}

}  // namespace

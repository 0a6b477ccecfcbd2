// The implanted totals per company, account and month: kept right by the triggers through every
// change plain SQL makes to the balances, filled when a database lacks them, and checked and
// rewritten by `saldo-server totals`.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "db/Schema.h"
#include "server/BalanceStore.h"
#include "server/TotalsCheck.h"
#include "support/RunCommand.h"
#include "support/TestDatabase.h"

namespace {

class ImplantedTotalsTest : public testsupport::PopulatedDatabaseTest {
  protected:
    // The kept total of company 01's group, and the same group summed afresh.
    std::pair<std::int64_t, std::int64_t> KeptAndSummed(const std::string& account,
                                                        const std::string& month) {
        const db::Params group = {{"company", "01"}, {"account", account}, {"month", month}};
        std::int64_t kept = -1, summed = -1;
        const auto read = [&](const std::string& sql, std::int64_t& into) {
            connection_->ReadRows(sql, group, {db::ColumnType::Integer},
                                  [&](const db::RowView& row) { into = row.Integer(0); });
        };
        read(server::kImplantedTotalSql, kept);
        read(
            "SELECT COALESCE(CAST(SUM(VRIMPSALDO) AS BIGINT), 0) FROM SALDCOME"
            " WHERE CDEMPRESA = :company AND CDCONTCTBL = :account AND DTIMPSALDO = :month"
            " AND TIPSALDO = 'S'",
            summed);
        return {kept, summed};
    }
};

TEST_P(ImplantedTotalsTest, TriggersKeepEveryTotalThroughEveryChange) {
    const std::string insert =
        "INSERT INTO SALDCOME (CDEMPRESA, IDSALDCOME, DTIMPSALDO, CDCONTCTBL, CDSALDCOME,"
        " VRIMPSALDO, TIPSALDO) VALUES ";
    const std::string a = "'2.1.1.01.0001'", b = "'2.1.1.01.0002'";
    const std::string m1 = "'2030-01-31'", m2 = "'2030-02-28'";
    const std::string update = "UPDATE SALDCOME SET ";
    const std::string owner = " WHERE CDEMPRESA = '01' AND IDSALDCOME = 'F' AND CDSALDCOME = ";
    const std::vector<std::string> steps = {
        insert + "('01', 'F', " + m1 + ", " + a + ", 'T1', 100000, 'S')",
        insert + "('01', 'F', " + m1 + ", " + a + ", 'T2', -2550, 'S')",
        insert + "('01', 'C', " + m1 + ", " + a + ", 'T3', 999, 'N')",
        insert + "('02', 'F', " + m1 + ", " + a + ", 'T1', 7, 'S')",
        update + "VRIMPSALDO = 70000" + owner + "'T1'",
        update + "TIPSALDO = 'N'" + owner + "'T2'",
        "UPDATE SALDCOME SET TIPSALDO = 'S' WHERE CDSALDCOME = 'T3'",
        update + "DTIMPSALDO = " + m2 + owner + "'T1'",
        "UPDATE SALDCOME SET CDCONTCTBL = " + b + ", VRIMPSALDO = 5 WHERE CDSALDCOME = 'T3'",
        update + "CDEMPRESA = '02'" + owner + "'T2'",
        "DELETE FROM SALDCOME WHERE CDSALDCOME = 'T1' AND CDEMPRESA = '02'",
        "UPDATE SALDCOME SET VRIMPSALDO = VRIMPSALDO + 1, TIPSALDO = 'S' WHERE CDEMPRESA = '01'",
        "DELETE FROM SALDCOME WHERE CDSALDCOME IN ('T1', 'T3')",
        "DELETE FROM SALDCOME WHERE CDEMPRESA = '01'",
    };
    for (const std::string& step : steps) {
        connection_->Execute(step);
        EXPECT_TRUE(server::CompareTotals(*connection_).empty()) << step;
        for (const char* month : {"2030-01-31", "2030-02-28"}) {
            for (const char* account : {"2.1.1.01.0001", "2.1.1.01.0002"}) {
                const auto [kept, summed] = KeptAndSummed(account, month);
                EXPECT_EQ(kept, summed) << step << " / " << account << " " << month;
            }
        }
    }
}

// A database made before the totals (no triggers, no totals) gets both when it is opened again.
TEST_P(ImplantedTotalsTest, ADatabaseWithoutTheTriggersGetsThemAndItsTotals) {
    const std::string backend = GetParam();
    if (backend == "sqlite") {
        connection_->Execute("DROP TRIGGER SALDCOME_TOTAL_U");
    } else {
        connection_->Execute("DROP TRIGGER SALDCOME_TOTAL" +
                             std::string(backend == "postgresql" ? " ON SALDCOME" : ""));
    }
    connection_->Execute("DELETE FROM SALDTOTA");
    ASSERT_FALSE(server::CompareTotals(*connection_).empty());
    db::CreateSchema(*connection_);
    EXPECT_TRUE(server::CompareTotals(*connection_).empty());
    connection_->Execute("UPDATE SALDCOME SET VRIMPSALDO = VRIMPSALDO + 3");
    EXPECT_TRUE(server::CompareTotals(*connection_).empty());
}

INSTANTIATE_TEST_SUITE_P(Backends, ImplantedTotalsTest, testsupport::Backends(),
                         testsupport::BackendName);

TEST(TotalsCommandTest, ReportsNoneAfterAnImportThenFindsAndFixesAPlantedOne) {
    testsupport::TestDatabase database("sqlite");
    database.Populate();
    const std::string db = " --db '" + database.Url() + "'";
    const auto run = [&](const std::string& arguments) {
        return testsupport::RunCommand(std::string(SALDO_SERVER_PATH) + " " + arguments + db +
                                       " 2>&1");
    };
    const std::string file = database.Url().substr(7) + ".csv";
    std::ofstream(file) << "Mês;Conta;Código;Valor\n01/2025;2.1.1.01.0001;000001;1.234,50\n";
    const auto imported = run("import --company 01 --kind F --file '" + file + "'");
    ASSERT_EQ(imported.status, 0) << imported.output;

    auto checked = run("totals");
    EXPECT_EQ(checked.status, 0) << checked.output;
    EXPECT_EQ(checked.output, "nenhum total diferente dos saldos implantados\n");

    auto connection = db::Connection::Open(database.Url());
    std::int64_t summed = 0;
    connection->ReadRows(server::kImplantedTotalSql,
                         {{"company", "01"}, {"account", "2.1.1.01.0001"}, {"month", "2025-01-31"}},
                         {db::ColumnType::Integer},
                         [&](const db::RowView& row) { summed = row.Integer(0); });
    connection->Execute(
        "UPDATE SALDTOTA SET VRIMPTOTAL = VRIMPTOTAL + 1 WHERE CDEMPRESA = '01'"
        " AND CDCONTCTBL = '2.1.1.01.0001' AND DTIMPSALDO = '2025-01-31'");
    const std::string difference = "empresa 01, conta 2.1.1.01.0001, mês 01/2025: gravado " +
                                   std::to_string(summed + 1) + ", calculado " +
                                   std::to_string(summed) + " (centavos)\n";
    checked = run("totals");
    EXPECT_EQ(checked.status, 1);
    EXPECT_EQ(checked.output, difference + "1 total diferente dos saldos implantados\n");

    const auto fixed = run("totals --fix");
    EXPECT_EQ(fixed.status, 1);
    EXPECT_EQ(fixed.output,
              difference + "1 total diferente dos saldos implantados; totais regravados\n");
    checked = run("totals");
    EXPECT_EQ(checked.status, 0) << checked.output;
}

}  // namespace

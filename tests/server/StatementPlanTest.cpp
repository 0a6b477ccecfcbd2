// The plans of the statements a balance check and a one-row save run, as the server runs them:
// none scans a table, and none finds a balance by the company alone, so their cost does not grow
// with the company's size. Checked on SQLite (as the server runs it, without statistics) and
// on PostgreSQL (with statistics on a few thousand balances).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/Schema.h"
#include "server/AuditTrail.h"
#include "server/BalanceStore.h"
#include "server/RequestKeys.h"
#include "support/TestDatabase.h"

namespace {

struct Planned {
    std::string name;
    std::string sql;
    db::Params params;
};

std::vector<Planned> CheckAndSaveStatements(const db::Connection& connection) {
    const db::DialectSql& sql = connection.Sql();
    const db::Params key = {{"company", "99"},
                            {"kind", "F"},
                            {"month", "2023-01-31"},
                            {"account", "2.1.1.01.0001"},
                            {"owner", "G000001"}};
    std::vector<Planned> statements = {
        {"LockCompany", server::LockCompanySql(sql), {{"company", "99"}}},
        {"FindRequestKey", server::kFindRequestKeySql, {{"key", "chave-1"}}},
        {"FindBalance", server::kFindBalanceSql, key},
        {"DeleteBalance", server::kDeleteBalanceSql, key},
        {"LedgerRoom",
         server::LedgerRoomSql(sql),
         {{"company", "99"}, {"account", "2.1.1.01.0001"}, {"month", "2023-01-31"}}},
    };
    for (const auto kind :
         {core::BalanceKind::Suppliers, core::BalanceKind::Clients, core::BalanceKind::Banks}) {
        statements.push_back({"NewKey " + std::string(core::KindInfo(kind).code),
                              server::NewKeySql(kind, sql), key});
    }
    // On PostgreSQL and Firebird the number comes from a sequence, without a table.
    if (connection.GetDialect() == db::Dialect::Sqlite)
        statements.push_back({"NextSequence", sql.NextValue(db::kAuditSequence), {}});
    return statements;
}

class StatementPlanTest : public testsupport::PopulatedDatabaseTest {
  protected:
    void SetUp() override {
        if (GetParam() == "firebird")
            GTEST_SKIP() << "Firebird's plans are not readable through the database layer";
        PopulatedDatabaseTest::SetUp();
        if (IsSkipped()) return;
        db::LoadScaleCompany(*connection_, "99", "Empresa de Teste", 20000);
    }

    // The plan's lines, one per node (SQLite) or per line of text (PostgreSQL).
    std::vector<std::string> Plan(const Planned& statement) {
        std::vector<std::string> lines;
        const bool sqlite = connection_->GetDialect() == db::Dialect::Sqlite;
        const std::vector<db::ColumnType> columns =
            sqlite ? std::vector<db::ColumnType>{db::ColumnType::Integer, db::ColumnType::Integer,
                                                 db::ColumnType::Integer, db::ColumnType::Text}
                   : std::vector<db::ColumnType>{db::ColumnType::Text};
        connection_->ReadRows(
            (sqlite ? "EXPLAIN QUERY PLAN " : "EXPLAIN ") + statement.sql, statement.params,
            columns, [&](const db::RowView& row) { lines.emplace_back(row.Text(sqlite ? 3 : 0)); });
        return lines;
    }

    static std::string Joined(const std::vector<std::string>& lines) {
        std::string text;
        for (const std::string& line : lines) text += line + "\n";
        return text;
    }
};

TEST_P(StatementPlanTest, CheckAndSaveSearchIndexesOnly) {
    const db::Dialect dialect = connection_->GetDialect();
    if (dialect == db::Dialect::Sqlite) {
        for (const Planned& statement : CheckAndSaveStatements(*connection_)) {
            const auto lines = Plan(statement);
            ASSERT_FALSE(lines.empty()) << statement.name;
            for (const std::string& line : lines) {
                const bool scan = line.rfind("SCAN ", 0) == 0 && line != "SCAN CONSTANT ROW";
                EXPECT_FALSE(scan) << statement.name << " scans:\n" << Joined(lines);
                EXPECT_EQ(line.find("SALDCOME USING PRIMARY KEY (CDEMPRESA=?)"), std::string::npos)
                    << statement.name << " reads the whole company:\n"
                    << Joined(lines);
            }
        }
        return;
    }
    // PostgreSQL: with statistics, the balances are searched through an index by more than the
    // company; and no statement needs a sequential scan when one is priced out.
    connection_->Execute("ANALYZE");
    const auto check = [&](bool seqScanOff) {
        for (const Planned& statement : CheckAndSaveStatements(*connection_)) {
            const auto lines = Plan(statement);
            const std::string text = Joined(lines);
            ASSERT_FALSE(lines.empty()) << statement.name;
            EXPECT_EQ(text.find(seqScanOff ? "Seq Scan" : "Seq Scan on saldcome"),
                      std::string::npos)
                << statement.name << ":\n"
                << text;
            for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
                if (lines[i].find("Scan") == std::string::npos ||
                    lines[i].find(" on saldcome") == std::string::npos)
                    continue;
                EXPECT_NE(lines[i + 1].find("cdcontctbl"), std::string::npos)
                    << statement.name << " searches the balances by the company alone:\n"
                    << text;
            }
        }
    };
    check(false);
    connection_->Execute("SET enable_seqscan = off");
    check(true);
}

INSTANTIATE_TEST_SUITE_P(Backends, StatementPlanTest, testsupport::Backends(),
                         testsupport::BackendName);

}  // namespace

// `saldo-server audit` on a database with a few accepted and refused saves: the three formats
// carry the same lines, the filters narrow them, and bad options are refused with a reason.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <sstream>

#include "db/ConnectionPool.h"
#include "server/SaldoService.h"
#include "support/RunCommand.h"
#include "support/TestDatabase.h"

namespace {

using nlohmann::json;

// The command's standard output (its standard error too when `withErrors`) and exit status.
std::pair<std::string, int> RunAudit(const std::string& arguments, bool withErrors = false) {
    const std::string command = std::string(SALDO_SERVER_PATH) + " audit " + arguments +
                                (withErrors ? " 2>&1" : " 2>/dev/null");
    const testsupport::CommandOutcome run = testsupport::RunCommand(command);
    return {run.output, run.status};
}

class AuditCommandTest : public testing::Test {
  protected:
    void SetUp() override {
        database_.Populate();
        db::ConnectionPool pool(database_.Url(), 1);
        server::SaldoService service(pool);
        const json fields =
            json::parse(service.GetSaldComer("01", core::BalanceKind::Suppliers))["fields"];
        const auto row = [](const std::string& company, double value) {
            return json::array({"2030-01-31", "2.1.1.01.0002", "x", "x", value, "Não", company, "F",
                                "000001", nullptr, nullptr});
        };
        const auto save = [&](const std::string& company, const json& change,
                              const std::string& user) {
            const json packet = {{"fields", fields}, {"changes", json::array({change})}};
            service.SetSaldComer({user, "10.0.0.5"}, company, core::BalanceKind::Suppliers,
                                 packet.dump());
        };
        save("01", {{"kind", "inserted"}, {"new", row("01", 1234.5)}}, "maria");
        save("01", {{"kind", "modified"}, {"old", row("01", 1234.5)}, {"new", row("01", -0.1)}},
             "josé, \"o revisor\"");
        EXPECT_ANY_THROW(save("01", {{"kind", "inserted"}, {"new", row("01", 1)}}, "ana"));
        save("02", {{"kind", "inserted"}, {"new", row("02", 7)}}, "");
    }

    testsupport::TestDatabase database_{"sqlite"};
};

TEST_F(AuditCommandTest, TheThreeFormatsCarryTheSameLines) {
    const std::string db = "--db '" + database_.Url() + "'";

    const auto [jsonText, jsonStatus] = RunAudit(db + " --format json");
    ASSERT_EQ(jsonStatus, 0);
    const json lines = json::parse(jsonText);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0]["sequencia"], 1);
    EXPECT_EQ(lines[0]["alteracao"], "inclusão");
    EXPECT_EQ(lines[0]["valor_antes"], nullptr);
    EXPECT_EQ(lines[0]["valor_depois"], 1234.5);
    EXPECT_EQ(lines[1]["usuario"], "josé, \"o revisor\"");
    EXPECT_EQ(lines[1]["endereco"], "10.0.0.5");
    EXPECT_EQ(lines[1]["valor_antes"], 1234.5);
    EXPECT_EQ(lines[1]["valor_depois"], -0.1);
    EXPECT_EQ(lines[2]["empresa"], "02");
    EXPECT_EQ(lines[2]["usuario"], nullptr);
    EXPECT_EQ(lines[2]["momento_utc"].get<std::string>().size(), 20u);

    const auto [csv, csvStatus] = RunAudit(db + " --format csv --company 01");
    ASSERT_EQ(csvStatus, 0);
    std::istringstream csvLines(csv);
    std::string header, first, second, extra;
    std::getline(csvLines, header);
    std::getline(csvLines, first);
    std::getline(csvLines, second);
    EXPECT_FALSE(std::getline(csvLines, extra));
    EXPECT_EQ(header.substr(0, 25), "sequencia,item,momento_ut");
    EXPECT_NE(first.find(",maria,,inclusão,,,,,,2030-01-31,2.1.1.01.0002,000001,1234.50,N"),
              std::string::npos)
        << first;
    EXPECT_NE(second.find(",\"josé, \"\"o revisor\"\"\","), std::string::npos) << second;
    EXPECT_NE(second.find(",1234.50,N,2030-01-31,2.1.1.01.0002,000001,-0.10,N"), std::string::npos)
        << second;

    const auto [table, tableStatus] = RunAudit(db + " --company 02");
    ASSERT_EQ(tableStatus, 0);
    EXPECT_NE(table.find("inclusão"), std::string::npos);
    EXPECT_NE(table.find("7.00 N"), std::string::npos);
    EXPECT_EQ(table.find("1234.50"), std::string::npos);

    EXPECT_EQ(json::parse(RunAudit(db + " --format json --since 2999-01-01").first), json::array());
    EXPECT_EQ(json::parse(RunAudit(db + " --format json --since 2000-01-01").first).size(), 3u);
}

TEST_F(AuditCommandTest, BadOptionsAreRefusedWithAReason) {
    const std::string db = "--db '" + database_.Url() + "'";
    const auto [since, sinceStatus] = RunAudit(db + " --since 2024-02-30", true);
    EXPECT_NE(sinceStatus, 0);
    EXPECT_NE(since.find("AAAA-MM-DD"), std::string::npos) << since;
    const auto [format, formatStatus] = RunAudit(db + " --format xml", true);
    EXPECT_NE(formatStatus, 0);
    const auto [missing, missingStatus] = RunAudit("--db sqlite:/nonexistent/dir/x.db", true);
    EXPECT_NE(missingStatus, 0);
    EXPECT_NE(missing.find("erro"), std::string::npos) << missing;
}

}  // namespace

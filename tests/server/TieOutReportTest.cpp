// The tie-out on each backend: which account-months it lists for a kind and for every kind,
// the totals it holds, and the method's answers over the dispatcher.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "db/ConnectionPool.h"
#include "rpc/Dispatcher.h"
#include "rpc/RpcError.h"
#include "server/Methods.h"
#include "server/SaldoService.h"
#include "server/TieOutReport.h"
#include "support/Identified.h"
#include "support/TestDatabase.h"

namespace {

using nlohmann::json;

class TieOutReportTest : public testsupport::PopulatedDatabaseTest {
  protected:
    void SetUp() override {
        PopulatedDatabaseTest::SetUp();
        if (IsSkipped()) return;
        db::Connection& c = *connection_;
        c.Execute("INSERT INTO EMPRESA (CDEMPRESA, NMEMPRESA) VALUES ('09', 'Conferência')");
        const auto ledger = [&](const char* account, const char* month, long long cents) {
            c.Execute(
                "INSERT INTO SALDCTBL (CDEMPRESA, CDCONTCTBL, DTSALDO, VRSALDO)"
                " VALUES ('09', :a, :m, :v)",
                {{"a", account}, {"m", month}, {"v", std::to_string(cents)}});
        };
        const auto balance = [&](const char* kind, const char* account, const char* owner,
                                 long long cents, const char* implanted) {
            c.Execute(
                "INSERT INTO SALDCOME (CDEMPRESA, IDSALDCOME, DTIMPSALDO, CDCONTCTBL,"
                " CDSALDCOME, VRIMPSALDO, TIPSALDO) VALUES ('09', :k, '2024-01-31', :a,"
                " :o, :v, :t)",
                {{"k", kind},
                 {"a", account},
                 {"o", owner},
                 {"v", std::to_string(cents)},
                 {"t", implanted}});
        };
        ledger("2.1.1.01.0001", "2024-01-31", 1000);
        ledger("2.1.1.01.0002", "2024-01-31", 500);
        ledger("1.1.2.01.0001", "2024-01-31", -300);
        ledger("2.1.1.02.0001", "2024-03-31", 700);  // a month without balances
        balance("F", "2.1.1.01.0001", "000001", 600, "S");
        balance("F", "2.1.1.01.0001", "000002", 400, "S");
        balance("F", "2.1.1.01.0001", "000003", 999, "N");  // not implanted: not counted
        balance("F", "2.1.1.02.0001", "000001", 50, "S");   // no ledger balance
        balance("C", "1.1.2.01.0001", "C00001", -100, "S");
    }

    core::TieOut Build(std::optional<core::BalanceKind> kind) {
        server::BalanceStore store(*connection_);
        return server::BuildTieOut(store, "09", kind);
    }
};

TEST_P(TieOutReportTest, ListsTheKindsAccountMonthsWithTheirStatus) {
    const core::TieOut t = Build(core::BalanceKind::Suppliers);
    ASSERT_EQ(t.lines.size(), 3u);
    EXPECT_EQ(t.lines[0].account, "2.1.1.01.0001");
    EXPECT_EQ(t.lines[0].accountName, "Fornecedores Nacionais");
    EXPECT_EQ(t.lines[0].month, "2024-01-31");
    EXPECT_EQ(t.lines[0].implanted, 1000);
    EXPECT_EQ(t.lines[0].Status(), core::TieOutStatus::Within);
    // A commercial account of the kind with a ledger balance and nothing implanted.
    EXPECT_EQ(t.lines[1].account, "2.1.1.01.0002");
    EXPECT_EQ(t.lines[1].implanted, 0);
    EXPECT_EQ(t.lines[1].Difference(), 500);
    EXPECT_EQ(t.lines[1].Status(), core::TieOutStatus::Short);
    EXPECT_EQ(t.lines[2].account, "2.1.1.02.0001");
    EXPECT_FALSE(t.lines[2].hasLedger);
    EXPECT_EQ(t.lines[2].Status(), core::TieOutStatus::Exceeds);
    EXPECT_EQ(t.Implanted(), 1050);
    EXPECT_EQ(t.Ledger(), 1500);
    EXPECT_EQ(t.Count(core::TieOutStatus::Short), 1u);

    const core::TieOut all = Build(std::nullopt);
    ASSERT_EQ(all.lines.size(), 4u);
    EXPECT_EQ(all.lines[0].account, "1.1.2.01.0001");
    EXPECT_EQ(all.lines[0].implanted, -100);
    EXPECT_EQ(all.lines[0].ledger, -300);
    EXPECT_EQ(all.lines[0].Status(), core::TieOutStatus::Short);

    EXPECT_TRUE(Build(core::BalanceKind::Banks).lines.empty());
}

TEST_P(TieOutReportTest, MethodAnswersTheReportAndRefusesBadArguments) {
    db::ConnectionPool pool(database_->Url(), 1);
    server::SaldoService service(pool);
    rpc::Dispatcher dispatcher;
    server::Identification identification(pool, nullptr);
    server::RegisterMethods(dispatcher, service, identification, nullptr);
    rpc::Connection origin = testsupport::Identified(database_->Url());
    const auto call = [&](const json& params) {
        return json::parse(
            dispatcher.Handle(json{{"jsonrpc", "2.0"},
                                   {"id", 1},
                                   {"method", "Rdq63500.rdmSaldComer.GetConfContabil"},
                                   {"params", params}}
                                  .dump(),
                              &origin));
    };
    const json reply = call({"09", "F"});
    ASSERT_TRUE(reply.contains("result")) << reply;
    const core::TieOut t = core::TieOutFromJson(reply["result"]);
    EXPECT_EQ(t.lines.size(), 3u);
    EXPECT_EQ(t.kind, core::BalanceKind::Suppliers);
    EXPECT_EQ(core::TieOutFromJson(call({"09", ""})["result"]).lines.size(), 4u);

    EXPECT_EQ(call({"77", "F"})["error"]["message"], "Empresa não cadastrada.");
    EXPECT_EQ(call({"09", "SaldClie"})["error"]["code"], rpc::kInvalidParams);
    EXPECT_EQ(call({"09"})["error"]["code"], rpc::kInvalidParams);
}

INSTANTIATE_TEST_SUITE_P(Backends, TieOutReportTest, testsupport::Backends(),
                         testsupport::BackendName);

}  // namespace

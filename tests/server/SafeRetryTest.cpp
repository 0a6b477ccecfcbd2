// Saves sent with a request key, and the audit trail, through the dispatcher on each backend:
// a repeated key is answered with the first outcome and applies nothing; every accepted packet
// leaves its lines, a refused one none; old three-argument saves still work.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <thread>

#include "db/ConnectionPool.h"
#include "rpc/Dispatcher.h"
#include "rpc/RpcError.h"
#include "server/AuditTrail.h"
#include "server/Methods.h"
#include "server/RequestKeys.h"
#include "server/SaldoService.h"
#include "support/Identified.h"
#include "support/TestDatabase.h"

namespace {

using nlohmann::json;

class SafeRetryTest : public testsupport::PopulatedDatabaseTest {
  protected:
    void SetUp() override {
        PopulatedDatabaseTest::SetUp();
        if (IsSkipped()) return;
        pool_ = std::make_unique<db::ConnectionPool>(database_->Url(), 3);
        service_ = std::make_unique<server::SaldoService>(*pool_);
        identification_ = std::make_unique<server::Identification>(*pool_, nullptr);
        server::RegisterMethods(dispatcher_, *service_, *identification_, nullptr);
        fields_ = Call("GetSaldComer", {"01", ""})["result"]["fields"];
    }

    // The call on a connection identified as `as`.
    json Call(const std::string& method, const json& params, const std::string& as = "maria") {
        const json request = {{"jsonrpc", "2.0"},
                              {"id", 1},
                              {"method", "Rdq63500.rdmSaldComer." + method},
                              {"params", params}};
        rpc::Connection origin = testsupport::Identified(database_->Url(), as);
        return json::parse(dispatcher_.Handle(request.dump(), &origin));
    }
    // The error code of a reply, 0 for a result.
    static int Code(const json& reply) {
        return reply.contains("error") ? reply["error"]["code"].get<int>() : 0;
    }

    static json Row(const std::string& owner, double value, const std::string& date = "2030-01-31",
                    const std::string& company = "01") {
        return json::array(
            {date, "2.1.1.01.0002", "x", "x", value, "Não", company, "F", owner, nullptr, nullptr});
    }
    json Insert(const json& row) {
        return {{"fields", fields_}, {"changes", {{{"kind", "inserted"}, {"new", row}}}}};
    }
    json Modify(const json& old, const json& now) {
        return {{"fields", fields_},
                {"changes", {{{"kind", "modified"}, {"old", old}, {"new", now}}}}};
    }
    json Delete(const json& old) {
        return {{"fields", fields_}, {"changes", {{{"kind", "deleted"}, {"old", old}}}}};
    }
    // A save identified as `as`, with the name an older client sends as its fifth argument.
    json Save(const json& packet, const json& key, const json& user = "maria",
              const std::string& as = "maria") {
        return Call("SetSaldComer", {"01", "", packet, key, user}, as);
    }

    // The stored value of the owner's test row in cents, or -1 when there is none.
    long long Stored(const std::string& owner) {
        const auto rows = connection_
                              ->Select(
                                  "SELECT VRIMPSALDO FROM SALDCOME WHERE CDEMPRESA = '01' AND"
                                  " CDSALDCOME = :O AND CDCONTCTBL = '2.1.1.01.0002' AND"
                                  " DTIMPSALDO = '2030-01-31'",
                                  {{"O", owner}})
                              .rows;
        return rows.empty() ? -1 : std::stoll(*rows.at(0).at(0));
    }
    std::vector<server::AuditRecord> History(const std::string& owner) {
        std::vector<server::AuditRecord> lines;
        server::AuditTrail(*connection_)
            .History("01", core::BalanceKind::Suppliers, "2030-01-31", "2.1.1.01.0002", owner,
                     [&](const server::AuditRecord& r) { lines.push_back(r); });
        return lines;
    }
    std::size_t AuditLines() {
        std::size_t count = 0;
        server::AuditTrail(*connection_).Read({}, [&](const server::AuditRecord&) { ++count; });
        return count;
    }

    std::unique_ptr<db::ConnectionPool> pool_;
    std::unique_ptr<server::SaldoService> service_;
    std::unique_ptr<server::Identification> identification_;
    rpc::Dispatcher dispatcher_;
    json fields_;
};

TEST_P(SafeRetryTest, ARepeatedKeyGetsTheFirstOutcomeAndAppliesNothing) {
    // Stored once, answered twice.
    EXPECT_EQ(Code(Save(Insert(Row("000001", 10.5)), "k-insert")), 0);
    EXPECT_EQ(Code(Save(Insert(Row("000001", 10.5)), "k-insert")), 0);
    EXPECT_EQ(Stored("000001"), 1050);
    EXPECT_EQ(History("000001").size(), 1u);

    // A modification repeated does not meet itself as a conflict.
    EXPECT_EQ(Code(Save(Modify(Row("000001", 10.5), Row("000001", 11)), "k-modify")), 0);
    EXPECT_EQ(Code(Save(Modify(Row("000001", 10.5), Row("000001", 11)), "k-modify")), 0);
    EXPECT_EQ(Stored("000001"), 1100);

    // A refusal is kept as well: once the duplicate is gone, the repeat still says what
    // happened the first time, and applies nothing.
    const json refused = Save(Insert(Row("000001", 99)), "k-duplicate");
    EXPECT_EQ(Code(refused), rpc::kServerError);
    EXPECT_EQ(refused["error"]["message"], "Conta comercial já cadastrada.");
    const json conflict = Save(Modify(Row("000001", 5), Row("000001", 6)), "k-conflict");
    EXPECT_EQ(Code(conflict), rpc::kConflict);
    EXPECT_EQ(Code(Save(Delete(Row("000001", 11)), "k-delete")), 0);
    EXPECT_EQ(Save(Insert(Row("000001", 99)), "k-duplicate"), refused);
    EXPECT_EQ(Save(Modify(Row("000001", 5), Row("000001", 6)), "k-conflict"), conflict);
    EXPECT_EQ(Stored("000001"), -1);
    EXPECT_EQ(AuditLines(), 3u);

    // The same key for another company's save is a caller's mistake, said so.
    const json other =
        Call("SetSaldComer", {"02", "", Insert(Row("000002", 1, "2030-01-31", "02")), "k-insert"});
    EXPECT_EQ(Code(other), rpc::kInvalidParams);
    EXPECT_NE(other["error"]["message"].get<std::string>().find("outra empresa"),
              std::string::npos);
}

TEST_P(SafeRetryTest, AKeyedRefusalUndoesTheChangesBeforeItAndKeepsTheKeyInTheSameCommit) {
    const json packet = {{"fields", fields_},
                         {"changes",
                          {{{"kind", "inserted"}, {"new", Row("000002", 1)}},
                           {{"kind", "inserted"}, {"new", Row("999999", 1)}}}}};
    const json refused = Save(packet, "k-partial");
    EXPECT_EQ(Code(refused), rpc::kServerError);
    EXPECT_EQ(Stored("000002"), -1);
    EXPECT_EQ(AuditLines(), 0u);
    const auto kept = server::RequestKeys(*connection_).Find("k-partial");
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->result, server::SaveOutcome::Result::Refused);
    EXPECT_EQ(kept->message, refused["error"]["message"]);
    EXPECT_EQ(Save(packet, "k-partial"), refused);
}

TEST_P(SafeRetryTest, OldStyleSavesWorkAndBadTrailingArgumentsAreRefused) {
    EXPECT_EQ(Code(Call("SetSaldComer", {"01", "", Insert(Row("000002", 1))})), 0);
    EXPECT_EQ(Code(Call("SetSaldComer", {"01", "", Insert(Row("000003", 1)), nullptr})), 0);
    EXPECT_EQ(Code(Save(Insert(Row("000004", 1)), nullptr, nullptr)), 0);
    EXPECT_EQ(AuditLines(), 3u);
    for (const json& params : {json{"01", "", Insert(Row("000006", 1)), "chave com espaço"},
                               json{"01", "", Insert(Row("000006", 1)), std::string(65, 'k')},
                               json{"01", "", Insert(Row("000006", 1)), ""},
                               json{"01", "", Insert(Row("000006", 1)), 42},
                               json{"01", "", Insert(Row("000006", 1)), "k", std::string(65, 'u')},
                               json{"01", "", Insert(Row("000006", 1)), "k", "u", "extra"}}) {
        const json reply = Call("SetSaldComer", params);
        EXPECT_EQ(Code(reply), rpc::kInvalidParams) << params.dump().substr(0, 80) << reply;
    }
    EXPECT_EQ(Stored("000006"), -1);
}

TEST_P(SafeRetryTest, TheSameKeySentTwiceAtOnceIsAppliedOnce) {
    for (int round = 0; round < 4; ++round) {
        const std::string owner = round % 2 ? "000007" : "000009";
        const json packet = round < 2 ? Insert(Row(owner, 1)) : Delete(Row(owner, 1));
        const std::string key = "k-race-" + std::to_string(round);
        json replies[3];
        std::vector<std::thread> threads;
        for (json& reply : replies) threads.emplace_back([&, key] { reply = Save(packet, key); });
        for (auto& t : threads) t.join();
        for (const json& reply : replies) EXPECT_EQ(Code(reply), 0) << reply;
    }
    EXPECT_EQ(Stored("000007"), -1);
    EXPECT_EQ(History("000007").size(), 2u);
    EXPECT_EQ(History("000009").size(), 2u);
}

// The author is the identified user, whatever name the fifth argument sends.
TEST_P(SafeRetryTest, TheTrailSaysWhoChangedWhatFromWhatToWhat) {
    EXPECT_EQ(Code(Save(Insert(Row("000001", 10)), "a1", "maria")), 0);
    EXPECT_EQ(Code(Save(Modify(Row("000001", 10), Row("000001", -2.5)), "a2", "maria", "joão")), 0);
    EXPECT_NE(Code(Save(Modify(Row("000001", 10), Row("000001", 7)), "a3", "ana")), 0);
    EXPECT_EQ(Code(Save(Delete(Row("000001", -2.5)), nullptr, nullptr)), 0);

    const auto lines = History("000001");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_LT(lines[0].sequence, lines[1].sequence);
    EXPECT_LT(lines[1].sequence, lines[2].sequence);
    EXPECT_EQ(lines[0].change, 'I');
    EXPECT_FALSE(lines[0].before);
    EXPECT_EQ(lines[0].after->cents, 1000);
    EXPECT_EQ(lines[1].origin.user, "joão");
    EXPECT_EQ(lines[1].origin.peer, "192.0.2.7");
    EXPECT_EQ(lines[1].origin.key, "a2");
    EXPECT_EQ(lines[1].before->cents, 1000);
    EXPECT_EQ(lines[1].after->cents, -250);
    EXPECT_FALSE(lines[1].after->implanted);
    EXPECT_EQ(lines[2].change, 'D');
    EXPECT_EQ(lines[2].origin.user, "maria");
    EXPECT_FALSE(lines[2].after);
    EXPECT_EQ(lines[2].origin.time.size(), 20u);
    EXPECT_EQ(lines[2].origin.time.back(), 'Z');

    const json history =
        Call("GetHistSaldComer", {"01", "", "2030-01-31", "2.1.1.01.0002", "000001"})["result"];
    ASSERT_EQ(history["rows"].size(), 3u);
    EXPECT_EQ(history["fields"].size(), 8u);
    EXPECT_EQ(history["rows"][1][1], "joão");
    EXPECT_EQ(history["rows"][1][3], "Alteração");
    EXPECT_EQ(history["rows"][1][4], 10.0);
    EXPECT_EQ(history["rows"][1][6], -2.5);
    EXPECT_EQ(history["rows"][2][6], nullptr);
    EXPECT_EQ(Call("GetHistSaldComer",
                   {"01", "", "2030-01-31", "2.1.1.01.0002", "000002"})["result"]["rows"]
                  .size(),
              0u);
}

TEST_P(SafeRetryTest, KeysAreForgottenAfterTheirTime) {
    server::RequestKeys keys(*connection_);
    const server::SaveOutcome stored{server::SaveOutcome::Result::Stored, "", "01", "F"};
    keys.Store("old", stored, 1000);
    keys.Store("new", stored, 5000);
    keys.Forget(2000);
    EXPECT_FALSE(keys.Find("old"));
    ASSERT_TRUE(keys.Find("new"));
    EXPECT_EQ(keys.Find("new")->company, "01");
}

INSTANTIATE_TEST_SUITE_P(Backends, SafeRetryTest, testsupport::Backends(),
                         testsupport::BackendName);

}  // namespace

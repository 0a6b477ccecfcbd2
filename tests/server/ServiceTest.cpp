// The three methods through the dispatcher, on each backend: packets, the change packet's
// refusals with the database left as it was, the ledger rule, and malformed calls.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <thread>

#include "db/ConnectionPool.h"
#include "rpc/Dispatcher.h"
#include "rpc/RpcError.h"
#include "server/Methods.h"
#include "server/Rules.h"
#include "server/SaldoService.h"
#include "support/Identified.h"
#include "support/TestDatabase.h"

namespace {

using nlohmann::json;

class ServiceTest : public testsupport::PopulatedDatabaseTest {
  protected:
    void SetUp() override {
        PopulatedDatabaseTest::SetUp();
        if (IsSkipped()) return;
        pool_ = std::make_unique<db::ConnectionPool>(database_->Url(), 2);
        service_ = std::make_unique<server::SaldoService>(*pool_);
        identification_ = std::make_unique<server::Identification>(*pool_, nullptr);
        server::RegisterMethods(dispatcher_, *service_, *identification_,
                                [this](const std::string& line) { log_.push_back(line); });
        origin_ = testsupport::Identified(database_->Url());
    }

    json Call(const std::string& method, const json& params) {
        const json request = {{"jsonrpc", "2.0"},
                              {"id", 1},
                              {"method", "Rdq63500.rdmSaldComer." + method},
                              {"params", params}};
        return json::parse(dispatcher_.Handle(request.dump(), &origin_));
    }
    json Result(const std::string& method, const json& params) {
        const json reply = Call(method, params);
        EXPECT_FALSE(reply.contains("error")) << reply;
        return reply.value("result", json());
    }
    // The error message, checking the code.
    std::string Error(const std::string& method, const json& params, int code) {
        const json reply = Call(method, params);
        EXPECT_TRUE(reply.contains("error")) << reply;
        if (!reply.contains("error")) return "";
        EXPECT_EQ(reply["error"]["code"], code) << reply;
        return reply["error"]["message"];
    }

    std::vector<std::vector<std::optional<std::string>>> Balances() {
        return connection_
            ->Select(
                "SELECT CDEMPRESA, IDSALDCOME, CAST(DTIMPSALDO AS CHAR(10)) AS D, CDCONTCTBL,"
                " CDSALDCOME, VRIMPSALDO, TIPSALDO FROM SALDCOME ORDER BY 1, 2, 3, 4, 5")
            .rows;
    }

    long long Ledger(const std::string& company, const std::string& account,
                     const std::string& date) {
        return std::stoll(*connection_
                               ->Select("SELECT VRSALDO FROM SALDCTBL WHERE CDEMPRESA = :C AND "
                                        "CDCONTCTBL = :A AND DTSALDO = :D",
                                        {{"C", company}, {"A", account}, {"D", date}})
                               .rows.at(0)
                               .at(0));
    }
    long long Implanted(const std::string& company, const std::string& account,
                        const std::string& date) {
        return std::stoll(*connection_
                               ->Select("SELECT COALESCE(CAST(SUM(VRIMPSALDO) AS BIGINT), 0) AS T"
                                        " FROM SALDCOME WHERE CDEMPRESA = :C AND CDCONTCTBL = :A"
                                        " AND DTIMPSALDO = :D AND TIPSALDO = 'S'",
                                        {{"C", company}, {"A", account}, {"D", date}})
                               .rows.at(0)
                               .at(0));
    }

    json Fields(const std::string& tag) { return Result("GetSaldComer", {"01", tag})["fields"]; }

    static json SupplierRow(const std::string& date, const std::string& owner, double value,
                            const std::string& company = "01",
                            const std::string& implanted = "Sim") {
        return json::array({date, "2.1.1.01.0002", "Fornecedores de Serviços", "x", value,
                            implanted, company, "F", owner, nullptr, nullptr});
    }
    json Packet(const json& changes) { return {{"fields", Fields("")}, {"changes", changes}}; }

    std::unique_ptr<db::ConnectionPool> pool_;
    std::unique_ptr<server::SaldoService> service_;
    std::unique_ptr<server::Identification> identification_;
    rpc::Connection origin_;
    rpc::Dispatcher dispatcher_;
    std::vector<std::string> log_;
};

TEST_P(ServiceTest, RecordPacketHasTheKindsFieldsAndItsRowsOnly) {
    const json suppliers = Result("GetSaldComer", {"01", ""});
    ASSERT_EQ(suppliers["fields"].size(), 11u);
    EXPECT_EQ(suppliers["fields"][3],
              json::parse(R"({"name":"NMRAZAOSOCIAL","type":"string","size":50})"));
    EXPECT_EQ(suppliers["fields"][0], json::parse(R"({"name":"DTIMPSALDO","type":"datetime"})"));
    EXPECT_EQ(suppliers["fields"][5],
              json::parse(R"({"name":"TIPSALDO","type":"fixedstring","size":3})"));
    EXPECT_EQ(suppliers["fields"][10],
              json::parse(R"({"name":"IDTPIJUR","type":"string","size":1})"));
    const json banks = Result("GetSaldComer", {"02", "SaldBanco"});
    ASSERT_EQ(banks["fields"].size(), 10u);
    EXPECT_EQ(banks["fields"][3]["size"], 30);
    EXPECT_EQ(banks["fields"][9], json::parse(R"({"name":"NRINSJUR","type":"string","size":3})"));
    ASSERT_FALSE(banks["rows"].empty());
    for (const json& row : banks["rows"]) {
        ASSERT_EQ(row.size(), 10u);
        EXPECT_EQ(row[6], "02");
        EXPECT_EQ(row[7], "B");
        EXPECT_TRUE(row[5] == "Sim" || row[5] == "Não");
    }
    bool sawBoth[2] = {false, false};
    std::string previous;
    const json clients = Result("GetSaldComer", {"01", "SaldClie"});
    for (const json& row : clients["rows"]) {
        EXPECT_EQ(row[7], "C");
        EXPECT_LE(row[4].get<double>(), 0.0);  // client balances are debits in the demo
        EXPECT_FALSE(row[3].is_null());        // the client's name is joined in
        sawBoth[row[5] == "Sim" ? 0 : 1] = true;
        EXPECT_LE(previous, row[0].get<std::string>());
        previous = row[0];
    }
    const json suppliersAgain = Result("GetSaldComer", {"01", ""});
    for (const json& row : suppliersAgain["rows"]) {
        sawBoth[row[5] == "Sim" ? 0 : 1] = true;
    }
    EXPECT_TRUE(sawBoth[0] && sawBoth[1]);
    EXPECT_TRUE(Result("GetSaldComer", {"77", ""})["rows"].empty());
    EXPECT_NE(Error("GetSaldComer", {"01", "SaldForn"}, rpc::kInvalidParams).find("SaldForn"),
              std::string::npos);
}

TEST_P(ServiceTest, InsertModifyAndDeleteApplyTogetherExactlyToTheCent) {
    const json inserted = SupplierRow("2025-02-28", "000001", 0.1 + 0.2);
    ASSERT_TRUE(
        Result("SetSaldComer", {"01", "", Packet({{{"kind", "inserted"}, {"new", inserted}}})})
            .is_null());
    const json rows = Result("GetSaldComer", {"01", ""})["rows"];
    json stored;
    for (const json& r : rows) {
        if (r[0] == "2025-02-28") stored = r;
    }
    ASSERT_FALSE(stored.is_null());
    EXPECT_EQ(stored[4].get<double>(), 0.3);
    EXPECT_EQ(stored[3], "Metalúrgica São Jorge Ltda.");
    EXPECT_EQ(stored[2], "Fornecedores de Serviços");
    EXPECT_EQ(stored[9], "12.345.678/0001-90");

    json modified = stored;
    modified[4] = 12.5;
    modified[5] = "Não";
    const json another = SupplierRow("2025-03-31", "000002", 7);
    const json existing = rows[0];
    ASSERT_TRUE(
        Result("SetSaldComer", {"01", "",
                                Packet({{{"kind", "modified"}, {"old", stored}, {"new", modified}},
                                        {{"kind", "deleted"}, {"old", existing}},
                                        {{"kind", "inserted"}, {"new", another}}})})
            .is_null());
    const json after = Result("GetSaldComer", {"01", ""})["rows"];
    EXPECT_EQ(after.size(), rows.size());
    EXPECT_EQ(std::count(after.begin(), after.end(), modified), 1);
    EXPECT_EQ(std::count(after.begin(), after.end(), existing), 0);
    EXPECT_EQ(std::count_if(after.begin(), after.end(),
                            [](const json& r) { return r[0] == "2025-03-31"; }),
              1);
    EXPECT_EQ(std::count_if(log_.begin(), log_.end(),
                            [](const std::string& line) {
                                return line.rfind("SetSaldComer empresa=01 ", 0) == 0 &&
                                       line.find(" ms ok") != std::string::npos;
                            }),
              2);
}

struct Refusal {
    const char* name;
    int code;
    const char* messagePart;
};

TEST_P(ServiceTest, RefusedPacketsLeaveTheDatabaseUnchanged) {
    const json rows = Result("GetSaldComer", {"01", ""})["rows"];
    const json first = rows[0];
    json stale = first;
    stale[4] = first[4].get<double>() + 1;
    json otherKey = first;
    otherKey[8] = rows[1][8];
    otherKey[0] = rows[1][0];
    otherKey[1] = rows[1][1];
    const json good = SupplierRow("2025-04-30", "000003", 1);
    json badField = Fields("");
    badField[2]["size"] = 41;
    json extraField = Fields("");
    extraField.push_back({{"name", "OBS"}, {"type", "string"}, {"size", 10}});
    json wrongTypes = good;
    wrongTypes[4] = "1,00";

    const std::vector<std::pair<json, Refusal>> cases = {
        {Packet({{{"kind", "inserted"}, {"new", good}},
                 {{"kind", "modified"}, {"old", stale}, {"new", first}}}),
         {"conflict", rpc::kConflict, "alterado por outro usuário"}},
        {Packet({{{"kind", "inserted"}, {"new", good}},
                 {{"kind", "deleted"}, {"old", SupplierRow("2026-01-31", "000009", 5)}}}),
         {"deleted elsewhere", rpc::kConflict, "excluído por outro usuário"}},
        {Packet({{{"kind", "inserted"}, {"new", good}},
                 {{"kind", "inserted"}, {"new", SupplierRow("2025-04-30", "000004", 1, "02")}}}),
         {"other company", rpc::kServerError, "empresa 02"}},
        {Packet({{{"kind", "inserted"}, {"new", good}}, {{"kind", "inserted"}, {"new", good}}}),
         {"duplicate in packet", rpc::kServerError, "Conta comercial já cadastrada."}},
        {Packet({{{"kind", "modified"}, {"old", first}, {"new", otherKey}}}),
         {"duplicate by modify", rpc::kServerError, "Conta comercial já cadastrada."}},
        {Packet({{{"kind", "inserted"}, {"new", SupplierRow("2025-04-29", "000003", 1)}}}),
         {"not last day", rpc::kServerError, "último dia do mês"}},
        {Packet({{{"kind", "inserted"}, {"new", SupplierRow("2025-02-31", "000003", 1)}}}),
         {"bad date", rpc::kInvalidParams, "data inválida"}},
        {Packet({{{"kind", "inserted"}, {"new", SupplierRow("2025-04-30", "999999", 1)}}}),
         {"unknown supplier", rpc::kServerError, "Fornecedor não cadastrado."}},
        {Packet({{{"kind", "inserted"}, {"new", SupplierRow("2025-04-30", "000003", 1e12)}}}),
         {"beyond ledger", rpc::kServerError, "Saldo insuficiente na Conta Contábil"}},
        {Packet({{{"kind", "inserted"}, {"new", wrongTypes}}}),
         {"value as text", rpc::kInvalidParams, "VRIMPSALDO"}},
        {{{"fields", badField}, {"changes", json::array({{{"kind", "inserted"}, {"new", good}}})}},
         {"field size", rpc::kInvalidParams, "NMCONTCTBL"}},
        {{{"fields", extraField},
          {"changes", json::array({{{"kind", "inserted"}, {"new", good}}})}},
         {"unknown field", rpc::kInvalidParams, "OBS"}},
        {{{"fields", Fields("")}, {"changes", json::array()}, {"extra", 1}},
         {"unknown packet member", rpc::kInvalidParams, "extra"}},
        {Packet({{{"kind", "inserted"}, {"new", good}, {"why", "x"}}}),
         {"unknown change member", rpc::kInvalidParams, "why"}},
        {Packet({{{"kind", "upserted"}, {"new", good}}}),
         {"unknown change kind", rpc::kInvalidParams, "inserted"}},
    };
    const auto before = Balances();
    for (const auto& [packet, refusal] : cases) {
        SCOPED_TRACE(refusal.name);
        const std::string message = Error("SetSaldComer", {"01", "", packet}, refusal.code);
        EXPECT_NE(message.find(refusal.messagePart), std::string::npos) << message;
        EXPECT_EQ(Balances(), before);
    }
    // A supplier row sent as a client packet is refused for its kind.
    json clientPacket = {{"fields", Fields("SaldClie")},
                         {"changes", json::array({{{"kind", "inserted"}, {"new", good}}})}};
    EXPECT_NE(
        Error("SetSaldComer", {"01", "SaldClie", clientPacket}, rpc::kServerError).find("tipo F"),
        std::string::npos);
    EXPECT_EQ(Balances(), before);
}

TEST_P(ServiceTest, TwoSavesThatEachFitCannotTogetherOverdrawTheLedger) {
    const std::string account = "2.1.1.01.0002", date = "2025-05-31";
    const long long room = Ledger("01", account, date) - Implanted("01", account, date);
    ASSERT_GT(room, 100);
    const double most = static_cast<double>(room - 100) / 100.0;
    EXPECT_TRUE(Result("GetVdSaldoContCtbl", {"01", account, "05/2025", most}).get<bool>());
    EXPECT_TRUE(Result("GetVdSaldoContCtbl", {"01", account, "05/2025", 2.0}).get<bool>());
    Result(
        "SetSaldComer",
        {"01", "", Packet({{{"kind", "inserted"}, {"new", SupplierRow(date, "000001", most)}}})});
    // The second screen checked before the first saved; its save is refused.
    const std::string message = Error(
        "SetSaldComer",
        {"01", "", Packet({{{"kind", "inserted"}, {"new", SupplierRow(date, "000002", 2.0)}}})},
        rpc::kServerError);
    EXPECT_NE(message.find("Não é possível implantar saldo!"), std::string::npos) << message;
    // What still fits is accepted, and a not-implanted balance is not counted.
    Result("SetSaldComer",
           {"01", "",
            Packet({{{"kind", "inserted"}, {"new", SupplierRow(date, "000002", 1.0)}},
                    {{"kind", "inserted"},
                     {"new", SupplierRow(date, "000003", 5000.0, "01", "Não")}}})});
    EXPECT_EQ(Implanted("01", account, date), Ledger("01", account, date));
    EXPECT_TRUE(Result("GetVdSaldoContCtbl", {"01", account, "05/2025", 0}).get<bool>());
    EXPECT_FALSE(Result("GetVdSaldoContCtbl", {"01", account, "05/2025", 0.01}).get<bool>());
}

// Saves of one company made at the same moment take turns: each counts the rows the others
// saved, so together they never overdraw the ledger, and none fails for having met another.
TEST_P(ServiceTest, SimultaneousSavesOfOneCompanyTakeTurns) {
    const std::string account = "2.1.1.01.0002", date = "2025-06-30";
    const long long before = Implanted("01", account, date);
    const long long room = Ledger("01", account, date) - before;
    const long long each = room / 4 + 1;  // three fit, four do not
    ASSERT_GT(each, 1);
    const char* const owners[] = {"000001", "000002", "000003", "000004", "000006", "000007"};
    std::vector<std::string> requests;
    for (const char* owner : owners) {
        const json packet =
            Packet({{{"kind", "inserted"},
                     {"new", SupplierRow(date, owner, static_cast<double>(each) / 100.0)}}});
        requests.push_back(json({{"jsonrpc", "2.0"},
                                 {"id", 1},
                                 {"method", "Rdq63500.rdmSaldComer.SetSaldComer"},
                                 {"params", {"01", "", packet}}})
                               .dump());
    }
    db::ConnectionPool pool(database_->Url(), requests.size());
    server::SaldoService service(pool);
    rpc::Dispatcher dispatcher;
    server::Identification identification(pool, nullptr);
    server::RegisterMethods(dispatcher, service, identification, [](const std::string&) {});
    std::vector<json> replies(requests.size());
    std::vector<rpc::Connection> origins(requests.size(), origin_);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < requests.size(); ++i) {
        threads.emplace_back(
            [&, i] { replies[i] = json::parse(dispatcher.Handle(requests[i], &origins[i])); });
    }
    for (auto& thread : threads) thread.join();
    int saved = 0;
    for (const json& reply : replies) {
        if (!reply.contains("error")) {
            ++saved;
            continue;
        }
        EXPECT_NE(reply["error"]["message"].get<std::string>().find("Não é possível implantar"),
                  std::string::npos)
            << reply;
    }
    EXPECT_EQ(saved, 3);
    EXPECT_EQ(Implanted("01", account, date), before + 3 * each);
}

TEST_P(ServiceTest, BalanceCheckFollowsTheLedgersSign) {
    // Client accounts carry debit (negative) ledger balances.
    const std::string account = "1.1.2.01.0001", date = "2026-07-31";
    const long long ledger = Ledger("02", account, date);
    const long long used = Implanted("02", account, date);
    ASSERT_LT(ledger, 0);
    const double room = static_cast<double>(ledger - used) / 100.0;
    EXPECT_TRUE(Result("GetVdSaldoContCtbl", {"02", account, "07/2026", room}).get<bool>());
    EXPECT_FALSE(Result("GetVdSaldoContCtbl", {"02", account, "07/2026", room - 0.01}).get<bool>());
    EXPECT_FALSE(
        Result("GetVdSaldoContCtbl", {"02", account, "07/2026", 0.01 - used / 100.0}).get<bool>());
    EXPECT_TRUE(Result("GetVdSaldoContCtbl", {"02", account, "07/2026", 0}).get<bool>());
    EXPECT_EQ(Result("GetSaldoContCtbl", {"02", account, "07/2026"}),
              (json{{"utilizavel", true},
                    {"saldoContabil", ledger},
                    {"implantado", used},
                    {"disponivel", ledger - used}}));

    const std::vector<json> falseCases = {
        {"02", account, "13/2026", 0},          // month out of range
        {"02", account, "7/2026", 0},           // not MM/YYYY
        {"02", account, "", 0},                 // blank
        {"02", account, "07-2026", 0},          // wrong separator
        {"02", "9.9.9", "07/2026", 0},          // unknown account
        {"02", "", "12/1899", 0},               // a row posted blank
        {"02", "1.1.2", "07/2026", 0},          // synthetic
        {"02", "1.1.1.01.0001", "07/2026", 0},  // analytic without a commercial type
        {"02", account, "07/2031", -1.0},       // no ledger balance for the month
    };
    for (const json& args : falseCases) {
        EXPECT_FALSE(Result("GetVdSaldoContCtbl", args).get<bool>()) << args;
    }
}

TEST_P(ServiceTest, MalformedCallsGetClearErrors) {
    const auto before = Balances();
    const std::vector<std::tuple<std::string, json, int, std::string>> cases = {
        {"GetSaldComer", {"01"}, rpc::kInvalidParams, "espera 2 argumentos"},
        {"GetSaldComer", {"01", "", ""}, rpc::kInvalidParams, "espera 2 argumentos"},
        {"GetSaldComer", {1, ""}, rpc::kInvalidParams, "empresa"},
        {"SetSaldComer", {"01", "", "pacote"}, rpc::kInvalidParams, "pacote"},
        {"SetSaldComer", {"01", "", json::object()}, rpc::kInvalidParams, "fields"},
        {"GetVdSaldoContCtbl", {"01", "x", "01/2024", "10"}, rpc::kInvalidParams, "valor"},
        {"GetVdSaldoContCtbl", {"01", "x", "01/2024"}, rpc::kInvalidParams, "4 argumentos"},
        {"Apaga", json::array(), rpc::kMethodNotFound, "Apaga"},
    };
    for (const auto& [method, params, code, part] : cases) {
        SCOPED_TRACE(method + params.dump());
        EXPECT_NE(Error(method, params, code).find(part), std::string::npos);
    }
    EXPECT_EQ(Balances(), before);
}

INSTANTIATE_TEST_SUITE_P(Backends, ServiceTest, testsupport::Backends(), testsupport::BackendName);

TEST(LedgerRuleTest, CreditAndDebitBounds) {
    EXPECT_TRUE(server::WithinLedger(0, 0));
    EXPECT_FALSE(server::WithinLedger(1, 0));
    EXPECT_FALSE(server::WithinLedger(-1, 0));
    EXPECT_TRUE(server::WithinLedger(100, 100));
    EXPECT_FALSE(server::WithinLedger(101, 100));
    EXPECT_FALSE(server::WithinLedger(-1, 100));
    EXPECT_TRUE(server::WithinLedger(-100, -100));
    EXPECT_FALSE(server::WithinLedger(-101, -100));
    EXPECT_FALSE(server::WithinLedger(1, -100));
}

}  // namespace

// Whole-path measurements of the application server on SQLite: reading a company's balances
// (server, wire, client record set) against the sqlite3 shell selecting the same rows; a
// one-row save against a bare SQLite commit; eight clients saving at once.
//
// The database is built once (SALDO_BENCH_DB, default /tmp/saldo-bench.db): companies 99, 98
// and 97 hold 1,000,000, 100,000 and 10,000 supplier balances.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <thread>

#include "db/Connection.h"
#include "db/ConnectionPool.h"
#include "db/DemoData.h"
#include "db/Schema.h"
#include "platform/data/ClientDataSet.h"
#include "platform/data/Packet.h"
#include "core/Json.h"
#include "rpc/Client.h"
#include "rpc/Server.h"
#include "server/Methods.h"
#include "server/SaldoService.h"

namespace {

using nlohmann::json;
using Clock = std::chrono::steady_clock;

const char* const kConcurrentCompanies[] = {"B1", "B2", "B3", "B4", "B5", "B6", "B7", "B8"};

std::string DatabasePath() {
    const char* path = std::getenv("SALDO_BENCH_DB");
    return path != nullptr ? path : "/tmp/saldo-bench.db";
}

void EnsureDatabase() {
    const std::string path = DatabasePath();
    if (std::filesystem::exists(path)) return;
    std::fprintf(stderr, "building %s (1,110,000 balances)...\n", path.c_str());
    auto connection = db::Connection::Open("sqlite:" + path);
    db::CreateSchema(*connection);
    db::LoadDemoData(*connection);
    db::LoadScaleCompany(*connection, "99", "Empresa de Grande Porte", 1000000);
    db::LoadScaleCompany(*connection, "98", "Empresa de Médio Porte", 100000);
    db::LoadScaleCompany(*connection, "97", "Empresa de Pequeno Porte", 10000);
    for (const char* company : kConcurrentCompanies) {
        connection->Execute("INSERT INTO EMPRESA (CDEMPRESA, NMEMPRESA) VALUES (:C, :N)",
                            {{"C", company}, {"N", "Empresa Concorrente"}});
    }
}

// The database, the server on a loopback port, created on first use and kept for the run.
struct Fixture {
    std::string path = DatabasePath();
    std::string url = "sqlite:" + path;
    std::unique_ptr<db::ConnectionPool> pool;
    std::unique_ptr<server::SaldoService> service;
    rpc::Dispatcher dispatcher;
    std::unique_ptr<rpc::Server> rpcServer;

    Fixture() {
        EnsureDatabase();
        pool = std::make_unique<db::ConnectionPool>(url, 8);
        service = std::make_unique<server::SaldoService>(*pool);
        server::RegisterMethods(dispatcher, *service, nullptr);
        rpc::ServerOptions options;
        options.threads = 8;
        rpcServer = std::make_unique<rpc::Server>(dispatcher, options);
        rpcServer->Listen("127.0.0.1", 0);
        rpcServer->Start();
    }
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

const char* CompanyOfRows(std::int64_t rows) {
    return rows >= 1000000 ? "99" : rows >= 100000 ? "98" : "97";
}

void GetSaldComerEndToEnd(benchmark::State& state) {
    Fixture& f = Shared();
    rpc::Client client("127.0.0.1", f.rpcServer->Port());
    const std::string company = CompanyOfRows(state.range(0));
    platform::ClientDataSet set("cdsSaldForn");
    {
        const json first = client.Call("Rdq63500.rdmSaldComer.GetSaldComer", {company, ""});
        for (const auto& field : platform::FieldListFromJson(first["fields"])) set.AddField(field);
    }
    std::size_t rows = 0;
    double callMs = 0, loadMs = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        const std::string packet =
            client.CallText("Rdq63500.rdmSaldComer.GetSaldComer", {company, ""});
        const auto called = Clock::now();
        set.LoadFromText(packet);
        rows = static_cast<std::size_t>(set.RecordCount());
        callMs += std::chrono::duration<double, std::milli>(called - start).count();
        loadMs += std::chrono::duration<double, std::milli>(Clock::now() - called).count();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["call_ms"] = callMs / n;
    state.counters["load_ms"] = loadMs / n;
    state.counters["us_per_row"] = (callMs + loadMs) * 1000.0 / n / static_cast<double>(rows);
}

void GetSaldComerStreamed(benchmark::State& state) {
    Fixture& f = Shared();
    rpc::Client client("127.0.0.1", f.rpcServer->Port());
    const std::string company = CompanyOfRows(state.range(0));
    platform::ClientDataSet set("cdsSaldForn");
    {
        const json first = client.Call("Rdq63500.rdmSaldComer.GetSaldComer", {"01", ""});
        for (const auto& field : platform::FieldListFromJson(first["fields"])) set.AddField(field);
    }
    const auto defs = set.FieldDefs();
    std::size_t rows = 0;
    for (auto _ : state) {
        platform::PacketRows read;
        client.CallReading("Rdq63500.rdmSaldComer.GetSaldComer", {company, ""},
                           [&](core::JsonSource& s) { read = platform::PacketRows::Read(s, defs); });
        set.SetData(std::move(read));
        rows = static_cast<std::size_t>(set.RecordCount());
    }
    state.counters["rows"] = static_cast<double>(rows);
}

// The server's part alone: the query and the packet text, no wire.
void GetSaldComerServerOnly(benchmark::State& state) {
    Fixture& f = Shared();
    const std::string company = CompanyOfRows(state.range(0));
    std::size_t bytes = 0;
    for (auto _ : state) bytes = f.service->GetSaldComer(company, "").size();
    state.counters["packet_bytes"] = static_cast<double>(bytes);
}

// The same rows, joined the same way, selected by the sqlite3 shell into /dev/null.
void Sqlite3ShellSelect(benchmark::State& state) {
    Fixture& f = Shared();
    const std::string company = CompanyOfRows(state.range(0));
    const std::string command =
        "sqlite3 " + f.path +
        " \"SELECT S.DTIMPSALDO, S.CDCONTCTBL, C.NMCONTCTBL, S.VRIMPSALDO, S.TIPSALDO,"
        " S.CDSALDCOME, O.NMRAZSOCFORN, O.NRINSJURFORN, O.IDTPIJURFORN FROM SALDCOME S"
        " LEFT JOIN FORNECEDOR O ON O.CDFORNECED = S.CDSALDCOME"
        " LEFT JOIN CONTCTBL C ON C.CDCONTCTBL = S.CDCONTCTBL"
        " WHERE S.CDEMPRESA = '" +
        company +
        "' AND S.IDSALDCOME = 'F'"
        " ORDER BY S.DTIMPSALDO, S.CDCONTCTBL, S.CDSALDCOME\" > /dev/null";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) state.SkipWithError("sqlite3 failed");
    }
}

void Percentiles(benchmark::State& state, std::vector<double>& micros) {
    if (micros.empty()) return;
    std::sort(micros.begin(), micros.end());
    state.counters["p50_us"] = micros[micros.size() / 2];
    state.counters["p99_us"] = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
}

// A row whose key no earlier call used: owner and month vary with n, in months of 31 days
// far in the future, starting at an offset taken from the clock so reruns do not collide.
json SupplierRow(const std::string& company, int n) {
    static const int kLongMonths[] = {1, 3, 5, 7, 8, 10, 12};
    char owner[16], month[16];
    std::snprintf(owner, sizeof owner, "G%06d", n % 6000 + 1);
    const int slot = n / 6000;
    std::snprintf(month, sizeof month, "%04d-%02d-31", 2100 + slot / 7, kLongMonths[slot % 7]);
    return {month, "2.1.1.01.0001", "", "", 0.0, "Sim", company, "F", owner, nullptr, nullptr};
}

json Fields() {
    static const json fields = [] {
        rpc::Client client("127.0.0.1", Shared().rpcServer->Port());
        return client.Call("Rdq63500.rdmSaldComer.GetSaldComer", {"01", ""})["fields"];
    }();
    return fields;
}

std::atomic<int> nextRow{static_cast<int>(std::time(nullptr) % 100000) * 3000};

void SetSaldComerRoundTrip(benchmark::State& state) {
    Fixture& f = Shared();
    rpc::Client client("127.0.0.1", f.rpcServer->Port());
    const json fields = Fields();
    std::vector<double> micros;
    for (auto _ : state) {
        const json delta = {
            {"fields", fields},
            {"changes",
             json::array({{{"kind", "inserted"}, {"new", SupplierRow("01", nextRow++)}}})}};
        const auto start = Clock::now();
        client.Call("Rdq63500.rdmSaldComer.SetSaldComer", {"01", "", delta});
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    Percentiles(state, micros);
}

// The same row written by the SQLite C API alone, with the server's settings.
void BareSqliteCommit(benchmark::State& state) {
    EnsureDatabase();
    sqlite3* handle = nullptr;
    sqlite3_open(DatabasePath().c_str(), &handle);
    sqlite3_busy_timeout(handle, 30000);
    sqlite3_exec(handle, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL", nullptr, nullptr,
                 nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(handle,
                       "INSERT INTO SALDCOME (CDEMPRESA, IDSALDCOME, DTIMPSALDO, CDCONTCTBL,"
                       " CDSALDCOME, VRIMPSALDO, TIPSALDO) VALUES ('01', 'F', ?, ?, ?, 0, 'S')",
                       -1, &insert, nullptr);
    std::vector<double> micros;
    double beginUs = 0, insertUs = 0, commitUs = 0;
    for (auto _ : state) {
        const json row = SupplierRow("01", nextRow++);
        const std::string month = row[0], account = row[1], owner = row[8];
        const auto start = Clock::now();
        if (sqlite3_exec(handle, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
            state.SkipWithError(sqlite3_errmsg(handle));
        }
        const auto begun = Clock::now();
        sqlite3_bind_text(insert, 1, month.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, account.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, owner.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(insert) != SQLITE_DONE) state.SkipWithError(sqlite3_errmsg(handle));
        sqlite3_reset(insert);
        const auto inserted = Clock::now();
        sqlite3_exec(handle, "COMMIT", nullptr, nullptr, nullptr);
        beginUs += std::chrono::duration<double, std::micro>(begun - start).count();
        insertUs += std::chrono::duration<double, std::micro>(inserted - begun).count();
        commitUs += std::chrono::duration<double, std::micro>(Clock::now() - inserted).count();
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    sqlite3_finalize(insert);
    sqlite3_close(handle);
    const double n = static_cast<double>(state.iterations());
    state.counters["begin_us"] = beginUs / n;
    state.counters["insert_us"] = insertUs / n;
    state.counters["commit_us"] = commitUs / n;
    Percentiles(state, micros);
}

// Eight clients, one company each, saving one-row packets at the same time.
void ConcurrentSaves(benchmark::State& state) {
    Fixture& f = Shared();
    const json fields = Fields();
    const int perClient = static_cast<int>(state.range(0));
    std::size_t packets = 0;
    for (auto _ : state) {
        std::vector<std::thread> clients;
        for (const char* company : kConcurrentCompanies) {
            clients.emplace_back([&, company = std::string(company)] {
                rpc::Client client("127.0.0.1", f.rpcServer->Port());
                for (int i = 0; i < perClient; ++i) {
                    const json delta = {
                        {"fields", fields},
                        {"changes", json::array({{{"kind", "inserted"},
                                                  {"new", SupplierRow(company, nextRow++)}}})}};
                    client.Call("Rdq63500.rdmSaldComer.SetSaldComer", {company, "", delta});
                }
            });
        }
        for (auto& t : clients) t.join();
        packets += static_cast<std::size_t>(perClient) * 8;
    }
    state.counters["packets_per_s"] =
        benchmark::Counter(static_cast<double>(packets), benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(GetSaldComerEndToEnd)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK(GetSaldComerStreamed)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK(GetSaldComerServerOnly)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK(Sqlite3ShellSelect)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK(SetSaldComerRoundTrip)->Unit(benchmark::kMicrosecond)->Iterations(300)->UseRealTime();
BENCHMARK(BareSqliteCommit)->Unit(benchmark::kMicrosecond)->Iterations(300)->UseRealTime();
BENCHMARK(ConcurrentSaves)->Arg(40)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

BENCHMARK_MAIN();

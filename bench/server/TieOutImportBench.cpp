// The tie-out of a 1,000,000-balance company, and the import of a 100,000-line file, on SQLite,
// each beside the database doing the bare part of the same work through its C API: the grouped
// sum the tie-out reads, and the inserts of the import in one transaction.
//
// The database is built once (SALDO_BENCH_TIEOUT_DB, default /tmp/saldo-bench-tieout.db): the
// demo data, and company 99 with 1,000,000 supplier balances and a ledger balance for each of
// its accounts and months.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "core/Calendar.h"
#include "db/Connection.h"
#include "db/DemoData.h"
#include "db/Schema.h"
#include "server/BalanceStore.h"
#include "server/Import.h"
#include "server/TieOutReport.h"

namespace {

const char* const kAccounts[] = {"2.1.1.01.0001", "2.1.1.01.0002", "2.1.1.02.0001"};
constexpr int kImportLines = 100000;

std::string DatabasePath() {
    const char* path = std::getenv("SALDO_BENCH_TIEOUT_DB");
    return path != nullptr ? path : "/tmp/saldo-bench-tieout.db";
}

// Ledger balances of the company for every account and month of 2023 to 2026.
void InsertLedger(db::Connection& connection, const std::string& company, long long cents) {
    for (const char* account : kAccounts)
        for (int year = 2023; year <= 2026; ++year)
            for (int month = 1; month <= 12; ++month)
                connection.Execute(
                    "INSERT INTO SALDCTBL (CDEMPRESA, CDCONTCTBL, DTSALDO, VRSALDO)"
                    " VALUES (:c, :a, :m, :v)",
                    {{"c", company},
                     {"a", account},
                     {"m", core::LastDayIso(year, month)},
                     {"v", std::to_string(cents)}});
}

const std::string& Url() {
    static const std::string url = [] {
        const std::string path = DatabasePath();
        if (!std::filesystem::exists(path)) {
            std::fprintf(stderr, "building %s (1,000,000 balances)...\n", path.c_str());
            auto connection = db::Connection::Open("sqlite:" + path);
            db::CreateSchema(*connection);
            db::LoadDemoData(*connection);
            db::LoadScaleCompany(*connection, "99", "Empresa de Grande Porte", 1000000);
            db::WriteTransaction transaction(*connection);
            InsertLedger(*connection, "99", 1'000'000'000'000);
            transaction.Commit();
        }
        return "sqlite:" + path;
    }();
    return url;
}

void TieOut1M(benchmark::State& state) {
    auto connection = db::Connection::Open(Url());
    server::BalanceStore store(*connection);
    std::size_t lines = 0;
    for (auto _ : state) lines = server::BuildTieOut(store, "99", std::nullopt).lines.size();
    state.counters["lines"] = static_cast<double>(lines);
}

// The grouped sum alone, prepared and stepped through the C API.
void GroupedSumBare(benchmark::State& state) {
    sqlite3* handle = nullptr;
    sqlite3_open_v2(DatabasePath().c_str(), &handle, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(handle,
                       "SELECT CDCONTCTBL, DTIMPSALDO, SUM(CASE WHEN TIPSALDO = 'S' THEN"
                       " VRIMPSALDO ELSE 0 END) FROM SALDCOME WHERE CDEMPRESA = '99'"
                       " GROUP BY CDCONTCTBL, DTIMPSALDO",
                       -1, &statement, nullptr);
    long long groups = 0;
    for (auto _ : state) {
        groups = 0;
        while (sqlite3_step(statement) == SQLITE_ROW) ++groups;
        sqlite3_reset(statement);
    }
    sqlite3_finalize(statement);
    sqlite3_close(handle);
    state.counters["lines"] = static_cast<double>(groups);
}

struct ImportRow {
    std::string month, account, owner;
};

// 100,000 distinct keys over the company's accounts, months and suppliers.
std::vector<ImportRow> ImportRows() {
    std::vector<ImportRow> rows;
    rows.reserve(kImportLines);
    for (int i = 0; i < kImportLines; ++i) {
        char owner[16];
        std::snprintf(owner, sizeof owner, "G%06d", i / 144 + 1);
        const int slot = i % 144;
        rows.push_back(
            {core::LastDayIso(2023 + slot / 36, slot / 3 % 12 + 1), kAccounts[slot % 3], owner});
    }
    return rows;
}

std::string ImportFileText() {
    std::string text = "Mês;Conta Contábil;Código;Valor;Implantado\n";
    for (const ImportRow& r : ImportRows())
        text += core::MonthTextOfIso(r.month) + ";" + r.account + ";" + r.owner + ";1.234,56;Sim\n";
    return text;
}

// A fresh company with room in its ledger, for each run of an import.
std::string FreshCompany(db::Connection& connection) {
    static int next = 0;
    char code[3];
    std::snprintf(code, sizeof code, "%c%c", 'A' + next / 10 % 26, '0' + next % 10);
    ++next;
    connection.Execute("DELETE FROM SALDCOME WHERE CDEMPRESA = :c", {{"c", code}});
    connection.Execute("DELETE FROM SALDCTBL WHERE CDEMPRESA = :c", {{"c", code}});
    connection.Execute("DELETE FROM EMPRESA WHERE CDEMPRESA = :c", {{"c", code}});
    connection.Execute("INSERT INTO EMPRESA (CDEMPRESA, NMEMPRESA) VALUES (:c, 'Importação')",
                       {{"c", code}});
    InsertLedger(connection, code, 1'000'000'000'000);
    return code;
}

void Import100k(benchmark::State& state) {
    auto connection = db::Connection::Open(Url());
    const std::string file = ImportFileText();
    const bool dryRun = state.range(0) != 0;
    std::size_t accepted = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string company = FreshCompany(*connection);
        state.ResumeTiming();
        const server::ImportReport report = server::ImportBalances(
            *connection, company, core::BalanceKind::Suppliers, file, dryRun);
        accepted = report.accepted.size();
        if (!report.refusals.empty()) state.SkipWithError(report.refusals[0].reason.c_str());
    }
    state.counters["lines"] = static_cast<double>(accepted);
}

// The same 100,000 rows inserted through the C API in one transaction.
void InsertBare(benchmark::State& state) {
    auto connection = db::Connection::Open(Url());
    const std::vector<ImportRow> rows = ImportRows();
    sqlite3* handle = nullptr;
    sqlite3_open(DatabasePath().c_str(), &handle);
    sqlite3_busy_timeout(handle, 10000);
    for (auto _ : state) {
        state.PauseTiming();
        const std::string company = FreshCompany(*connection);
        state.ResumeTiming();
        sqlite3_exec(handle, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(handle,
                           "INSERT INTO SALDCOME (CDEMPRESA, IDSALDCOME, DTIMPSALDO, CDCONTCTBL,"
                           " CDSALDCOME, VRIMPSALDO, TIPSALDO) VALUES (?, 'F', ?, ?, ?, 123456,"
                           " 'S')",
                           -1, &insert, nullptr);
        for (const ImportRow& r : rows) {
            sqlite3_bind_text(insert, 1, company.c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_text(insert, 2, r.month.c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_text(insert, 3, r.account.c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_text(insert, 4, r.owner.c_str(), -1, SQLITE_STATIC);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        sqlite3_exec(handle, "COMMIT", nullptr, nullptr, nullptr);
    }
    sqlite3_close(handle);
}

}  // namespace

BENCHMARK(TieOut1M)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(GroupedSumBare)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(Import100k)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(InsertBare)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

BENCHMARK_MAIN();

// Whole-path measurements of the application server, each one side by side with a reference in
// the same run: runs interleaved (product, reference, product, ...), medians, the ratio of the
// medians, and the load average (/proc/loadavg) when each measure starts and ends.
//  - Read: GetSaldComer through rpc::Client into a platform::ClientDataSet (ReadCompany) against
//    the sqlite3 shell, or psql on PostgreSQL, running the same joined, ordered SELECT into
//    /dev/null; the time per row across sizes; the client's resident memory, measured in a
//    process of its own, against the packet's size.
//  - Save: a keyed one-row SetSaldComer round trip, and the balance check followed by the save as
//    the screen does them, alternated call by call with a bare transaction writing the same three
//    rows (the balance in the same company, account and month, an audit-trail line, a request
//    key) with the same durability (SQLite C API with the server's settings: WAL,
//    synchronous=FULL; libpq on PostgreSQL); and the save on the largest company against the
//    save on the smallest.
//  - Transports: the largest company's read, a one-row save, and a new connection with its first
//    call, over TLS and over the local socket, interleaved with plain TCP on loopback as the
//    reference (the certificates come from scripts/make-certificates.sh in a temporary folder).
//
// How to run:
//   cmake --preset release && cmake --build --preset release --target bench-server -j2
//   build/release/bin/bench-server                                  # SQLite, 10k/100k/1M rows
//   SALDO_BENCH_SIZES=10000,100000 build/release/bin/bench-server   # a quick run
//   # PostgreSQL too, on a throw-away cluster:
//   pg_virtualenv -t -i "--encoding=UTF8 --locale=C.UTF-8" bash -c 'SALDO_BENCH_PG="postgresql:
//     //host=$PGHOST port=$PGPORT user=$PGUSER password=$PGPASSWORD dbname=$PGDATABASE"
//     build/release/bin/bench-server'       (one line, "postgresql://host=...")
// Settings: SALDO_BENCH_DB (the SQLite file, default /tmp/saldo-bench.db), SALDO_BENCH_PAIRS
// (read pairs per size, default 5), SALDO_BENCH_SAVES (saves per company, default 200),
// SALDO_BENCH_ONLY=saves (only the saves: no reads, memory or transports). The
// companies 97, 98 and 99 hold 10,000, 100,000 and 1,000,000 supplier balances; each database is
// built once, with only the companies the sizes ask for, and kept for later runs.
#include <libpq-fe.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/Json.h"
#include "db/Connection.h"
#include "db/ConnectionPool.h"
#include "db/DemoData.h"
#include "db/Schema.h"
#include "platform/data/ClientDataSet.h"
#include "platform/data/Packet.h"
#include "rpc/Client.h"
#include "rpc/RpcError.h"
#include "rpc/Server.h"
#include "server/Methods.h"
#include "server/PasswordHash.h"
#include "server/SaldoService.h"
#include "server/Users.h"

namespace {

using nlohmann::json;
using Clock = std::chrono::steady_clock;

const std::string kModule = "Rdq63500.rdmSaldComer.";
// The saves go to a month and account every large company holds many balances of, so that the
// balance check sums a group that grows with the company.
const std::string kSaveMonth = "2023-01-31";
const std::string kSaveMonthText = "01/2023";
const std::string kSaveAccount = "2.1.1.01.0001";
// Saves made before the measured ones, on each company.
constexpr int kWarmUpSaves = 10;

// The product's read path, as the screen takes it: the reply read into rows while it arrives,
// then the rows taken by the record set.
void ReadCompany(rpc::Client& client, platform::ClientDataSet& set, const std::string& company) {
    const std::vector<platform::FieldDef> fields = set.FieldDefs();
    platform::PacketRows rows;
    client.CallReading(kModule + "GetSaldComer", {company, ""}, [&](core::JsonSource& packet) {
        rows = platform::PacketRows::Read(packet, fields);
    });
    set.SetData(std::move(rows));
}

// The set with the field list of the balances' packets (read from a small company).
void PrepareSet(rpc::Client& client, platform::ClientDataSet& set) {
    const json packet = client.Call(kModule + "GetSaldComer", {"01", ""});
    for (const auto& field : platform::FieldListFromJson(packet["fields"])) set.AddField(field);
}

// The benches call as an identified user, signing in on each client's connection.
const std::string kBenchUser = "bench";
const std::string kBenchPassword = "senha-de-medida";

void SignIn(rpc::Client& client) {
    client.Call("Sessao.Entrar", {kBenchUser, kBenchPassword});
}

rpc::ClientOptions LongCalls() {
    rpc::ClientOptions options;
    options.timeout = std::chrono::minutes(5);
    return options;
}

std::string Env(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : fallback;
}

std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

// A /proc/self/status line's value in kB ("VmRSS", "VmHWM").
long StatusKb(const std::string& key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key + ":", 0) == 0) return std::stol(line.substr(key.size() + 1));
    }
    return -1;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

std::string CompanyOfRows(long rows) {
    switch (rows) {
        case 10000:
            return "97";
        case 100000:
            return "98";
        case 1000000:
            return "99";
        default:
            throw std::runtime_error("SALDO_BENCH_SIZES: use 10000, 100000 and/or 1000000");
    }
}

std::vector<long> Sizes() {
    std::vector<long> sizes;
    std::stringstream list(Env("SALDO_BENCH_SIZES", "10000,100000,1000000"));
    for (std::string item; std::getline(list, item, ',');) {
        sizes.push_back(std::stol(item));
        CompanyOfRows(sizes.back());
    }
    std::sort(sizes.begin(), sizes.end());
    return sizes;
}

std::string Rows(long rows) {
    return rows >= 1000000 ? std::to_string(rows / 1000000) + "M"
                           : std::to_string(rows / 1000) + "k";
}

// The libpq connection string of a PostgreSQL URL as db::Connection takes it.
std::string ConnInfo(const std::string& url) {
    const std::string prefix = url.rfind("postgres://", 0) == 0 ? "postgres://" : "postgresql://";
    const std::string rest = url.substr(prefix.size());
    const std::size_t mark = rest.find_first_of("=/@?");
    return mark != std::string::npos && rest[mark] == '=' ? rest : url;
}

// The joined, ordered SELECT of a company's supplier balances, as the shells run it.
std::string ShellSelect(const std::string& company) {
    return "SELECT S.DTIMPSALDO, S.CDCONTCTBL, C.NMCONTCTBL, S.VRIMPSALDO, S.TIPSALDO,"
           " S.CDSALDCOME, O.NMRAZSOCFORN, O.NRINSJURFORN, O.IDTPIJURFORN FROM SALDCOME S"
           " LEFT JOIN FORNECEDOR O ON O.CDFORNECED = S.CDSALDCOME"
           " LEFT JOIN CONTCTBL C ON C.CDCONTCTBL = S.CDCONTCTBL"
           " WHERE S.CDEMPRESA = '" +
           company +
           "' AND S.IDSALDCOME = 'F'"
           " ORDER BY S.DTIMPSALDO, S.CDCONTCTBL, S.CDSALDCOME";
}

// Removes the rows earlier saves left in the company.
void RemoveSavedRows(const std::string& url, const std::string& company) {
    auto connection = db::Connection::Open(url);
    db::WriteTransaction transaction(*connection);
    connection->Execute(
        "DELETE FROM SALDCOME WHERE CDEMPRESA = :c AND IDSALDCOME = 'F' AND DTIMPSALDO = :m"
        " AND CDCONTCTBL = :a AND (CDSALDCOME LIKE 'H%' OR CDSALDCOME LIKE 'R%')",
        {{"c", company}, {"m", kSaveMonth}, {"a", kSaveAccount}});
    // The bare transactions' audit lines and request keys (see BareCommit).
    connection->Execute("DELETE FROM SALDAUDI WHERE NRSEQUENCIA < 0 AND CDEMPRESA = :c",
                        {{"c", company}});
    connection->Execute("DELETE FROM SALDREQU WHERE CHREQUISICAO LIKE 'bare-%' AND CDEMPRESA = :c",
                        {{"c", company}});
    transaction.Commit();
}

// The database with the companies of the sizes, the suppliers the saves name and a ledger
// balance wide enough for every save; built where missing.
void EnsureDatabase(const std::string& url, const std::vector<long>& sizes, int saves) {
    auto connection = db::Connection::Open(url);
    db::CreateSchema(*connection);
    db::LoadDemoData(*connection);
    bool loaded = false;
    for (const long rows : sizes) {
        const std::string company = CompanyOfRows(rows);
        if (!connection
                 ->Select("SELECT CDEMPRESA FROM EMPRESA WHERE CDEMPRESA = :c", {{"c", company}})
                 .rows.empty())
            continue;
        std::fprintf(stderr, "building company %s (%ld balances) in %s...\n", company.c_str(), rows,
                     connection->DialectName().c_str());
        db::LoadScaleCompany(*connection, company, "Empresa de Teste " + Rows(rows), rows);
        loaded = true;
    }
    db::WriteTransaction transaction(*connection);
    for (int n = 1; n <= 2 * (saves + kWarmUpSaves); ++n) {
        char code[16];
        std::snprintf(code, sizeof code, "H%06d", n);
        if (connection
                ->Select("SELECT CDFORNECED FROM FORNECEDOR WHERE CDFORNECED = :o", {{"o", code}})
                .rows.empty())
            connection->Execute(
                "INSERT INTO FORNECEDOR (CDFORNECED, IDTPIJURFORN, NRINSJURFORN, NMRAZSOCFORN,"
                " IDSITUCADA) VALUES (:o, 'J', '00.000.000/0001-00', 'Fornecedor de Gravação',"
                " 'A')",
                {{"o", code}});
    }
    for (const long rows : sizes) {
        const db::Params key = {{"c", CompanyOfRows(rows)}, {"a", kSaveAccount}, {"m", kSaveMonth}};
        if (connection
                ->Select("SELECT VRSALDO FROM SALDCTBL WHERE CDEMPRESA = :c AND CDCONTCTBL = :a"
                         " AND DTSALDO = :m",
                         key)
                .rows.empty())
            connection->Execute(
                "INSERT INTO SALDCTBL (CDEMPRESA, CDCONTCTBL, DTSALDO, VRSALDO)"
                " VALUES (:c, :a, :m, 1000000000000000)",
                key);
    }
    transaction.Commit();
    if (loaded && connection->GetDialect() == db::Dialect::Postgresql)
        connection->Execute("ANALYZE");
    for (const long rows : sizes) RemoveSavedRows(url, CompanyOfRows(rows));
}

// A bare transaction writing the three rows a one-row save writes: the balance, its audit-trail
// line and the save's request key, with prepared statements. Its audit lines take negative
// numbers, which the server's never are, and its keys start with "bare-".
class BareCommit {
  public:
    virtual ~BareCommit() = default;
    virtual void Insert(const std::string& company, const std::string& owner) = 0;

  protected:
    // The audit line's number and the request key of the next transaction.
    std::pair<std::string, std::string> NextMarks() {
        ++count_;
        return {std::to_string(-(static_cast<long long>(::getpid()) * 100000 + count_)),
                "bare-" + std::to_string(::getpid()) + "-" + std::to_string(count_)};
    }

  private:
    long long count_ = 0;
};

constexpr const char* kBareAudit =
    "INSERT INTO SALDAUDI (NRSEQUENCIA, NRITEM, DTREGISTRO, CDEMPRESA, IDSALDCOME, DSENDERECO,"
    " NMUSUARIO, CHREQUISICAO, IDALTERACAO, DTDEPOIS, CDCONTDEPOIS, CDSALDDEPOIS, VRDEPOIS,"
    " TIPDEPOIS) VALUES (%1, 1, '2026-01-01T00:00:00Z', %2, 'F', '127.0.0.1', 'bench', %3,"
    " 'I', %4, %5, %6, 1, 'S')";
constexpr const char* kBareKey =
    "INSERT INTO SALDREQU (CHREQUISICAO, CDEMPRESA, IDSALDCOME, NRMOMENTO, IDRESULTADO)"
    " VALUES (%3, %2, 'F', 1767225600, 'S')";

// `sql` with %1..%6 written as `placeholder` followed by the number (SQLite "?", libpq "$").
std::string Numbered(std::string sql, const char* placeholder) {
    for (std::size_t at = sql.find('%'); at != std::string::npos; at = sql.find('%', at))
        sql.replace(at, 1, placeholder);
    return sql;
}

class SqliteCommit final : public BareCommit {
  public:
    explicit SqliteCommit(const std::string& path) {
        if (sqlite3_open(path.c_str(), &handle_) != SQLITE_OK) Fail("open");
        sqlite3_busy_timeout(handle_, 30000);
        Exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; PRAGMA foreign_keys=ON");
        if (sqlite3_prepare_v2(
                handle_,
                "INSERT INTO SALDCOME (CDEMPRESA, IDSALDCOME, DTIMPSALDO, CDCONTCTBL,"
                " CDSALDCOME, VRIMPSALDO, TIPSALDO) VALUES (?, 'F', ?, ?, ?, 1, 'S')",
                -1, &insert_, nullptr) != SQLITE_OK ||
            sqlite3_prepare_v2(handle_, Numbered(kBareAudit, "?").c_str(), -1, &audit_, nullptr) !=
                SQLITE_OK ||
            sqlite3_prepare_v2(handle_, Numbered(kBareKey, "?").c_str(), -1, &key_, nullptr) !=
                SQLITE_OK)
            Fail("prepare");
    }
    ~SqliteCommit() override {
        sqlite3_finalize(insert_);
        sqlite3_finalize(audit_);
        sqlite3_finalize(key_);
        sqlite3_close(handle_);
    }
    SqliteCommit(const SqliteCommit&) = delete;
    SqliteCommit& operator=(const SqliteCommit&) = delete;

    void Insert(const std::string& company, const std::string& owner) override {
        Exec("BEGIN IMMEDIATE");
        sqlite3_bind_text(insert_, 1, company.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert_, 2, kSaveMonth.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert_, 3, kSaveAccount.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert_, 4, owner.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(insert_) != SQLITE_DONE) Fail("insert");
        sqlite3_reset(insert_);
        const auto [sequence, key] = NextMarks();
        const std::string values[] = {sequence, company, key, kSaveMonth, kSaveAccount, owner};
        for (sqlite3_stmt* statement : {audit_, key_}) {
            // "?N" is parameter N.
            for (int i = 1; i <= sqlite3_bind_parameter_count(statement); ++i)
                sqlite3_bind_text(statement, i, values[i - 1].c_str(), -1, SQLITE_TRANSIENT);
            if (sqlite3_step(statement) != SQLITE_DONE) Fail("insert");
            sqlite3_reset(statement);
        }
        Exec("COMMIT");
    }

  private:
    void Exec(const char* sql) {
        if (sqlite3_exec(handle_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) Fail(sql);
    }
    [[noreturn]] void Fail(const char* what) {
        throw std::runtime_error(std::string("sqlite3 ") + what + ": " + sqlite3_errmsg(handle_));
    }

    sqlite3* handle_ = nullptr;
    sqlite3_stmt* insert_ = nullptr;
    sqlite3_stmt* audit_ = nullptr;
    sqlite3_stmt* key_ = nullptr;
};

class PostgresCommit final : public BareCommit {
  public:
    explicit PostgresCommit(const std::string& url)
        : connection_(PQconnectdb(ConnInfo(url).c_str())) {
        if (PQstatus(connection_) != CONNECTION_OK) Fail("connect");
        Check(PQprepare(connection_, "bare_insert",
                        "INSERT INTO SALDCOME (CDEMPRESA, IDSALDCOME, DTIMPSALDO, CDCONTCTBL,"
                        " CDSALDCOME, VRIMPSALDO, TIPSALDO) VALUES ($1, 'F', $2, $3, $4, 1, 'S')",
                        4, nullptr),
              "prepare");
        Check(PQprepare(connection_, "bare_audit", Numbered(kBareAudit, "$").c_str(), 6, nullptr),
              "prepare");
        // Typed, as the key's statement leaves $1 unused.
        const Oid texts[] = {25, 25, 25};
        Check(PQprepare(connection_, "bare_key", Numbered(kBareKey, "$").c_str(), 3, texts),
              "prepare");
    }
    ~PostgresCommit() override { PQfinish(connection_); }
    PostgresCommit(const PostgresCommit&) = delete;
    PostgresCommit& operator=(const PostgresCommit&) = delete;

    void Insert(const std::string& company, const std::string& owner) override {
        Check(PQexec(connection_, "BEGIN"), "BEGIN");
        const char* values[] = {company.c_str(), kSaveMonth.c_str(), kSaveAccount.c_str(),
                                owner.c_str()};
        Check(PQexecPrepared(connection_, "bare_insert", 4, values, nullptr, nullptr, 0), "insert");
        const auto [sequence, key] = NextMarks();
        const char* marks[] = {sequence.c_str(),   company.c_str(),      key.c_str(),
                               kSaveMonth.c_str(), kSaveAccount.c_str(), owner.c_str()};
        Check(PQexecPrepared(connection_, "bare_audit", 6, marks, nullptr, nullptr, 0), "audit");
        Check(PQexecPrepared(connection_, "bare_key", 3, marks, nullptr, nullptr, 0), "key");
        Check(PQexec(connection_, "COMMIT"), "COMMIT");
    }

  private:
    void Check(PGresult* result, const char* what) {
        const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
        PQclear(result);
        if (!ok) Fail(what);
    }
    [[noreturn]] void Fail(const char* what) {
        throw std::runtime_error(std::string("libpq ") + what + ": " + PQerrorMessage(connection_));
    }

    PGconn* connection_;
};

// One backend: its database, a server on a loopback port, and its references.
struct Backend {
    std::string name;
    std::string url;
    std::function<std::string(const std::string& company)> shellCommand;
    std::function<std::unique_ptr<BareCommit>()> bareCommit;
    std::unique_ptr<db::ConnectionPool> pool;
    std::unique_ptr<server::SaldoService> service;
    std::unique_ptr<server::Identification> identification;
    rpc::Dispatcher dispatcher;
    std::unique_ptr<rpc::Server> rpcServer;
    // The same methods over TLS and a local socket, with the folder of its certificates and
    // socket.
    std::unique_ptr<rpc::Server> secureServer;
    std::filesystem::path secureDir;

    void Start() {
        pool = std::make_unique<db::ConnectionPool>(url, 8);
        service = std::make_unique<server::SaldoService>(*pool);
        identification = std::make_unique<server::Identification>(*pool, nullptr);
        identification->Register(dispatcher);
        server::RegisterMethods(dispatcher, *service, *identification, nullptr);
        {
            auto connection = db::Connection::Open(url);
            server::Users users(*connection);
            if (!users.Find(kBenchUser))
                users.Add(kBenchUser, server::HashPassword(kBenchPassword),
                          {{"*", server::Right::Write}});
            // The local socket knows the bench by its system user.
            const auto system = server::OperatingSystemUserName(::getuid());
            if (system && !users.Find(*system))
                users.Add(*system, std::nullopt, {{"*", server::Right::Write}});
        }
        rpc::ServerOptions options;
        options.threads = 8;
        rpcServer = std::make_unique<rpc::Server>(dispatcher, options);
        rpcServer->Listen("127.0.0.1", 0);
        rpcServer->Start();
    }

    void StartSecure() {
        std::string dir = (std::filesystem::temp_directory_path() / "saldo-bench-XXXXXX").string();
        if (mkdtemp(dir.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        secureDir = dir;
        if (std::system((std::string(SALDO_SCRIPTS_DIR) + "/make-certificates.sh " + dir +
                         " 127.0.0.1 > /dev/null")
                            .c_str()) != 0)
            throw std::runtime_error("make-certificates.sh failed");
        rpc::ServerOptions options;
        options.threads = 8;
        secureServer = std::make_unique<rpc::Server>(dispatcher, options);
        secureServer->ListenTls("127.0.0.1", 0, dir + "/server.pem", dir + "/server.key");
        secureServer->ListenLocal(dir + "/saldo.sock");
        secureServer->Start();
    }

    ~Backend() {
        secureServer.reset();
        if (!secureDir.empty()) std::filesystem::remove_all(secureDir);
    }

    // A client of the plain TCP server, or of the other one over TLS or its local socket.
    std::unique_ptr<rpc::Client> ClientOver(rpc::Transport transport,
                                            rpc::ClientOptions options = {}) const {
        options.credentials = [](const rpc::LoginPrompt&) {
            return std::optional<rpc::Credentials>(rpc::Credentials{kBenchUser, kBenchPassword});
        };
        switch (transport) {
            case rpc::Transport::Tls:
                return std::make_unique<rpc::Client>(
                    rpc::Endpoint{transport, "127.0.0.1", secureServer->Port(), {}}, options,
                    rpc::TlsTrust{(secureDir / "ca.pem").string(), {}});
            case rpc::Transport::Local:
                return std::make_unique<rpc::Client>(
                    rpc::Endpoint{transport, {}, 0, (secureDir / "saldo.sock").string()}, options);
            case rpc::Transport::Tcp:
                break;
        }
        return std::make_unique<rpc::Client>(
            rpc::Endpoint{transport, "127.0.0.1", rpcServer->Port(), {}}, options);
    }
};

void RunShell(const std::string& command) {
    if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
}

struct ReadFigures {
    long rows = 0;
    double product = 0, reference = 0;
};

ReadFigures MeasureRead(Backend& backend, long rows, int pairs) {
    const std::string company = CompanyOfRows(rows);
    const std::string command = backend.shellCommand(company);
    rpc::Client client("127.0.0.1", backend.rpcServer->Port(), LongCalls());
    SignIn(client);
    platform::ClientDataSet set("cdsSaldForn");
    PrepareSet(client, set);
    ReadCompany(client, set, company);  // warms the caches on both sides
    RunShell(command);
    std::vector<double> product, reference;
    for (int i = 0; i < pairs; ++i) {
        auto start = Clock::now();
        ReadCompany(client, set, company);
        product.push_back(Seconds(start));
        start = Clock::now();
        RunShell(command);
        reference.push_back(Seconds(start));
    }
    return {set.RecordCount(), Median(product), Median(reference)};
}

// The client's memory, in a process of its own so that nothing of the server or of earlier
// measures is counted: prints "baseline rss peak" in kB.
int ClientMemoryMain(std::uint16_t port, const std::string& company) {
    rpc::Client client("127.0.0.1", port, LongCalls());
    SignIn(client);
    platform::ClientDataSet set("cdsSaldForn");
    PrepareSet(client, set);
    const long baseline = StatusKb("VmRSS");
    ReadCompany(client, set, company);
    std::printf("%ld %ld %ld\n", baseline, StatusKb("VmRSS"), StatusKb("VmHWM"));
    return set.RecordCount() > 0 ? 0 : 1;
}

struct MemoryFigures {
    long baselineKb = 0, rssKb = 0, peakKb = 0;
};

MemoryFigures MeasureClientMemory(Backend& backend, long rows) {
    const std::string command = std::filesystem::read_symlink("/proc/self/exe").string() +
                                " --client-memory " + std::to_string(backend.rpcServer->Port()) +
                                " " + CompanyOfRows(rows);
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) throw std::runtime_error("cannot run " + command);
    MemoryFigures m;
    const int read = std::fscanf(pipe, "%ld %ld %ld", &m.baselineKb, &m.rssKb, &m.peakKb);
    if (pclose(pipe) != 0 || read != 3) throw std::runtime_error("failed: " + command);
    return m;
}

json SaveRow(const std::string& company, const std::string& owner) {
    return {kSaveMonth, kSaveAccount, "", "", 0.01, "Sim", company, "F", owner, nullptr, nullptr};
}

struct SaveFigures {
    double save = 0, check = 0, checkAndSave = 0, bare = 0;
};

SaveFigures MeasureSave(Backend& backend, long rows, int saves) {
    const std::string company = CompanyOfRows(rows);
    RemoveSavedRows(backend.url, company);
    rpc::Client client("127.0.0.1", backend.rpcServer->Port());
    SignIn(client);
    const json fields = client.Call(kModule + "GetSaldComer", {"01", ""})["fields"];
    const auto bare = backend.bareCommit();
    const std::string keyPrefix = "bench-" + std::to_string(::getpid()) + "-" + company + "-";
    const auto save = [&](int n) {
        char owner[16];
        std::snprintf(owner, sizeof owner, "H%06d", n);
        const json delta = {
            {"fields", fields},
            {"changes", json::array({{{"kind", "inserted"}, {"new", SaveRow(company, owner)}}})}};
        client.Call(kModule + "SetSaldComer",
                    {company, "", delta, keyPrefix + std::to_string(n), "bench"});
    };
    const auto check = [&] {
        if (!client
                 .Call(kModule + "GetVdSaldoContCtbl",
                       {company, kSaveAccount, kSaveMonthText, 0.01})
                 .get<bool>())
            throw std::runtime_error("the balance check refused the save");
    };
    std::vector<double> saveMs, checkMs, checkAndSaveMs, bareMs;
    const auto ms = [](Clock::time_point since) {
        return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
    };
    for (int i = 0; i < saves + kWarmUpSaves; ++i) {
        char owner[16];
        std::snprintf(owner, sizeof owner, "R%06d", i + 1);
        auto start = Clock::now();
        bare->Insert(company, owner);
        const double bareOne = ms(start);
        start = Clock::now();
        save(2 * i + 1);
        const double saveOne = ms(start);
        start = Clock::now();
        check();
        const double checkOne = ms(start);
        save(2 * i + 2);
        const double bothOne = ms(start);
        if (i < kWarmUpSaves) continue;
        bareMs.push_back(bareOne);
        saveMs.push_back(saveOne);
        checkMs.push_back(checkOne);
        checkAndSaveMs.push_back(bothOne);
    }
    RemoveSavedRows(backend.url, company);
    return {Median(saveMs), Median(checkMs), Median(checkAndSaveMs), Median(bareMs)};
}

constexpr rpc::Transport kTransports[] = {rpc::Transport::Tcp, rpc::Transport::Tls,
                                          rpc::Transport::Local};

const char* TransportName(rpc::Transport transport) {
    switch (transport) {
        case rpc::Transport::Tls:
            return "TLS";
        case rpc::Transport::Local:
            return "local socket";
        case rpc::Transport::Tcp:
            break;
    }
    return "TCP (reference)";
}

struct TransportFigures {
    double read = 0, save = 0, connect = 0;
};

// Per transport, interleaved run by run: the company's read (s), a one-row save (ms), and a new
// connection with a balance check as its first call (ms).
std::vector<TransportFigures> MeasureTransports(Backend& backend, long rows, int pairs, int saves) {
    const std::string company = CompanyOfRows(rows);
    RemoveSavedRows(backend.url, company);
    struct Side {
        std::unique_ptr<rpc::Client> client;
        platform::ClientDataSet set{"cdsSaldForn"};
        std::vector<double> read, save, connect;
    };
    std::vector<Side> sides(std::size(kTransports));
    for (std::size_t t = 0; t < sides.size(); ++t) {
        sides[t].client = backend.ClientOver(kTransports[t], LongCalls());
        PrepareSet(*sides[t].client, sides[t].set);
        ReadCompany(*sides[t].client, sides[t].set, company);
    }
    for (int i = 0; i < pairs; ++i) {
        for (Side& side : sides) {
            const auto start = Clock::now();
            ReadCompany(*side.client, side.set, company);
            side.read.push_back(Seconds(start));
        }
    }
    const json fields = sides[0].client->Call(kModule + "GetSaldComer", {"01", ""})["fields"];
    const std::string keyPrefix = "bench-transport-" + std::to_string(::getpid()) + "-" + company;
    int owner = 0;
    for (int i = 0; i < saves + kWarmUpSaves; ++i) {
        for (std::size_t t = 0; t < sides.size(); ++t) {
            char code[16];
            std::snprintf(code, sizeof code, "H%06d", ++owner);
            const json delta = {
                {"fields", fields},
                {"changes",
                 json::array({{{"kind", "inserted"}, {"new", SaveRow(company, code)}}})}};
            auto start = Clock::now();
            sides[t].client->Call(kModule + "SetSaldComer",
                                  {company, "", delta, keyPrefix + "-" + code, "bench"});
            const double save =
                std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            start = Clock::now();
            const auto fresh = backend.ClientOver(kTransports[t]);
            fresh->Call(kModule + "GetVdSaldoContCtbl",
                        {company, kSaveAccount, kSaveMonthText, 0.01});
            const double connect =
                std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            if (i < kWarmUpSaves) continue;
            sides[t].save.push_back(save);
            sides[t].connect.push_back(connect);
        }
    }
    RemoveSavedRows(backend.url, company);
    std::vector<TransportFigures> figures;
    for (const Side& side : sides)
        figures.push_back({Median(side.read), Median(side.save), Median(side.connect)});
    return figures;
}

void ReportTransports(Backend& backend, long rows, int pairs, int saves) {
    std::printf(
        "\n## %s: transports, %ld rows read (%d runs), one-row save and new connection with its "
        "first call (%d each), interleaved, medians\n\n"
        "| transport | read s | read ratio | save ms | save ratio | connect + call ms | connect "
        "ratio | load at start | load at end |\n"
        "|---|---|---|---|---|---|---|---|---|\n",
        backend.name.c_str(), rows, pairs, saves);
    const std::string before = LoadAverage();
    const std::vector<TransportFigures> f = MeasureTransports(backend, rows, pairs, saves);
    const std::string after = LoadAverage();
    for (std::size_t t = 0; t < f.size(); ++t) {
        std::printf("| %s | %.3f | %.2fx | %.2f | %.2fx | %.2f | %.2fx | %s | %s |\n",
                    TransportName(kTransports[t]), f[t].read, f[t].read / f[0].read, f[t].save,
                    f[t].save / f[0].save, f[t].connect, f[t].connect / f[0].connect,
                    before.c_str(), after.c_str());
    }
    std::fflush(stdout);
}

void Report(Backend& backend, const std::vector<long>& sizes, int pairs) {
    std::printf("\n## %s: GetSaldComer end to end (call + record set) vs %s, %d pairs, medians\n\n",
                backend.name.c_str(), backend.name == "SQLite" ? "sqlite3 shell" : "psql", pairs);
    std::printf(
        "| rows | product s | reference s | ratio | us/row | us/row vs %s | load at start | load "
        "at end |\n|---|---|---|---|---|---|---|---|\n",
        Rows(sizes.front()).c_str());
    double firstPerRow = 0, lastChange = 0;
    for (const long size : sizes) {
        const std::string before = LoadAverage();
        const ReadFigures r = MeasureRead(backend, size, pairs);
        const double perRow = r.product * 1e6 / static_cast<double>(r.rows);
        if (firstPerRow == 0) firstPerRow = perRow;
        lastChange = perRow / firstPerRow - 1;
        std::printf("| %ld | %.3f | %.3f | %.2fx | %.2f | %+.0f%% | %s | %s |\n", r.rows, r.product,
                    r.reference, r.product / r.reference, perRow, lastChange * 100, before.c_str(),
                    LoadAverage().c_str());
        std::fflush(stdout);
    }
    if (sizes.size() > 1)
        std::printf("\nPer-row time %s -> %s: %+.0f%%, flat within +-20%%: %s\n",
                    Rows(sizes.front()).c_str(), Rows(sizes.back()).c_str(), lastChange * 100,
                    std::abs(lastChange) <= 0.2 ? "yes" : "no");

    std::printf(
        "\n## %s: client memory holding the record set, connection open (own process)\n\n"
        "| rows | packet bytes | before the call MB | resident MB | resident / packet | added / "
        "packet | peak MB | peak / packet | load at start | load at end |\n"
        "|---|---|---|---|---|---|---|---|---|---|\n",
        backend.name.c_str());
    for (const long size : sizes) {
        const std::string before = LoadAverage();
        const std::size_t packetBytes =
            backend.service->GetSaldComer(CompanyOfRows(size), core::BalanceKind::Suppliers).size();
        const double packetMb = static_cast<double>(packetBytes) / 1e6;
        const MemoryFigures m = MeasureClientMemory(backend, size);
        // MB of 10^6 bytes throughout, as the packet's.
        const double rssMb = static_cast<double>(m.rssKb) * 1024 / 1e6;
        const double peakMb = static_cast<double>(m.peakKb) * 1024 / 1e6;
        const double baselineMb = static_cast<double>(m.baselineKb) * 1024 / 1e6;
        std::printf("| %ld | %zu | %.1f | %.1f | %.2fx | %.2fx | %.1f | %.2fx | %s | %s |\n", size,
                    packetBytes, baselineMb, rssMb, rssMb / packetMb,
                    (rssMb - baselineMb) / packetMb, peakMb, peakMb / packetMb, before.c_str(),
                    LoadAverage().c_str());
        std::fflush(stdout);
    }
}

void ReportSaves(Backend& backend, const std::vector<long>& sizes, int saves) {
    std::printf(
        "\n## %s: keyed one-row save vs a bare transaction writing the same three rows, "
        "alternated call by call, %d saves, p50\n\n"
        "| company rows | save ms | check ms | check + save ms | bare commit ms | save ratio | "
        "check + save ratio | save vs %s | load at start | load at end |\n"
        "|---|---|---|---|---|---|---|---|---|---|\n",
        backend.name.c_str(), saves, Rows(sizes.front()).c_str());
    double smallest = 0;
    for (const long size : sizes) {
        if (size == 100000 && sizes.size() > 1) continue;  // the two ends say it
        const std::string before = LoadAverage();
        const SaveFigures s = MeasureSave(backend, size, saves);
        if (smallest == 0) smallest = s.save;
        std::printf("| %ld | %.2f | %.2f | %.2f | %.2f | %.2fx | %.2fx | %.2fx | %s | %s |\n", size,
                    s.save, s.check, s.checkAndSave, s.bare, s.save / s.bare,
                    s.checkAndSave / s.bare, s.save / smallest, before.c_str(),
                    LoadAverage().c_str());
        std::fflush(stdout);
    }
}

int BenchMain() {
    const std::vector<long> sizes = Sizes();
    const int pairs = std::stoi(Env("SALDO_BENCH_PAIRS", "5"));
    const int saves = std::stoi(Env("SALDO_BENCH_SAVES", "200"));
    const bool savesOnly = Env("SALDO_BENCH_ONLY", "") == "saves";
    std::vector<std::unique_ptr<Backend>> backends;

    const std::string path = Env("SALDO_BENCH_DB", "/tmp/saldo-bench.db");
    auto sqlite = std::make_unique<Backend>();
    sqlite->name = "SQLite";
    sqlite->url = "sqlite:" + path;
    sqlite->shellCommand = [path](const std::string& company) {
        return "sqlite3 " + path + " \"" + ShellSelect(company) + "\" > /dev/null";
    };
    sqlite->bareCommit = [path] { return std::make_unique<SqliteCommit>(path); };
    backends.push_back(std::move(sqlite));

    const std::string pgUrl = Env("SALDO_BENCH_PG", "");
    if (!pgUrl.empty()) {
        auto pg = std::make_unique<Backend>();
        pg->name = "PostgreSQL";
        pg->url = pgUrl;
        pg->shellCommand = [info = ConnInfo(pgUrl)](const std::string& company) {
            return "psql -X -q -A -t -d \"" + info + "\" -c \"" + ShellSelect(company) +
                   "\" > /dev/null";
        };
        pg->bareCommit = [pgUrl] { return std::make_unique<PostgresCommit>(pgUrl); };
        backends.push_back(std::move(pg));
    }

    std::printf("bench-server: sizes");
    for (const long size : sizes) std::printf(" %ld", size);
    std::printf(", %d read pairs, %d saves; load average %s\n", pairs, saves,
                LoadAverage().c_str());
    for (auto& backend : backends) {
        EnsureDatabase(backend->url, sizes, saves);
        backend->Start();
        if (savesOnly) {
            ReportSaves(*backend, sizes, saves);
            continue;
        }
        Report(*backend, sizes, pairs);
        ReportSaves(*backend, sizes, saves);
        backend->StartSecure();
        // Each save takes a supplier of its own, three transports a round.
        const int transportSaves = std::min(100, 2 * (saves + kWarmUpSaves) / 3 - kWarmUpSaves);
        ReportTransports(*backend, sizes.back(), pairs, transportSaves);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        if (argc == 4 && std::string(argv[1]) == "--client-memory")
            return ClientMemoryMain(static_cast<std::uint16_t>(std::stoi(argv[2])), argv[3]);
        return BenchMain();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench-server: %s\n", e.what());
        return 1;
    }
}

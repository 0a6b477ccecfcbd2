// saldo-server: creates the business database (init), serves the remote module
// "Rdq63500.rdmSaldComer" over JSON-RPC (serve) until SIGTERM, and prints the audit trail
// (audit).
#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <thread>

#include "core/MessageText.h"
#include "db/Connection.h"
#include "db/ConnectionPool.h"
#include "db/CreateDatabase.h"
#include "db/DemoData.h"
#include "db/RedactedUrl.h"
#include "db/Schema.h"
#include "rpc/Server.h"
#include "server/AuditReport.h"
#include "server/Import.h"
#include "server/Methods.h"
#include "server/SaldoService.h"
#include "server/TieOutReport.h"

namespace {

constexpr const char* kDefaultDb = "sqlite:data/saldo.db";
constexpr const char* kDefaultListen = "127.0.0.1:47630";

void LogLine(const std::string& line) {
    const std::string text = "saldo-server: " + line + "\n";
    std::fputs(text.c_str(), stderr);
}

int Init(const std::string& url, bool demo, long long scale) {
    if (db::CreateDatabaseIfMissing(url)) {
        LogLine("banco de dados criado em " + db::RedactedUrl(url));
    }
    auto connection = db::Connection::Open(url);
    db::CreateSchema(*connection);
    LogLine("tabelas criadas em " + db::RedactedUrl(url));
    if (demo) {
        LogLine(db::LoadDemoData(*connection) ? "dados de demonstração gravados"
                                              : "o banco já tem empresas; dados de demonstração "
                                                "não gravados");
    }
    if (scale > 0) {
        const long long sizes[] = {scale, scale / 10, scale / 100};
        const char* codes[] = {"99", "98", "97"};
        for (int i = 0; i < 3; ++i) {
            if (sizes[i] <= 0) continue;
            db::LoadScaleCompany(*connection, codes[i],
                                 "Empresa de Grande Porte " + std::to_string(sizes[i]), sizes[i]);
            LogLine("empresa " + std::string(codes[i]) + " com " + std::to_string(sizes[i]) +
                    " saldos de fornecedores");
        }
    }
    return 0;
}

int Audit(const std::string& url, const server::AuditFilter& filter, const std::string& format) {
    const server::AuditFormat chosen = format == "csv"    ? server::AuditFormat::Csv
                                       : format == "json" ? server::AuditFormat::Json
                                                          : server::AuditFormat::Table;
    auto connection = db::Connection::Open(url);
    const std::size_t count = server::PrintAudit(*connection, filter, chosen, std::cout);
    std::cout.flush();
    if (chosen == server::AuditFormat::Table)
        LogLine(std::to_string(count) + (count == 1 ? " linha" : " linhas") + " de auditoria");
    return 0;
}

int Serve(const std::string& url, const std::string& listen, const rpc::ServerOptions& options,
          const server::ServiceOptions& serviceOptions) {
    const std::size_t colon = listen.rfind(':');
    std::string host = colon == std::string::npos ? listen : listen.substr(0, colon);
    if (host.empty()) host = "127.0.0.1";
    int port = 47630;
    if (colon != std::string::npos) {
        try {
            port = std::stoi(listen.substr(colon + 1));
        } catch (const std::exception&) {
            port = -1;
        }
    }
    if (port < 0 || port > 65535) {
        LogLine("porta inválida em --listen " + listen);
        return 2;
    }
    {
        // A database made by an older version gets the tables added since (request keys,
        // audit trail); the rest is left as it is.
        auto connection = db::Connection::Open(url);
        db::CreateSchema(*connection);
    }
    db::ConnectionPool pool(url, options.threads);
    server::SaldoService service(pool, serviceOptions);
    rpc::Dispatcher dispatcher;
    server::RegisterMethods(dispatcher, service, LogLine);
    rpc::Server server(dispatcher, options);
    server.Listen(host, static_cast<std::uint16_t>(port));
    server.StopOnSignals();
    server.Start();
    LogLine("servindo " + std::string(server::kServerName) + " em " + host + ":" +
            std::to_string(server.Port()) + " (" + db::RedactedUrl(url) + ")");
    server.Wait();
    LogLine("encerrado");
    return 0;
}

int ReportTieOut(const std::string& url, const std::string& company, const std::string& kindCode,
                 const std::string& format) {
    auto connection = db::Connection::Open(url);
    server::BalanceStore store(*connection);
    const core::TieOut tieOut =
        server::BuildTieOut(store, company, *core::TieOutKindOfCode(kindCode));
    const std::string text = format == "csv" ? core::TieOutCsv(tieOut) : core::TieOutTable(tieOut);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

// Reads at most one byte beyond the limit, so that a larger file is refused without being read.
std::string ReadBounded(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) throw core::Error("Não foi possível abrir o arquivo " + path + ".");
    std::string bytes;
    char buffer[65536];
    std::size_t n = 0;
    while (bytes.size() <= server::kMaxImportBytes &&
           (n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, n);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) throw core::Error("Falha ao ler o arquivo " + path + ".");
    return bytes;
}

int Import(const std::string& url, const std::string& company, const std::string& kindCode,
           const std::string& path, bool dryRun) {
    const std::string bytes = ReadBounded(path);
    auto connection = db::Connection::Open(url);
    // The audit trail names who ran the command, as a desktop names its user.
    const char* const user = std::getenv("USER");
    const server::AuditOrigin origin{
        {}, "linha de comando", core::Shortened(user ? user : "", 64), {}};
    const server::ImportReport report = server::ImportBalances(
        *connection, company, **core::TieOutKindOfCode(kindCode), bytes, dryRun, origin);
    const std::string text = server::ImportReportText(report);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
    return report.refusals.empty() ? 0 : 3;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Servidor de aplicação do Saldo Comercial"};
    app.require_subcommand(1);

    std::string initDb = kDefaultDb;
    bool demo = false;
    long long scale = 0;
    CLI::App* init = app.add_subcommand("init", "Cria as tabelas (e os dados de demonstração)");
    init->add_option("--db", initDb,
                     "sqlite:CAMINHO, postgresql://..., firebird:CAMINHO ou firebird://...")
        ->capture_default_str()
        ->envname("SALDO_DB");
    init->add_flag("--demo", demo, "Grava os dados de demonstração")->envname("SALDO_DEMO");
    init->add_option("--scale", scale,
                     "Gera as empresas 99, 98 e 97 com N, N/10 e N/100 saldos (benchmarks)")
        ->check(CLI::NonNegativeNumber);

    std::string serveDb = kDefaultDb;
    std::string listen = kDefaultListen;
    rpc::ServerOptions options;
    options.threads = std::max(4u, std::thread::hardware_concurrency());
    double readTimeout = 60, writeTimeout = 60, idleTimeout = 600;
    CLI::App* serve = app.add_subcommand("serve", "Atende as chamadas até receber SIGTERM");
    serve
        ->add_option("--db", serveDb,
                     "sqlite:CAMINHO, postgresql://..., firebird:CAMINHO ou firebird://...")
        ->capture_default_str()
        ->envname("SALDO_DB");
    serve->add_option("--listen", listen, "HOST:PORTA")
        ->capture_default_str()
        ->envname("SALDO_LISTEN");
    serve->add_option("--threads", options.threads, "Chamadas atendidas ao mesmo tempo")
        ->capture_default_str()
        ->check(CLI::Range(1, 256));
    serve
        ->add_option("--max-request", options.maxRequestBytes,
                     "Maior requisição aceita, em bytes (uma maior é recusada e descartada)")
        ->capture_default_str()
        ->envname("SALDO_MAX_REQUEST")
        ->check(CLI::Range(std::size_t{1024}, std::size_t{1} << 34));
    serve
        ->add_option("--max-reply", options.maxReplyBytes,
                     "Maior resposta enviada, em bytes (uma maior vira um erro)")
        ->capture_default_str()
        ->envname("SALDO_MAX_REPLY")
        ->check(CLI::Range(std::size_t{1024}, std::size_t{1} << 34));
    serve->add_option("--max-connections", options.maxConnections, "Máximo de conexões abertas")
        ->capture_default_str()
        ->envname("SALDO_MAX_CONNECTIONS")
        ->check(CLI::Range(1, 100000));
    serve
        ->add_option("--max-connections-per-address", options.maxConnectionsPerPeer,
                     "Máximo de conexões abertas de um mesmo endereço")
        ->capture_default_str()
        ->envname("SALDO_MAX_CONNECTIONS_PER_ADDRESS")
        ->check(CLI::Range(1, 100000));
    serve
        ->add_option("--read-timeout", readTimeout,
                     "Segundos para receber uma mensagem, do primeiro byte ao fim")
        ->capture_default_str()
        ->envname("SALDO_READ_TIMEOUT")
        ->check(CLI::Range(0.001, 31536000.0));
    serve->add_option("--write-timeout", writeTimeout, "Segundos para enviar uma resposta")
        ->capture_default_str()
        ->envname("SALDO_WRITE_TIMEOUT")
        ->check(CLI::Range(0.001, 31536000.0));
    serve->add_option("--idle-timeout", idleTimeout, "Segundos até fechar uma conexão ociosa")
        ->capture_default_str()
        ->envname("SALDO_IDLE_TIMEOUT")
        ->check(CLI::Range(0.001, 31536000.0));

    std::string reportDb = kDefaultDb, reportCompany, reportKind, reportFormat = "table";
    CLI::App* report = app.add_subcommand("report", "Relatórios");
    report->require_subcommand(1);
    CLI::App* tieOut = report->add_subcommand(
        "conferencia", "Conferência com a contabilidade: saldos implantados e saldo contábil");
    tieOut
        ->add_option("--db", reportDb,
                     "sqlite:CAMINHO, postgresql://..., firebird:CAMINHO ou firebird://...")
        ->capture_default_str()
        ->envname("SALDO_DB");
    tieOut->add_option("--company", reportCompany, "Código da empresa")->required();
    tieOut
        ->add_option("--kind", reportKind,
                     "F (fornecedores), C (clientes) ou B (bancos); todos se omitido")
        ->check(CLI::IsMember({"F", "C", "B"}));
    tieOut->add_option("--format", reportFormat, "table (tabela) ou csv")
        ->capture_default_str()
        ->check(CLI::IsMember({"table", "csv"}));

    std::string importDb = kDefaultDb, importCompany, importKind, importFile;
    bool dryRun = false;
    CLI::App* import = app.add_subcommand(
        "import", "Importa saldos de um arquivo CSV (tudo ou nada; --dry-run só simula)");
    import
        ->add_option("--db", importDb,
                     "sqlite:CAMINHO, postgresql://..., firebird:CAMINHO ou firebird://...")
        ->capture_default_str()
        ->envname("SALDO_DB");
    import->add_option("--company", importCompany, "Código da empresa")->required();
    import->add_option("--kind", importKind, "F (fornecedores), C (clientes) ou B (bancos)")
        ->required()
        ->check(CLI::IsMember({"F", "C", "B"}));
    import->add_option("--file", importFile, "Arquivo CSV separado por \";\"")->required();
    import->add_flag("--dry-run", dryRun, "Mostra o que seria feito, sem gravar nada");
    double keyDays = 7;
    serve
        ->add_option("--key-days", keyDays,
                     "Dias em que a chave de uma gravação é lembrada para responder a uma "
                     "repetição")
        ->capture_default_str()
        ->envname("SALDO_KEY_DAYS")
        ->check(CLI::Range(0.001, 3650.0));

    std::string auditDb = kDefaultDb;
    std::string auditFormat = "table";
    std::string auditCompany, auditSince;
    CLI::App* audit = app.add_subcommand("audit", "Mostra a trilha de auditoria dos saldos");
    audit
        ->add_option("--db", auditDb,
                     "sqlite:CAMINHO, postgresql://..., firebird:CAMINHO ou firebird://...")
        ->capture_default_str()
        ->envname("SALDO_DB");
    audit->add_option("--company", auditCompany, "Só a empresa C");
    audit->add_option("--since", auditSince, "Só a partir da data AAAA-MM-DD (UTC)")
        ->check([](const std::string& text) {
            return server::IsIsoDate(text) ? std::string()
                                           : "data inválida: use AAAA-MM-DD, por exemplo "
                                             "2025-01-31";
        });
    audit->add_option("--format", auditFormat, "table, csv ou json")
        ->capture_default_str()
        ->check(CLI::IsMember({"table", "csv", "json"}));

    CLI11_PARSE(app, argc, argv);
    try {
        if (*init) return Init(initDb, demo, scale);
        if (*import) return Import(importDb, importCompany, importKind, importFile, dryRun);
        if (*report) return ReportTieOut(reportDb, reportCompany, reportKind, reportFormat);
        if (*audit) {
            server::AuditFilter filter;
            if (!auditCompany.empty()) filter.company = auditCompany;
            if (!auditSince.empty()) filter.since = auditSince;
            return Audit(auditDb, filter, auditFormat);
        }
        const auto milliseconds = [](double seconds) {
            return std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
        };
        options.readTimeout = milliseconds(readTimeout);
        options.writeTimeout = milliseconds(writeTimeout);
        options.idleTimeout = milliseconds(idleTimeout);
        server::ServiceOptions serviceOptions;
        serviceOptions.keyLifetime =
            std::chrono::seconds(static_cast<long long>(keyDays * 24 * 3600));
        return Serve(serveDb, listen, options, serviceOptions);
    } catch (const std::exception& e) {
        LogLine(std::string("erro: ") + e.what());
        return 1;
    }
}

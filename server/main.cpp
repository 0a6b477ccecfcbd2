// saldo-server: creates the business database and its first administrator (init), serves the
// remote module "Rdq63500.rdmSaldComer" over JSON-RPC (serve) until SIGTERM to identified
// users, administers those users (user), prints the audit trail (audit), and checks the implanted
// totals the balance check reads (totals).
#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <thread>

#include "core/Error.h"
#include "core/MessageText.h"
#include "db/Connection.h"
#include "db/ConnectionPool.h"
#include "db/CreateDatabase.h"
#include "db/DemoData.h"
#include "db/RedactedUrl.h"
#include "db/Schema.h"
#include "rpc/Server.h"
#include "server/AuditReport.h"
#include "server/Identification.h"
#include "server/Import.h"
#include "server/Methods.h"
#include "server/SaldoService.h"
#include "server/TieOutReport.h"
#include "server/TotalsCheck.h"
#include "server/UserCommands.h"
#include "server/Users.h"

namespace {

constexpr const char* kDefaultDb = "sqlite:data/saldo.db";
constexpr const char* kDefaultListen = "127.0.0.1:47630";

// A command: its subcommand on the command line, and what runs when the line names it.
struct Command {
    const CLI::App* parsed;
    std::function<int()> run;
};

void AddDbOption(CLI::App& command, std::string& url) {
    command
        .add_option("--db", url,
                    "sqlite:CAMINHO, postgresql://..., firebird:CAMINHO ou firebird://...")
        ->capture_default_str()
        ->envname("SALDO_DB");
}

void AddCompanyOption(CLI::App& command, std::string& company) {
    command.add_option("--company", company, "Código da empresa")->required();
}

void LogLine(const std::string& line) {
    const std::string text = "saldo-server: " + line + "\n";
    std::fputs(text.c_str(), stderr);
}

int Init(const std::string& url, bool demo, long long scale, const std::string& admin) {
    if (db::CreateDatabaseIfMissing(url)) {
        LogLine("banco de dados criado em " + db::RedactedUrl(url));
    }
    auto connection = db::Connection::Open(url);
    db::CreateSchema(*connection);
    LogLine("tabelas criadas em " + db::RedactedUrl(url));
    if (const auto created = server::CreateFirstAdministrator(*connection, admin)) {
        LogLine("administrador " + *created +
                " criado (lançamento em todas as empresas; sem senha, entra pelo soquete local até "
                "ter uma: saldo-server user password " +
                *created + ")");
    }
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

// Where and how `serve` listens.
struct Listening {
    std::string address;
    std::string socket;
    std::string tlsCertificate, tlsKey;
};

bool IsLoopback(const std::string& host) {
    return host == "localhost" || host == "::1" || host == "[::1]" || host.rfind("127.", 0) == 0;
}

int Serve(const std::string& url, const Listening& listening, const rpc::ServerOptions& options,
          const server::ServiceOptions& serviceOptions) {
    const std::string& listen = listening.address;
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
    const bool tls = !listening.tlsCertificate.empty();
    if (tls != !listening.tlsKey.empty()) {
        LogLine("informe --tls-cert e --tls-key juntos");
        return 2;
    }
    // Passwords and balances never cross the network in plain text.
    if (!tls && !IsLoopback(host)) {
        LogLine("o endereço " + host +
                " não é local: para atender pela rede, informe --tls-cert e --tls-key (crie-os "
                "com scripts/make-certificates.sh)");
        return 2;
    }
    {
        // A database made by an older version gets the tables added since (request keys,
        // audit trail); the rest is left as it is.
        auto connection = db::Connection::Open(url);
        db::CreateSchema(*connection);
        if (server::Users(*connection).None())
            LogLine(
                "nenhum usuário cadastrado: nenhuma chamada será atendida até que saldo-server "
                "init crie o administrador ou saldo-server user add crie um usuário");
    }
    db::ConnectionPool pool(url, options.threads);
    server::SaldoService service(pool, serviceOptions);
    rpc::Dispatcher dispatcher;
    server::Identification identification(pool, LogLine);
    identification.Register(dispatcher);
    server::RegisterMethods(dispatcher, service, identification, LogLine);
    rpc::Server server(dispatcher, options);
    // The local socket first: once the port answers, both are there.
    if (!listening.socket.empty()) server.ListenLocal(listening.socket);
    if (tls) {
        server.ListenTls(host, static_cast<std::uint16_t>(port), listening.tlsCertificate,
                         listening.tlsKey);
    } else {
        server.Listen(host, static_cast<std::uint16_t>(port));
    }
    server.StopOnSignals();
    server.Start();
    LogLine("servindo " + std::string(server::kServerName) + " em " + host + ":" +
            std::to_string(server.Port()) + (tls ? " (TLS)" : "") +
            (listening.socket.empty() ? "" : " e no soquete local " + listening.socket) + " (" +
            db::RedactedUrl(url) + ")");
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

Command AddInit(CLI::App& app) {
    struct Options {
        std::string db = kDefaultDb;
        bool demo = false;
        long long scale = 0;
        std::string admin;
    };
    const auto o = std::make_shared<Options>();
    CLI::App* init = app.add_subcommand("init", "Cria as tabelas (e os dados de demonstração)");
    AddDbOption(*init, o->db);
    init->add_flag("--demo", o->demo, "Grava os dados de demonstração")->envname("SALDO_DEMO");
    init->add_option("--scale", o->scale,
                     "Gera as empresas 99, 98 e 97 com N, N/10 e N/100 saldos (benchmarks)")
        ->check(CLI::NonNegativeNumber);
    init->add_option("--admin", o->admin,
                     "Nome do primeiro administrador, criado quando não há usuários (padrão: o "
                     "usuário do sistema que roda o comando)");
    return {init, [o] { return Init(o->db, o->demo, o->scale, o->admin); }};
}

Command AddServe(CLI::App& app) {
    struct Options {
        std::string db = kDefaultDb;
        Listening listening{kDefaultListen, {}, {}, {}};
        rpc::ServerOptions server;
        double readTimeout = 60, writeTimeout = 60, idleTimeout = 600;
        double keyDays = 7;
        std::string proxyFrom;
    };
    const auto o = std::make_shared<Options>();
    o->server.threads = std::max(4u, std::thread::hardware_concurrency());
    CLI::App* serve = app.add_subcommand("serve", "Atende as chamadas até receber SIGTERM");
    AddDbOption(*serve, o->db);
    serve
        ->add_option("--listen", o->listening.address,
                     "HOST:PORTA (fora da própria máquina só com --tls-cert e --tls-key)")
        ->capture_default_str()
        ->envname("SALDO_LISTEN");
    serve
        ->add_option("--socket", o->listening.socket,
                     "Atende também no soquete local CAMINHO, identificando cada conexão pelo "
                     "usuário do sistema")
        ->envname("SALDO_SOCKET");
    serve->add_option("--tls-cert", o->listening.tlsCertificate, "Certificado do servidor (PEM)")
        ->envname("SALDO_TLS_CERT");
    serve->add_option("--tls-key", o->listening.tlsKey, "Chave privada do certificado (PEM)")
        ->envname("SALDO_TLS_KEY");
    serve->add_option("--threads", o->server.threads, "Chamadas atendidas ao mesmo tempo")
        ->capture_default_str()
        ->check(CLI::Range(1, 256));
    serve
        ->add_option("--max-request", o->server.maxRequestBytes,
                     "Maior requisição aceita, em bytes (uma maior é recusada e descartada)")
        ->capture_default_str()
        ->envname("SALDO_MAX_REQUEST")
        ->check(CLI::Range(std::size_t{1024}, std::size_t{1} << 34));
    serve
        ->add_option("--max-reply", o->server.maxReplyBytes,
                     "Maior resposta enviada, em bytes (uma maior vira um erro)")
        ->capture_default_str()
        ->envname("SALDO_MAX_REPLY")
        ->check(CLI::Range(std::size_t{1024}, std::size_t{1} << 34));
    serve->add_option("--max-connections", o->server.maxConnections, "Máximo de conexões abertas")
        ->capture_default_str()
        ->envname("SALDO_MAX_CONNECTIONS")
        ->check(CLI::Range(1, 100000));
    serve
        ->add_option("--max-connections-per-address", o->server.maxConnectionsPerPeer,
                     "Máximo de conexões abertas de um mesmo endereço")
        ->capture_default_str()
        ->envname("SALDO_MAX_CONNECTIONS_PER_ADDRESS")
        ->check(CLI::Range(1, 100000));
    const auto addSeconds = [&](const char* name, double& value, const char* help,
                                const char* env) {
        serve->add_option(name, value, help)
            ->capture_default_str()
            ->envname(env)
            ->check(CLI::Range(0.001, 31536000.0));
    };
    addSeconds("--read-timeout", o->readTimeout,
               "Segundos para receber uma mensagem, do primeiro byte ao fim", "SALDO_READ_TIMEOUT");
    addSeconds("--write-timeout", o->writeTimeout, "Segundos para enviar uma resposta",
               "SALDO_WRITE_TIMEOUT");
    addSeconds("--idle-timeout", o->idleTimeout, "Segundos até fechar uma conexão ociosa",
               "SALDO_IDLE_TIMEOUT");
    serve
        ->add_option("--proxy-from", o->proxyFrom,
                     "Endereços (IPv4 ou IPv6, com /BITS opcional, separados por vírgula) de "
                     "balanceadores cujas conexões começam com o cabeçalho PROXY (HAProxy "
                     "send-proxy); o endereço do cliente que ele indica vale para o limite por "
                     "endereço, a auditoria e o registro")
        ->envname("SALDO_PROXY_FROM");
    serve
        ->add_option("--key-days", o->keyDays,
                     "Dias em que a chave de uma gravação é lembrada para responder a uma "
                     "repetição")
        ->capture_default_str()
        ->envname("SALDO_KEY_DAYS")
        ->check(CLI::Range(0.001, 3650.0));
    return {serve, [o] {
                const auto milliseconds = [](double seconds) {
                    return std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
                };
                rpc::ServerOptions options = o->server;
                options.readTimeout = milliseconds(o->readTimeout);
                options.writeTimeout = milliseconds(o->writeTimeout);
                options.idleTimeout = milliseconds(o->idleTimeout);
                if (!o->proxyFrom.empty()) {
                    try {
                        options.proxies = rpc::ParseProxyNetworks(o->proxyFrom, "--proxy-from");
                    } catch (const core::Error& e) {
                        LogLine(e.what());
                        return 2;
                    }
                }
                server::ServiceOptions serviceOptions;
                serviceOptions.keyLifetime =
                    std::chrono::seconds(static_cast<long long>(o->keyDays * 24 * 3600));
                return Serve(o->db, o->listening, options, serviceOptions);
            }};
}

Command AddReport(CLI::App& app) {
    struct Options {
        std::string db = kDefaultDb, company, kind, format = "table";
    };
    const auto o = std::make_shared<Options>();
    CLI::App* report = app.add_subcommand("report", "Relatórios");
    report->require_subcommand(1);
    CLI::App* tieOut = report->add_subcommand(
        "conferencia", "Conferência com a contabilidade: saldos implantados e saldo contábil");
    AddDbOption(*tieOut, o->db);
    AddCompanyOption(*tieOut, o->company);
    tieOut
        ->add_option("--kind", o->kind,
                     "F (fornecedores), C (clientes) ou B (bancos); todos se omitido")
        ->check(CLI::IsMember({"F", "C", "B"}));
    tieOut->add_option("--format", o->format, "table (tabela) ou csv")
        ->capture_default_str()
        ->check(CLI::IsMember({"table", "csv"}));
    return {report, [o] { return ReportTieOut(o->db, o->company, o->kind, o->format); }};
}

Command AddImport(CLI::App& app) {
    struct Options {
        std::string db = kDefaultDb, company, kind, file;
        bool dryRun = false;
    };
    const auto o = std::make_shared<Options>();
    CLI::App* import = app.add_subcommand(
        "import", "Importa saldos de um arquivo CSV (tudo ou nada; --dry-run só simula)");
    AddDbOption(*import, o->db);
    AddCompanyOption(*import, o->company);
    import->add_option("--kind", o->kind, "F (fornecedores), C (clientes) ou B (bancos)")
        ->required()
        ->check(CLI::IsMember({"F", "C", "B"}));
    import->add_option("--file", o->file, "Arquivo CSV separado por \";\"")->required();
    import->add_flag("--dry-run", o->dryRun, "Mostra o que seria feito, sem gravar nada");
    return {import, [o] { return Import(o->db, o->company, o->kind, o->file, o->dryRun); }};
}

Command AddAudit(CLI::App& app) {
    struct Options {
        std::string db = kDefaultDb, format = "table", company, since;
    };
    const auto o = std::make_shared<Options>();
    CLI::App* audit = app.add_subcommand("audit", "Mostra a trilha de auditoria dos saldos");
    AddDbOption(*audit, o->db);
    audit->add_option("--company", o->company, "Só a empresa C");
    audit->add_option("--since", o->since, "Só a partir da data AAAA-MM-DD (UTC)")
        ->check([](const std::string& text) {
            return server::IsIsoDate(text) ? std::string()
                                           : "data inválida: use AAAA-MM-DD, por exemplo "
                                             "2025-01-31";
        });
    audit->add_option("--format", o->format, "table, csv ou json")
        ->capture_default_str()
        ->check(CLI::IsMember({"table", "csv", "json"}));
    return {audit, [o] {
                server::AuditFilter filter;
                if (!o->company.empty()) filter.company = o->company;
                if (!o->since.empty()) filter.since = o->since;
                return Audit(o->db, filter, o->format);
            }};
}

Command AddTotals(CLI::App& app) {
    struct Options {
        std::string db = kDefaultDb;
        bool fix = false;
    };
    const auto o = std::make_shared<Options>();
    CLI::App* totals = app.add_subcommand(
        "totals",
        "Confere os totais implantados por empresa, conta e mês com os saldos (sai com 1 se "
        "algum difere)");
    AddDbOption(*totals, o->db);
    totals->add_flag("--fix", o->fix,
                     "Regrava todos os totais a partir dos saldos, se algum difere");
    return {totals, [o] {
                auto connection = db::Connection::Open(o->db);
                db::CreateSchema(*connection);
                const std::size_t differences = server::CheckTotals(*connection, o->fix, std::cout);
                std::cout.flush();
                return differences == 0 ? 0 : 1;
            }};
}

Command AddUser(CLI::App& app) {
    struct Options {
        // One per subcommand: CLI11 fills an option from SALDO_DB in every subcommand, parsed
        // or not, so a shared one would take the environment's over the command line's.
        std::map<std::string, std::string> db;
        server::UserCommand command;
    };
    const auto o = std::make_shared<Options>();
    CLI::App* user = app.add_subcommand("user", "Administra os usuários do servidor");
    user->require_subcommand(1);
    const auto add = [&](const char* action, const char* help, bool named) {
        CLI::App* sub = user->add_subcommand(action, help);
        o->db[action] = kDefaultDb;
        AddDbOption(*sub, o->db[action]);
        if (named) sub->add_option("NOME", o->command.name, "Nome do usuário")->required();
        sub->callback([o, action] { o->command.action = action; });
        return sub;
    };
    CLI::App* added = add("add", "Cria um usuário", true);
    added->add_flag("--password-stdin", o->command.passwordFromInput,
                    "Lê a senha (ao menos 8 caracteres) da entrada padrão");
    added->add_option("--right", o->command.rights,
                      "EMPRESA=consulta ou EMPRESA=lançamento (EMPRESA * vale para todas)");
    add("password", "Troca a senha, lida da entrada padrão", true);
    add("list", "Lista os usuários", false);
    add("lock", "Bloqueia o usuário (vale na próxima chamada)", true);
    add("unlock", "Desbloqueia o usuário", true);
    add("remove", "Remove o usuário e seus direitos", true);
    add("rights", "Substitui os direitos do usuário", true)
        ->add_option("DIREITO", o->command.rights, "EMPRESA=consulta ou EMPRESA=lançamento");
    return {user, [o] {
                auto connection = db::Connection::Open(o->db.at(o->command.action));
                db::CreateSchema(*connection);
                server::RunUserCommand(*connection, o->command, std::cin, std::cout);
                std::cout.flush();
                return 0;
            }};
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Servidor de aplicação do Saldo Comercial"};
    app.require_subcommand(1);
    const Command commands[] = {AddInit(app),  AddServe(app),  AddReport(app), AddImport(app),
                                AddAudit(app), AddTotals(app), AddUser(app)};
    CLI11_PARSE(app, argc, argv);
    try {
        for (const Command& command : commands) {
            if (*command.parsed) return command.run();
        }
        return 0;
    } catch (const std::exception& e) {
        LogLine(std::string("erro: ") + e.what());
        return 1;
    }
}

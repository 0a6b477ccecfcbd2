// The demonstration data. Values are deterministic, so tests can rely on them; ledger
// balances are made to cover the implanted balances, leaving room for a few more.
#include "db/DemoData.h"

#include <soci/soci.h>

#include <cstdio>
#include <map>
#include <optional>
#include <tuple>
#include <vector>

#include "core/Calendar.h"
#include "db/Connection.h"
#include "db/DbError.h"
#include "db/Schema.h"

namespace db {

namespace {

using soci::use;

struct Account {
    const char* code;
    const char* reduced;
    const char* name;
    const char* level;
    const char* type;                 // 'A' analytic, 'S' synthetic
    std::optional<const char*> kind;  // commercial type: F, C, B or none
};

const Account kAccounts[] = {
    {"1", "1", "ATIVO", "1", "S", std::nullopt},
    {"1.1", "2", "ATIVO CIRCULANTE", "2", "S", std::nullopt},
    {"1.1.1", "3", "DISPONÍVEL", "3", "S", std::nullopt},
    {"1.1.1.01", "4", "Caixa", "4", "S", std::nullopt},
    {"1.1.1.01.0001", "5", "Caixa Geral", "5", "A", std::nullopt},
    {"1.1.1.02", "6", "Bancos Conta Movimento", "4", "S", std::nullopt},
    {"1.1.1.02.0001", "7", "Bancos - Conta Movimento", "5", "A", "B"},
    {"1.1.1.02.0002", "8", "Bancos - Conta Garantida", "5", "A", "B"},
    {"1.1.2", "9", "CRÉDITOS", "3", "S", std::nullopt},
    {"1.1.2.01", "10", "Clientes", "4", "S", std::nullopt},
    {"1.1.2.01.0001", "11", "Clientes Nacionais", "5", "A", "C"},
    {"1.1.2.01.0002", "12", "Clientes - Partes Relacionadas", "5", "A", "C"},
    {"1.1.2.02.0001", "13", "Duplicatas Descontadas", "5", "A", std::nullopt},
    {"2", "14", "PASSIVO", "1", "S", std::nullopt},
    {"2.1", "15", "PASSIVO CIRCULANTE", "2", "S", std::nullopt},
    {"2.1.1", "16", "OBRIGAÇÕES COM FORNECEDORES", "3", "S", "F"},
    {"2.1.1.01.0001", "17", "Fornecedores Nacionais", "5", "A", "F"},
    {"2.1.1.01.0002", "18", "Fornecedores de Serviços", "5", "A", "F"},
    {"2.1.1.02.0001", "19", "Fornecedores Estrangeiros", "5", "A", "F"},
    {"2.1.1.02.0001.001", "20", "Fornecedores Estrangeiros - Importação", "5", "A", "F"},
    {"2.1.2.01.0001", "21", "Salários a Pagar", "5", "A", std::nullopt},
    {"3", "22", "RECEITAS", "1", "S", std::nullopt},
    {"3.1.1.01.0001", "23", "Receita de Vendas de Mercadorias", "5", "A", std::nullopt},
};

struct Owner {
    const char* code;
    const char* type;
    std::optional<const char*> number;
    const char* name;
    std::optional<const char*> status;
};

const Owner kSuppliers[] = {
    {"000001", "J", "12.345.678/0001-90", "Metalúrgica São Jorge Ltda.", "A"},
    {"000002", "J", "23.456.789/0001-01", "Papelaria Central do Brasil Ltda.", "A"},
    {"000003", "J", "34.567.890/0002-12", "Transportadora Rápido Sul S.A.", "A"},
    {"000004", "F", "123.456.789-09", "João Carlos da Silva", "A"},
    {"000005", "J", "45.678.901/0001-23", "Embalagens Paraná Ltda.", "I"},
    {"000006", "J", std::nullopt, "Serviços de Limpeza Aurora ME", "A"},
    {"000007", "J", "56.789.012/0001-34", "Tecnologia & Sistemas Nordeste Ltda.", "A"},
    {"000008", "F", "987.654.321-00", "Maria Aparecida Gonçalves", std::nullopt},
    {"000009", "J", "67.890.123/0001-45", "Distribuidora de Aço Minas Gerais S.A.", "A"},
    {"000010", "O", "1234567-8", "Cooperativa Agrícola Vale do Itajaí", "I"},
};

const Owner kClients[] = {
    {"C00001", "J", "11.222.333/0001-81", "Supermercados Bom Preço Ltda.", "S"},
    {"C00002", "J", "22.333.444/0001-92", "Farmácias Saúde & Vida S.A.", "S"},
    {"C00003", "F", "111.222.333-96", "Ana Beatriz Cardoso", "S"},
    {"C00004", "J", "33.444.555/0001-03", "Construtora Alicerce Ltda.", "N"},
    {"C00005", "J", std::nullopt, "Restaurante Sabor Mineiro ME", "S"},
    {"C00006", "J", "44.555.666/0002-14", "Hotel Praia Dourada Ltda.", "S"},
    {"C00007", "F", "444.555.666-10", "Pedro Henrique Albuquerque", std::nullopt},
    {"C00008", "J", "55.666.777/0001-25", "Auto Peças Três Irmãos Ltda.", "S"},
    {"C00009", "J", "66.777.888/0001-36", "Livraria Cultura Popular Ltda.", "N"},
    {"C00010", "I", "123.456.789.110", "Escola Técnica Futuro Brilhante", "S"},
};

const std::tuple<const char*, const char*> kBanks[] = {
    {"001", "Banco do Brasil S.A."},
    {"104", "Caixa Econômica Federal"},
    {"237", "Banco Bradesco S.A."},
    {"341", "Itaú Unibanco S.A."},
};

struct CurrentAccount {
    const char* reduced;
    const char* bank;
    const char* agency;
    const char* account;
    const char* description;
};

const CurrentAccount kCurrentAccounts[] = {
    {"001", "001", "3421", "45678-9", "Conta Movimento"},
    {"002", "001", "3421", "98765-0", "Conta Garantida"},
    {"003", "104", "0632", "1020-3", "Conta Movimento"},
    {"004", "237", "1577", "334455-6", "Cobrança Simples"},
    {"005", "341", "0288", "12345-6", "Conta Movimento"},
    {"006", "341", "0288", "67890-1", "Aplicação Automática"},
};

const std::tuple<const char*, const char*> kCompanies[] = {
    {"01", "Comercial Horizonte Ltda."},
    {"02", "Distribuidora Serra Azul S.A."},
    {"03", "Indústria de Alimentos Vale Verde Ltda."},
};

// A small deterministic generator, so that the demo data is the same on every machine.
class DemoRandom {
  public:
    explicit DemoRandom(std::uint32_t seed) : state_(seed) {}
    std::uint32_t Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return state_ >> 8;
    }
    std::int64_t Between(std::int64_t low, std::int64_t high) {
        return low + static_cast<std::int64_t>(Next() % static_cast<std::uint32_t>(high - low + 1));
    }

  private:
    std::uint32_t state_;
};

std::optional<std::string> Opt(const std::optional<const char*>& v) {
    return v ? std::optional<std::string>(*v) : std::nullopt;
}

void InsertLookups(Connection& connection) {
    for (const auto& [code, name] : kCompanies) {
        connection.Execute("INSERT INTO EMPRESA (CDEMPRESA, NMEMPRESA) VALUES (:C, :N)",
                           {{"C", code}, {"N", name}});
    }
    for (const Account& a : kAccounts) {
        const bool analytic = a.type[0] == 'A';
        connection.Execute(
            "INSERT INTO CONTCTBL (CDCONTCTBL, CDCONTREDU, CDRATEIO, NMCONTCTBL, CDNVCONTCTBL,"
            " IDTIPOCONT, IDCONTCCUS, IDTIPOCOME) VALUES (:A, :B, :C, :D, :E, :F, 'N', :H)",
            {{"A", a.code},
             {"B", a.reduced},
             {"C", analytic ? std::optional<std::string>("N") : std::nullopt},
             {"D", a.name},
             {"E", a.level},
             {"F", a.type},
             {"H", Opt(a.kind)}});
    }
    for (const Owner& o : kSuppliers) {
        connection.Execute(
            "INSERT INTO FORNECEDOR (CDFORNECED, IDTPIJURFORN, NRINSJURFORN, NMRAZSOCFORN,"
            " IDSITUCADA) VALUES (:A, :B, :C, :D, :E)",
            {{"A", o.code},
             {"B", o.type},
             {"C", Opt(o.number)},
             {"D", o.name},
             {"E", Opt(o.status)}});
    }
    for (const Owner& o : kClients) {
        connection.Execute(
            "INSERT INTO CLIENTE (CDCLIENTE, IDTPIJURCLIE, NRINSJURCLIE, NMRAZSOCCLIE,"
            " IDCLIEATIV) VALUES (:A, :B, :C, :D, :E)",
            {{"A", o.code},
             {"B", o.type},
             {"C", Opt(o.number)},
             {"D", o.name},
             {"E", Opt(o.status)}});
    }
    for (const auto& [code, name] : kBanks) {
        connection.Execute("INSERT INTO BANCO (CDBANCO, NMBANCO) VALUES (:C, :N)",
                           {{"C", code}, {"N", name}});
    }
    for (const CurrentAccount& c : kCurrentAccounts) {
        connection.Execute(
            "INSERT INTO CONTCORR (CDREDUCONT, CDBANCO, CDAGENCIA, CDCONTCORR, DSCONTCORR)"
            " VALUES (:A, :B, :C, :D, :E)",
            {{"A", c.reduced},
             {"B", c.bank},
             {"C", c.agency},
             {"D", c.account},
             {"E", c.description}});
    }
}

// Balances of each company: for each kind, a few owners in a few months of 2024, implanted
// ("S") and not ("N"). Suppliers carry credit (positive), clients and banks debit (negative).
// Returns the implanted total per (company, account, month) so the ledger can cover it.
std::map<std::tuple<std::string, std::string, std::string>, std::int64_t> InsertBalances(
    Connection& connection) {
    std::map<std::tuple<std::string, std::string, std::string>, std::int64_t> implanted;
    DemoRandom seq(20240131);
    const struct {
        const char* kind;
        std::vector<const char*> accounts;
        std::vector<const char*> owners;
        int sign;
    } kinds[] = {
        {"F",
         {"2.1.1.01.0001", "2.1.1.01.0002", "2.1.1.02.0001"},
         {"000001", "000002", "000003", "000004", "000006", "000007", "000009"},
         1},
        {"C",
         {"1.1.2.01.0001", "1.1.2.01.0002"},
         {"C00001", "C00002", "C00003", "C00005", "C00006", "C00008", "C00010"},
         -1},
        {"B", {"1.1.1.02.0001", "1.1.1.02.0002"}, {"001", "002", "003", "004", "005", "006"}, -1},
    };
    for (const auto& [company, companyName] : kCompanies) {
        for (const auto& k : kinds) {
            for (const int month : {1, 6, 12}) {
                const std::string date = core::LastDayIso(2024, month);
                for (std::size_t i = 0; i < k.owners.size(); ++i) {
                    if (seq.Between(0, 3) == 0) continue;
                    const std::string account = k.accounts[i % k.accounts.size()];
                    const std::int64_t cents = k.sign * seq.Between(10000, 2500000);
                    const bool isImplanted = seq.Between(0, 4) != 0;
                    connection.Execute(
                        "INSERT INTO SALDCOME (CDEMPRESA, IDSALDCOME, DTIMPSALDO, CDCONTCTBL,"
                        " CDSALDCOME, VRIMPSALDO, TIPSALDO) VALUES (:A, :B, :C, :D, :E, :F, :G)",
                        {{"A", company},
                         {"B", k.kind},
                         {"C", date},
                         {"D", account},
                         {"E", k.owners[i]},
                         {"F", std::to_string(cents)},
                         {"G", isImplanted ? "S" : "N"}});
                    if (isImplanted) implanted[{company, account, date}] += cents;
                }
            }
        }
    }
    return implanted;
}

// Ledger balances for every commercial account and month of 2023 to 2026: at least the
// implanted total plus room for more, with the sign of the account's nature.
void InsertLedger(
    soci::session& sql,
    const std::map<std::tuple<std::string, std::string, std::string>, std::int64_t>& implanted) {
    DemoRandom seq(19700101);
    std::vector<std::string> companies, accounts, dates;
    std::vector<long long> values;
    for (const auto& [company, name] : kCompanies) {
        for (const Account& a : kAccounts) {
            if (a.type[0] != 'A' || !a.kind || std::string(a.code).size() > 16) continue;
            const int sign = (*a.kind)[0] == 'F' ? 1 : -1;
            for (int year = 2023; year <= 2026; ++year) {
                for (int month = 1; month <= 12; ++month) {
                    const std::string date = core::LastDayIso(year, month);
                    const auto found = implanted.find({company, a.code, date});
                    const std::int64_t used = found == implanted.end() ? 0 : found->second;
                    companies.push_back(company);
                    accounts.push_back(a.code);
                    dates.push_back(date);
                    values.push_back(used + sign * seq.Between(1000000, 50000000));
                }
            }
        }
    }
    sql << "INSERT INTO SALDCTBL (CDEMPRESA, CDCONTCTBL, DTSALDO, VRSALDO) VALUES (:a, :b, :c, :d)",
        use(companies), use(accounts), use(dates), use(values);
}

}  // namespace

bool LoadDemoData(Connection& connection) {
    try {
        int companies = 0;
        connection.Session() << "SELECT COUNT(*) FROM EMPRESA", soci::into(companies);
        if (companies > 0) return false;
        WriteTransaction transaction(connection);
        InsertLookups(connection);
        InsertLedger(connection.Session(), InsertBalances(connection));
        transaction.Commit();
        return true;
    } catch (const soci::soci_error& e) {
        throw DbError(std::string("Não foi possível gravar os dados de demonstração: ") + e.what());
    }
}

void LoadScaleCompany(Connection& connection, const std::string& company, const std::string& name,
                      std::int64_t rows) {
    const char* const accounts[] = {"2.1.1.01.0001", "2.1.1.01.0002", "2.1.1.02.0001"};
    const std::int64_t perSupplier = 48 * 3;
    const std::int64_t suppliers = (rows + perSupplier - 1) / perSupplier;
    // PostgreSQL keeps every version of a row that a transaction updates until it ends, so adding
    // a million balances one by one to a few hundred totals would make each upsert walk thousands
    // of versions: there the load goes without the totals' trigger (the table stays locked until
    // the commit) and adds the company's totals once at the end.
    const bool totalsAtEnd = connection.GetDialect() == Dialect::Postgresql;
    const std::string trigger = std::string(" TRIGGER ") + kImplantedTotals.trigger;
    try {
        WriteTransaction transaction(connection);
        soci::session& sql = connection.Session();
        if (totalsAtEnd) sql << "ALTER TABLE SALDCOME DISABLE" + trigger;
        connection.Execute("INSERT INTO EMPRESA (CDEMPRESA, NMEMPRESA) VALUES (:C, :N)",
                           {{"C", company}, {"N", name}});
        {
            // Suppliers shared by every large company; those already there are kept.
            std::string code, number, supplierName;
            int found = 0;
            soci::statement exists = (sql.prepare << "SELECT COUNT(*) FROM FORNECEDOR WHERE "
                                                     "CDFORNECED = :c",
                                      soci::into(found), use(code));
            soci::statement insert =
                (sql.prepare << "INSERT INTO FORNECEDOR (CDFORNECED, IDTPIJURFORN, NRINSJURFORN,"
                                " NMRAZSOCFORN, IDSITUCADA) VALUES (:a, 'J', :b, :c, 'A')",
                 use(code), use(number), use(supplierName));
            for (std::int64_t s = 0; s < suppliers; ++s) {
                char text[64];
                std::snprintf(text, sizeof text, "G%06lld", static_cast<long long>(s + 1));
                code = text;
                exists.execute(true);
                if (found > 0) continue;
                std::snprintf(text, sizeof text, "%02lld.%03lld.%03lld/0001-%02lld",
                              static_cast<long long>(s / 1000000 % 100),
                              static_cast<long long>(s / 1000 % 1000),
                              static_cast<long long>(s % 1000), static_cast<long long>(s % 97));
                number = text;
                std::snprintf(text, sizeof text, "Fornecedor de Teste %06lld Ltda.",
                              static_cast<long long>(s + 1));
                supplierName = text;
                insert.execute(true);
            }
        }
        std::vector<std::string> dates, codes, owners;
        std::vector<long long> values;
        std::vector<std::string> companies;
        constexpr std::size_t kBatch = 10000;
        DemoRandom seq(static_cast<std::uint32_t>(rows));
        const auto flush = [&] {
            if (dates.empty()) return;
            companies.assign(dates.size(), company);
            sql << "INSERT INTO SALDCOME (CDEMPRESA, IDSALDCOME, DTIMPSALDO, CDCONTCTBL,"
                   " CDSALDCOME, VRIMPSALDO, TIPSALDO) VALUES (:a, 'F', :b, :c, :d, :e, 'S')",
                use(companies), use(dates), use(codes), use(owners), use(values);
            dates.clear(), codes.clear(), owners.clear(), values.clear();
        };
        for (std::int64_t r = 0; r < rows; ++r) {
            const std::int64_t supplier = r / perSupplier;
            const std::int64_t slot = r % perSupplier;
            char text[32];
            std::snprintf(text, sizeof text, "G%06lld", static_cast<long long>(supplier + 1));
            owners.emplace_back(text);
            dates.push_back(core::LastDayIso(2023 + static_cast<int>(slot / 36),
                                             static_cast<int>(slot / 3 % 12) + 1));
            codes.emplace_back(accounts[slot % 3]);
            values.push_back(seq.Between(100, 10000000));
            if (dates.size() == kBatch) flush();
        }
        flush();
        if (totalsAtEnd) {
            sql << "ALTER TABLE SALDCOME ENABLE" + trigger;
            RebuildImplantedTotals(connection, company);
        }
        transaction.Commit();
    } catch (const soci::soci_error& e) {
        throw DbError("Não foi possível gerar a empresa de teste " + company + ": " + e.what());
    }
}

}  // namespace db

// Storage of balances. Every statement binds its values; money is kept in integer cents.
#include "server/SaldoService.h"

#include <soci/soci.h>
#include <sqlite3.h>

#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <tuple>

#include "db/Calendar.h"
#include "db/DbError.h"
#include "db/WriteTransactionRetry.h"
#include "rpc/RpcError.h"

namespace server {

using soci::into;
using soci::use;

namespace {

const char* const kImplantMessage =
    "Não é possível implantar saldo! Saldo insuficiente na Conta Contábil.";

// `positional`: "?" placeholders for the C API instead of SOCI's named ones.
std::string SelectOf(const BalanceKind& kind, bool positional) {
    std::string owner;
    if (kind.code == "F") {
        owner =
            "O.NMRAZSOCFORN, O.NRINSJURFORN, O.IDTPIJURFORN FROM SALDCOME S"
            " LEFT JOIN FORNECEDOR O ON O.CDFORNECED = S.CDSALDCOME";
    } else if (kind.code == "C") {
        owner =
            "O.NMRAZSOCCLIE, O.NRINSJURCLIE, O.IDTPIJURCLIE FROM SALDCOME S"
            " LEFT JOIN CLIENTE O ON O.CDCLIENTE = S.CDSALDCOME";
    } else {
        owner =
            "B.NMBANCO, K.CDBANCO, NULL FROM SALDCOME S"
            " LEFT JOIN CONTCORR K ON K.CDREDUCONT = S.CDSALDCOME"
            " LEFT JOIN BANCO B ON B.CDBANCO = K.CDBANCO";
    }
    return "SELECT CAST(S.DTIMPSALDO AS VARCHAR(10)), S.CDCONTCTBL, C.NMCONTCTBL, S.VRIMPSALDO,"
           " S.TIPSALDO, S.CDSALDCOME, " +
           owner +
           " LEFT JOIN CONTCTBL C ON C.CDCONTCTBL = S.CDCONTCTBL"
           " WHERE S.CDEMPRESA = " +
           (positional ? std::string("? AND S.IDSALDCOME = ?")
                       : std::string(":company AND S.IDSALDCOME = :kind")) +
           " ORDER BY S.DTIMPSALDO, S.CDCONTCTBL, S.CDSALDCOME";
}

void AppendText(std::string& out, const std::string& value, soci::indicator ind) {
    if (ind == soci::i_null) {
        out += "null";
    } else {
        AppendJsonString(out, value);
    }
}

// Text of a column, or null.
void AppendColumn(std::string& out, sqlite3_stmt* st, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, column));
    if (text == nullptr) {
        out += "null";
    } else {
        AppendJsonString(
            out,
            std::string_view(text, static_cast<std::size_t>(sqlite3_column_bytes(st, column))));
    }
}

// The SQLite read, straight on the C API: the same statement, the same binding, without the
// per-row copies of the general layer (a company may hold a million balances).
void AppendRowsSqlite(std::string& out, sqlite3* handle, const std::string& sql,
                      const std::string& company, const BalanceKind& kind) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(handle, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
        throw db::DbError(std::string("Falha ao ler os saldos: ") + sqlite3_errmsg(handle));
    }
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> guard(st, sqlite3_finalize);
    sqlite3_bind_text(st, 1, company.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(st, 2, kind.code.c_str(), -1, SQLITE_TRANSIENT);
    const bool bank = kind.code == "B";
    bool first = true;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        if (!first) out += ',';
        first = false;
        out += '[';
        AppendColumn(out, st, 0);
        out += ',';
        AppendColumn(out, st, 1);
        out += ',';
        AppendColumn(out, st, 2);
        out += ',';
        AppendColumn(out, st, 6);
        out += ',';
        AppendJsonNumber(out, static_cast<double>(sqlite3_column_int64(st, 3)) / 100.0);
        out += ',';
        const auto* implanted = reinterpret_cast<const char*>(sqlite3_column_text(st, 4));
        out += implanted != nullptr && implanted[0] == 'S' ? "\"Sim\"" : "\"Não\"";
        out += ',';
        AppendJsonString(out, company);
        out += ',';
        AppendJsonString(out, kind.code);
        out += ',';
        AppendColumn(out, st, 5);
        out += ',';
        AppendColumn(out, st, 7);
        if (!bank) {
            out += ',';
            AppendColumn(out, st, 8);
        }
        out += ']';
    }
    if (rc != SQLITE_DONE) {
        throw db::DbError(std::string("Falha ao ler os saldos: ") + sqlite3_errmsg(handle));
    }
}

// Finds the company and locks its row until the transaction ends.
std::string LockCompanySql(db::Dialect dialect) {
    const std::string select = "SELECT CDEMPRESA FROM EMPRESA WHERE CDEMPRESA = :c";
    switch (dialect) {
        case db::Dialect::Postgresql:
            return select + " FOR UPDATE";
        case db::Dialect::Firebird:
            return select + " WITH LOCK";
        case db::Dialect::Sqlite:
            break;
    }
    return select;
}

// "MM/YYYY" to the month's last day, or nullopt.
std::optional<std::string> ParseMonth(const std::string& text) {
    if (text.size() != 7 || text[2] != '/') return std::nullopt;
    int month = 0, year = 0;
    for (std::size_t i : {0u, 1u}) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        month = month * 10 + (text[i] - '0');
    }
    for (std::size_t i = 3; i < 7; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        year = year * 10 + (text[i] - '0');
    }
    if (month < 1 || month > 12 || year < 1) return std::nullopt;
    return db::LastDayIso(year, month);
}

// The rule shared by the check and the save, counted on what the transaction sees.
// Returns false for an account that is not analytic or has no commercial type.
bool AccountAllows(soci::session& sql, const std::string& company, const std::string& account,
                   const std::string& month, std::int64_t added) {
    int usable = 0;
    sql << "SELECT COUNT(*) FROM CONTCTBL WHERE CDCONTCTBL = :a AND IDTIPOCONT = 'A'"
           " AND IDTIPOCOME IS NOT NULL",
        into(usable), use(account);
    if (usable == 0) return false;
    long long stored = 0;
    sql << "SELECT COALESCE(CAST(SUM(VRIMPSALDO) AS BIGINT), 0) FROM SALDCOME"
           " WHERE CDEMPRESA = :c AND CDCONTCTBL = :a AND DTIMPSALDO = :m AND TIPSALDO = 'S'",
        into(stored), use(company), use(account), use(month);
    long long ledger = 0;
    soci::indicator ledgerInd = soci::i_null;
    sql << "SELECT VRSALDO FROM SALDCTBL WHERE CDEMPRESA = :c AND CDCONTCTBL = :a AND DTSALDO = :m",
        into(ledger, ledgerInd), use(company), use(account), use(month);
    if (ledgerInd != soci::i_ok) ledger = 0;  // no ledger balance: nothing to implant against
    return WithinLedger(stored + added, ledger);
}

bool Exists(soci::session& sql, const BalanceRow& row) {
    int count = 0;
    std::string kind = row.kind, month = row.month, account = row.account, owner = row.owner,
                company = row.company;
    sql << "SELECT COUNT(*) FROM SALDCOME WHERE CDEMPRESA = :c AND IDSALDCOME = :k AND"
           " DTIMPSALDO = :m AND CDCONTCTBL = :a AND CDSALDCOME = :o",
        into(count), use(company), use(kind), use(month), use(account), use(owner);
    return count > 0;
}

// The row as stored now must equal the original values the client holds.
void CheckUnchanged(soci::session& sql, const BalanceRow& old, std::size_t index) {
    long long cents = 0;
    std::string implanted;
    soci::indicator ind = soci::i_null;
    std::string kind = old.kind, month = old.month, account = old.account, owner = old.owner,
                company = old.company;
    sql << "SELECT VRIMPSALDO, TIPSALDO FROM SALDCOME WHERE CDEMPRESA = :c AND IDSALDCOME = :k AND"
           " DTIMPSALDO = :m AND CDCONTCTBL = :a AND CDSALDCOME = :o",
        into(cents, ind), into(implanted), use(company), use(kind), use(month), use(account),
        use(owner);
    const std::string row = "alteração " + std::to_string(index + 1) + " (" + old.Describe() + ")";
    if (!sql.got_data()) {
        throw rpc::RpcError(rpc::kConflict, "O saldo da " + row +
                                                " foi excluído por outro usuário. Atualize os "
                                                "saldos e tente novamente.");
    }
    if (cents != old.cents || (implanted == "S") != old.implanted) {
        throw rpc::RpcError(rpc::kConflict, "O saldo da " + row +
                                                " foi alterado por outro usuário. Atualize os "
                                                "saldos e tente novamente.");
    }
}

// The account and the owner of a row being written must exist.
void CheckReferences(soci::session& sql, const BalanceRow& row, std::size_t index) {
    const std::string where =
        "Alteração " + std::to_string(index + 1) + " (" + row.Describe() + "): ";
    int count = 0;
    std::string account = row.account, owner = row.owner;
    sql << "SELECT COUNT(*) FROM CONTCTBL WHERE CDCONTCTBL = :a", into(count), use(account);
    if (count == 0)
        throw rpc::RpcError(rpc::kServerError, where + "Conta contábil não cadastrada.");
    if (row.kind == "F") {
        sql << "SELECT COUNT(*) FROM FORNECEDOR WHERE CDFORNECED = :o", into(count), use(owner);
        if (count == 0)
            throw rpc::RpcError(rpc::kServerError, where + "Fornecedor não cadastrado.");
    } else if (row.kind == "C") {
        sql << "SELECT COUNT(*) FROM CLIENTE WHERE CDCLIENTE = :o", into(count), use(owner);
        if (count == 0) throw rpc::RpcError(rpc::kServerError, where + "Cliente não cadastrado.");
    } else {
        sql << "SELECT COUNT(*) FROM CONTCORR WHERE CDREDUCONT = :o", into(count), use(owner);
        if (count == 0) {
            throw rpc::RpcError(rpc::kServerError, where + "Conta corrente não cadastrada.");
        }
    }
}

void Insert(soci::session& sql, const BalanceRow& row) {
    std::string company = row.company, kind = row.kind, month = row.month, account = row.account,
                owner = row.owner, implanted = row.implanted ? "S" : "N";
    long long cents = row.cents;
    sql << "INSERT INTO SALDCOME (CDEMPRESA, IDSALDCOME, DTIMPSALDO, CDCONTCTBL, CDSALDCOME,"
           " VRIMPSALDO, TIPSALDO) VALUES (:c, :k, :m, :a, :o, :v, :t)",
        use(company), use(kind), use(month), use(account), use(owner), use(cents), use(implanted);
}

void Delete(soci::session& sql, const BalanceRow& row) {
    std::string company = row.company, kind = row.kind, month = row.month, account = row.account,
                owner = row.owner;
    sql << "DELETE FROM SALDCOME WHERE CDEMPRESA = :c AND IDSALDCOME = :k AND DTIMPSALDO = :m AND"
           " CDCONTCTBL = :a AND CDSALDCOME = :o",
        use(company), use(kind), use(month), use(account), use(owner);
}

}  // namespace

bool WithinLedger(std::int64_t total, std::int64_t ledger) {
    return ledger >= 0 ? (total >= 0 && total <= ledger) : (total <= 0 && total >= ledger);
}

std::string SaldoService::GetSaldComer(const std::string& company, const std::string& tag) {
    const BalanceKind& kind = KindOfTag(tag);
    std::string out;
    out += "{\"fields\":";
    AppendFieldList(out, kind.fields);
    out += ",\"rows\":[";
    const std::string implantedText = "\"Sim\"", notImplantedText = "\"Não\"";
    auto lease = pool_.Acquire();
    if (sqlite3* handle = lease->NativeSqlite()) {
        AppendRowsSqlite(out, handle, SelectOf(kind, true), company, kind);
        out += "]}";
        return out;
    }
    try {
        soci::session& sql = lease->Session();
        constexpr std::size_t kBatch = 2000;
        std::vector<std::string> date(kBatch), account(kBatch), accountName(kBatch),
            implanted(kBatch), owner(kBatch), ownerName(kBatch), number(kBatch), type(kBatch);
        std::vector<long long> cents(kBatch);
        std::vector<soci::indicator> accountNameInd(kBatch), ownerNameInd(kBatch),
            numberInd(kBatch), typeInd(kBatch);
        std::string companyCode = company, kindCode = kind.code;
        soci::statement st =
            (sql.prepare << SelectOf(kind, false), into(date), into(account),
             into(accountName, accountNameInd), into(cents), into(implanted), into(owner),
             into(ownerName, ownerNameInd), into(number, numberInd), into(type, typeInd),
             use(companyCode, "company"), use(kindCode, "kind"));
        const bool bank = kind.code == "B";
        bool first = true;
        st.execute();
        while (st.fetch()) {
            for (std::size_t i = 0; i < date.size(); ++i) {
                if (!first) out += ',';
                first = false;
                out += '[';
                AppendJsonString(out, date[i]);
                out += ',';
                AppendJsonString(out, account[i]);
                out += ',';
                AppendText(out, accountName[i], accountNameInd[i]);
                out += ',';
                AppendText(out, ownerName[i], ownerNameInd[i]);
                out += ',';
                AppendJsonNumber(out, static_cast<double>(cents[i]) / 100.0);
                out += ',';
                out += implanted[i] == "S" ? implantedText : notImplantedText;
                out += ',';
                AppendJsonString(out, company);
                out += ',';
                AppendJsonString(out, kind.code);
                out += ',';
                AppendJsonString(out, owner[i]);
                out += ',';
                AppendText(out, number[i], numberInd[i]);
                if (!bank) {
                    out += ',';
                    AppendText(out, type[i], typeInd[i]);
                }
                out += ']';
            }
            date.resize(kBatch), account.resize(kBatch), accountName.resize(kBatch),
                implanted.resize(kBatch), owner.resize(kBatch), ownerName.resize(kBatch),
                number.resize(kBatch), type.resize(kBatch), cents.resize(kBatch),
                accountNameInd.resize(kBatch), ownerNameInd.resize(kBatch),
                numberInd.resize(kBatch), typeInd.resize(kBatch);
        }
    } catch (const soci::soci_error& e) {
        lease.Discard();
        throw db::DbError(std::string("Falha ao ler os saldos: ") + e.what());
    }
    out += "]}";
    return out;
}

void SaldoService::SetSaldComer(const std::string& company, const std::string& tag,
                                const nlohmann::json& delta) {
    const BalanceKind& kind = KindOfTag(tag);
    const std::vector<BalanceChange> changes = ReadChangePacket(delta, kind, company);
    if (changes.empty()) return;
    auto lease = pool_.Acquire();
    try {
        // A save that meets a concurrent save of the company on Firebird starts again.
        db::RunWriteTransaction(*lease, [&] {
            soci::session& sql = lease->Session();
            // Saves of one company take turns (SQLite's write lock already serialises all
            // saves), so two saves cannot both pass the ledger check on totals that exclude
            // each other.
            if (lease->Select(LockCompanySql(lease->GetDialect()), {{"c", company}}).rows.empty()) {
                throw rpc::RpcError(rpc::kServerError, "Empresa não cadastrada.");
            }

            std::set<std::tuple<std::string, std::string>> checks;  // (account, month)
            for (std::size_t i = 0; i < changes.size(); ++i) {
                const BalanceChange& c = changes[i];
                if (c.old) CheckUnchanged(sql, *c.old, i);
                if (c.now && (!c.old || !c.old->SameKey(*c.now))) {
                    if (Exists(sql, *c.now)) {
                        throw rpc::RpcError(rpc::kServerError, "Conta comercial já cadastrada.");
                    }
                    CheckReferences(sql, *c.now, i);
                }
                if (c.old) Delete(sql, *c.old);
                if (c.now) {
                    Insert(sql, *c.now);
                    if (c.now->implanted) checks.emplace(c.now->account, c.now->month);
                }
            }
            for (const auto& [account, month] : checks) {
                if (!AccountAllows(sql, company, account, month, 0)) {
                    throw rpc::RpcError(rpc::kServerError, std::string(kImplantMessage) +
                                                               " (conta " + account + ", " +
                                                               MonthText(month) + ")");
                }
            }
        });
    } catch (const soci::soci_error& e) {
        lease.Discard();
        throw db::DbError(std::string("Falha ao gravar os saldos; nada foi gravado: ") + e.what());
    }
}

bool SaldoService::GetVdSaldoContCtbl(const std::string& company, const std::string& account,
                                      const std::string& month, double value) {
    const auto lastDay = ParseMonth(month);
    if (!lastDay) return false;
    const auto cents = CentsOf(value);
    if (!cents) return false;
    auto lease = pool_.Acquire();
    try {
        return AccountAllows(lease->Session(), company, account, *lastDay, *cents);
    } catch (const soci::soci_error& e) {
        lease.Discard();
        throw db::DbError(std::string("Falha ao verificar o saldo da conta contábil: ") + e.what());
    }
}

}  // namespace server

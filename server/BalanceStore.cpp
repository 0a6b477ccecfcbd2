// The balance statements.
#include "server/BalanceStore.h"

namespace server {
namespace {

using db::ColumnType;

std::string SelectOf(core::BalanceKind kind) {
    std::string owner;
    switch (kind) {
        case core::BalanceKind::Suppliers:
            owner =
                "O.NMRAZSOCFORN, O.NRINSJURFORN, O.IDTPIJURFORN FROM SALDCOME S"
                " LEFT JOIN FORNECEDOR O ON O.CDFORNECED = S.CDSALDCOME";
            break;
        case core::BalanceKind::Clients:
            owner =
                "O.NMRAZSOCCLIE, O.NRINSJURCLIE, O.IDTPIJURCLIE FROM SALDCOME S"
                " LEFT JOIN CLIENTE O ON O.CDCLIENTE = S.CDSALDCOME";
            break;
        case core::BalanceKind::Banks:
            owner =
                "B.NMBANCO, K.CDBANCO, NULL FROM SALDCOME S"
                " LEFT JOIN CONTCORR K ON K.CDREDUCONT = S.CDSALDCOME"
                " LEFT JOIN BANCO B ON B.CDBANCO = K.CDBANCO";
            break;
    }
    return "SELECT CAST(S.DTIMPSALDO AS VARCHAR(10)), S.CDCONTCTBL, C.NMCONTCTBL, S.VRIMPSALDO,"
           " S.TIPSALDO, S.CDSALDCOME, " +
           owner +
           " LEFT JOIN CONTCTBL C ON C.CDCONTCTBL = S.CDCONTCTBL"
           " WHERE S.CDEMPRESA = :company AND S.IDSALDCOME = :kind"
           " ORDER BY S.DTIMPSALDO, S.CDCONTCTBL, S.CDSALDCOME";
}

const std::vector<ColumnType> kBalanceColumns = {
    ColumnType::Text, ColumnType::Text, ColumnType::Text, ColumnType::Integer, ColumnType::Text,
    ColumnType::Text, ColumnType::Text, ColumnType::Text, ColumnType::Text};

std::optional<std::string_view> Nullable(const db::RowView& row, std::size_t column) {
    if (row.IsNull(column)) return std::nullopt;
    return row.Text(column);
}

db::Params KeyParams(const std::string& company, core::BalanceKind kind, const BalanceRow& row) {
    return {{"company", company},
            {"kind", std::string(core::KindInfo(kind).code)},
            {"month", row.month},
            {"account", row.account},
            {"owner", row.owner}};
}

}  // namespace

std::string OwnerExistsSql(core::BalanceKind kind) {
    switch (kind) {
        case core::BalanceKind::Suppliers:
            return "SELECT COUNT(*) FROM FORNECEDOR WHERE CDFORNECED = :owner";
        case core::BalanceKind::Clients:
            return "SELECT COUNT(*) FROM CLIENTE WHERE CDCLIENTE = :owner";
        case core::BalanceKind::Banks:
            break;
    }
    return "SELECT COUNT(*) FROM CONTCORR WHERE CDREDUCONT = :owner";
}

std::string NewKeySql(core::BalanceKind kind, const db::DialectSql& sql) {
    return sql.SelectRow(
        "(SELECT COUNT(*) FROM SALDCOME WHERE CDEMPRESA = :company"
        " AND IDSALDCOME = :kind AND DTIMPSALDO = :month"
        " AND CDCONTCTBL = :account AND CDSALDCOME = :owner), (" +
        std::string(kAccountExistsSql) + "), (" + OwnerExistsSql(kind) + ")");
}

std::string LockCompanySql(const db::DialectSql& sql) {
    return sql.Locking("SELECT CDEMPRESA FROM EMPRESA WHERE CDEMPRESA = :company");
}

std::string LedgerRoomSql(const db::DialectSql& sql) {
    return sql.SelectRow(
        "(SELECT COUNT(*) FROM CONTCTBL WHERE CDCONTCTBL = :account AND IDTIPOCONT = 'A'"
        " AND IDTIPOCOME IS NOT NULL), (" +
        std::string(kImplantedTotalSql) +
        "),"
        " (SELECT COALESCE(MAX(VRSALDO), 0) FROM SALDCTBL"
        " WHERE CDEMPRESA = :company AND CDCONTCTBL = :account AND DTSALDO = :month)");
}

void BalanceStore::ReadBalances(const std::string& company, core::BalanceKind kind,
                                const std::function<void(const StoredBalance&)>& visit) {
    const bool bank = kind == core::BalanceKind::Banks;
    connection_.StreamRows(SelectOf(kind),
                           {{"company", company}, {"kind", std::string(core::KindInfo(kind).code)}},
                           kBalanceColumns, [&](const db::RowView& row) {
                               StoredBalance b;
                               b.month = row.Text(0);
                               b.account = row.Text(1);
                               b.accountName = Nullable(row, 2);
                               b.cents = row.Integer(3);
                               b.implanted = row.Text(4) == "S";
                               b.owner = row.Text(5);
                               b.ownerName = Nullable(row, 6);
                               b.registration = Nullable(row, 7);
                               if (!bank) b.registrationType = Nullable(row, 8);
                               visit(b);
                           });
}

std::int64_t BalanceStore::Integer(std::string_view sql, const db::Params& params) {
    std::int64_t value = 0;
    connection_.ReadRows(sql, params, {ColumnType::Integer},
                         [&](const db::RowView& row) { value = row.Integer(0); });
    return value;
}

bool BalanceStore::LockCompany(const std::string& company) {
    bool found = false;
    connection_.ReadRows(LockCompanySql(connection_.Sql()), {{"company", company}},
                         {ColumnType::Text}, [&](const db::RowView&) { found = true; });
    return found;
}

std::optional<BalanceStore::Value> BalanceStore::Find(const std::string& company,
                                                      core::BalanceKind kind,
                                                      const BalanceRow& key) {
    std::optional<Value> value;
    connection_.ReadRows(kFindBalanceSql, KeyParams(company, kind, key),
                         {ColumnType::Integer, ColumnType::Text}, [&](const db::RowView& row) {
                             value = Value{row.Integer(0), row.Text(1) == "S"};
                         });
    return value;
}

BalanceStore::NewKey BalanceStore::ReadNewKey(const std::string& company, core::BalanceKind kind,
                                              const BalanceRow& row) {
    NewKey key;
    connection_.ReadRows(NewKeySql(kind, connection_.Sql()), KeyParams(company, kind, row),
                         {ColumnType::Integer, ColumnType::Integer, ColumnType::Integer},
                         [&](const db::RowView& r) {
                             key.taken = r.Integer(0) > 0;
                             key.accountExists = r.Integer(1) > 0;
                             key.ownerExists = r.Integer(2) > 0;
                         });
    return key;
}

void BalanceStore::Insert(const std::string& company, core::BalanceKind kind,
                          const BalanceRow& row) {
    db::Params params = KeyParams(company, kind, row);
    params["cents"] = std::to_string(row.cents);
    params["implanted"] = row.implanted ? "S" : "N";
    connection_.Execute(
        "INSERT INTO SALDCOME (CDEMPRESA, IDSALDCOME, DTIMPSALDO, CDCONTCTBL, CDSALDCOME,"
        " VRIMPSALDO, TIPSALDO) VALUES (:company, :kind, :month, :account, :owner, :cents,"
        " :implanted)",
        params);
}

void BalanceStore::Delete(const std::string& company, core::BalanceKind kind,
                          const BalanceRow& key) {
    connection_.Execute(kDeleteBalanceSql, KeyParams(company, kind, key));
}

bool BalanceStore::AccountExists(const std::string& account) {
    return Integer(kAccountExistsSql, {{"account", account}}) > 0;
}

bool BalanceStore::OwnerExists(core::BalanceKind kind, const std::string& owner) {
    return Integer(OwnerExistsSql(kind), {{"owner", owner}}) > 0;
}

BalanceStore::LedgerRoom BalanceStore::ReadLedgerRoom(const std::string& company,
                                                      const std::string& account,
                                                      const std::string& month) {
    LedgerRoom room;
    connection_.ReadRows(LedgerRoomSql(connection_.Sql()),
                         {{"company", company}, {"account", account}, {"month", month}},
                         {ColumnType::Integer, ColumnType::Integer, ColumnType::Integer},
                         [&](const db::RowView& row) {
                             room.usable = row.Integer(0) > 0;
                             room.implanted = row.Integer(1);
                             room.ledger = row.Integer(2);
                         });
    return room;
}

bool BalanceStore::AccountUsable(const std::string& account) {
    return Integer(
               "SELECT COUNT(*) FROM CONTCTBL WHERE CDCONTCTBL = :account AND IDTIPOCONT = 'A'"
               " AND IDTIPOCOME IS NOT NULL",
               {{"account", account}}) > 0;
}

std::int64_t BalanceStore::ImplantedTotal(const std::string& company, const std::string& account,
                                          const std::string& month) {
    return Integer(kImplantedTotalSql,
                   {{"company", company}, {"account", account}, {"month", month}});
}

std::int64_t BalanceStore::LedgerBalance(const std::string& company, const std::string& account,
                                         const std::string& month) {
    return Integer(
        "SELECT VRSALDO FROM SALDCTBL WHERE CDEMPRESA = :company AND CDCONTCTBL = :account"
        " AND DTSALDO = :month",
        {{"company", company}, {"account", account}, {"month", month}});
}

bool BalanceStore::CompanyExists(const std::string& company) {
    return Integer("SELECT COUNT(*) FROM EMPRESA WHERE CDEMPRESA = :company",
                   {{"company", company}}) > 0;
}

void BalanceStore::ReadImplantedTotals(
    const std::string& company, std::optional<core::BalanceKind> kind,
    const std::function<void(std::string_view, std::string_view, std::int64_t)>& visit) {
    db::Params params = {{"company", company}};
    std::string sql =
        "SELECT CDCONTCTBL, CAST(DTIMPSALDO AS VARCHAR(10)),"
        " CAST(SUM(CASE WHEN TIPSALDO = 'S' THEN VRIMPSALDO ELSE 0 END) AS BIGINT)"
        " FROM SALDCOME WHERE CDEMPRESA = :company";
    if (kind) {
        sql += " AND IDSALDCOME = :kind";
        params["kind"] = std::string(core::KindInfo(*kind).code);
    }
    sql += " GROUP BY CDCONTCTBL, DTIMPSALDO";
    connection_.ReadRows(
        sql, params, {ColumnType::Text, ColumnType::Text, ColumnType::Integer},
        [&](const db::RowView& row) { visit(row.Text(0), row.Text(1), row.Integer(2)); });
}

void BalanceStore::ReadLedgerBalances(const std::string& company,
                                      const std::function<void(const LedgerBalanceRow&)>& visit) {
    connection_.ReadRows(
        "SELECT L.CDCONTCTBL, CAST(L.DTSALDO AS VARCHAR(10)), L.VRSALDO, C.IDTIPOCONT,"
        " C.IDTIPOCOME FROM SALDCTBL L JOIN CONTCTBL C ON C.CDCONTCTBL = L.CDCONTCTBL"
        " WHERE L.CDEMPRESA = :company",
        {{"company", company}},
        {ColumnType::Text, ColumnType::Text, ColumnType::Integer, ColumnType::Text,
         ColumnType::Text},
        [&](const db::RowView& row) {
            LedgerBalanceRow ledger;
            ledger.account = row.Text(0);
            ledger.month = row.Text(1);
            ledger.cents = row.Integer(2);
            ledger.type = Nullable(row, 4);
            ledger.usable = row.Text(3) == "A" && ledger.type.has_value();
            visit(ledger);
        });
}

void BalanceStore::ReadAccountNames(
    const std::function<void(std::string_view, std::string_view)>& visit) {
    connection_.ReadRows("SELECT CDCONTCTBL, NMCONTCTBL FROM CONTCTBL", {},
                         {ColumnType::Text, ColumnType::Text},
                         [&](const db::RowView& row) { visit(row.Text(0), row.Text(1)); });
}

}  // namespace server

// The audit trail's statements, on every dialect.
#include "server/AuditTrail.h"

#include <chrono>
#include <ctime>

#include "db/Schema.h"

namespace server {
namespace {

using db::ColumnType;

constexpr const char* kColumns =
    "SELECT NRSEQUENCIA, NRITEM, DTREGISTRO, CDEMPRESA, IDSALDCOME, DSENDERECO, NMUSUARIO,"
    " CHREQUISICAO, IDALTERACAO, DTANTES, CDCONTANTES, CDSALDANTES, VRANTES, TIPANTES,"
    " DTDEPOIS, CDCONTDEPOIS, CDSALDDEPOIS, VRDEPOIS, TIPDEPOIS FROM SALDAUDI";

const std::vector<ColumnType> kTypes = {
    ColumnType::Integer, ColumnType::Integer, ColumnType::Text, ColumnType::Text,
    ColumnType::Text,    ColumnType::Text,    ColumnType::Text, ColumnType::Text,
    ColumnType::Text,    ColumnType::Text,    ColumnType::Text, ColumnType::Text,
    ColumnType::Integer, ColumnType::Text,    ColumnType::Text, ColumnType::Text,
    ColumnType::Text,    ColumnType::Integer, ColumnType::Text};

std::optional<AuditValues> ValuesAt(const db::RowView& row, std::size_t first) {
    if (row.IsNull(first)) return std::nullopt;
    return AuditValues{std::string(row.Text(first)), std::string(row.Text(first + 1)),
                       std::string(row.Text(first + 2)), row.Integer(first + 3),
                       row.Text(first + 4) == "S"};
}

void BindSide(db::Params& params, const std::string& prefix, const BalanceRow* row) {
    if (row == nullptr) {
        for (const char* name : {"d", "a", "o", "v", "t"}) params[prefix + name] = std::nullopt;
        return;
    }
    params[prefix + "d"] = row->month;
    params[prefix + "a"] = row->account;
    params[prefix + "o"] = row->owner;
    params[prefix + "v"] = std::to_string(row->cents);
    params[prefix + "t"] = row->implanted ? "S" : "N";
}

std::optional<std::string> NullIfEmpty(const std::string& text) {
    if (text.empty()) return std::nullopt;
    return text;
}

}  // namespace

std::string UtcNow() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

std::string NextSequenceSql(db::Dialect dialect) {
    switch (dialect) {
        case db::Dialect::Sqlite:
            // The highest number is the primary key's last entry: one search, not a scan.
            return "SELECT COALESCE(MAX(NRSEQUENCIA), 0) + 1 FROM SALDAUDI";
        case db::Dialect::Postgresql:
            return std::string("SELECT nextval('") + db::kAuditSequence + "')";
        case db::Dialect::Firebird:
            break;
    }
    return std::string("SELECT NEXT VALUE FOR ") + db::kAuditSequence + " FROM RDB$DATABASE";
}

std::int64_t AuditTrail::NextSequence() {
    std::int64_t value = 0;
    connection_.ReadRows(NextSequenceSql(connection_.GetDialect()), {}, {ColumnType::Integer},
                         [&](const db::RowView& row) { value = row.Integer(0); });
    return value;
}

void AuditTrail::Append(std::int64_t sequence, const AuditOrigin& origin,
                        const BalanceChanges& changes) {
    int item = 0;
    for (const BalanceChanges::Change& c : changes.changes) {
        db::Params params{{"n", std::to_string(sequence)},
                          {"i", std::to_string(++item)},
                          {"r", origin.time},
                          {"c", changes.company},
                          {"k", std::string(core::KindInfo(changes.kind).code)},
                          {"e", NullIfEmpty(origin.peer)},
                          {"u", NullIfEmpty(origin.user)},
                          {"q", NullIfEmpty(origin.key)},
                          {"x", std::string(1, c.kind == core::ChangeKind::Inserted   ? 'I'
                                               : c.kind == core::ChangeKind::Modified ? 'M'
                                                                                      : 'D')}};
        BindSide(params, "b", changes.Old(c));
        BindSide(params, "f", changes.Now(c));
        connection_.Execute(
            "INSERT INTO SALDAUDI (NRSEQUENCIA, NRITEM, DTREGISTRO, CDEMPRESA, IDSALDCOME,"
            " DSENDERECO, NMUSUARIO, CHREQUISICAO, IDALTERACAO, DTANTES, CDCONTANTES, CDSALDANTES,"
            " VRANTES, TIPANTES, DTDEPOIS, CDCONTDEPOIS, CDSALDDEPOIS, VRDEPOIS, TIPDEPOIS)"
            " VALUES (:n, :i, :r, :c, :k, :e, :u, :q, :x, :bd, :ba, :bo, :bv, :bt, :fd, :fa, :fo,"
            " :fv, :ft)",
            params);
    }
}

void AuditTrail::Select(const std::string& where, const db::Params& params,
                        const std::function<void(const AuditRecord&)>& visit) {
    connection_.ReadRows(std::string(kColumns) + where + " ORDER BY NRSEQUENCIA, NRITEM", params,
                         kTypes, [&](const db::RowView& row) {
                             AuditRecord r;
                             r.sequence = row.Integer(0);
                             r.item = static_cast<int>(row.Integer(1));
                             r.origin.time = row.Text(2);
                             r.company = row.Text(3);
                             r.kindCode = row.Text(4);
                             r.origin.peer = row.Text(5);
                             r.origin.user = row.Text(6);
                             r.origin.key = row.Text(7);
                             r.change = row.Text(8).empty() ? '?' : row.Text(8).front();
                             r.before = ValuesAt(row, 9);
                             r.after = ValuesAt(row, 14);
                             visit(r);
                         });
}

void AuditTrail::Read(const AuditFilter& filter,
                      const std::function<void(const AuditRecord&)>& visit) {
    std::string where;
    db::Params params;
    const auto add = [&](const char* condition, const char* name, const std::string& value) {
        where += where.empty() ? " WHERE " : " AND ";
        where += condition;
        params[name] = value;
    };
    if (filter.company) add("CDEMPRESA = :c", "c", *filter.company);
    if (filter.since) add("DTREGISTRO >= :s", "s", *filter.since);
    Select(where, params, visit);
}

void AuditTrail::History(const std::string& company, core::BalanceKind kind,
                         const std::string& month, const std::string& account,
                         const std::string& owner,
                         const std::function<void(const AuditRecord&)>& visit) {
    Select(
        " WHERE CDEMPRESA = :c AND IDSALDCOME = :k AND ((DTANTES = :m AND CDCONTANTES = :a"
        " AND CDSALDANTES = :o) OR (DTDEPOIS = :m AND CDCONTDEPOIS = :a AND CDSALDDEPOIS = :o))",
        {{"c", company},
         {"k", std::string(core::KindInfo(kind).code)},
         {"m", month},
         {"a", account},
         {"o", owner}},
        visit);
}

}  // namespace server

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

// The side's values as :<side>month, :<side>account, :<side>owner, :<side>cents and
// :<side>implanted, all null for a side that does not exist.
void BindSide(db::Params& params, const std::string& side, const BalanceRow* row) {
    if (row == nullptr) {
        for (const char* name : {"month", "account", "owner", "cents", "implanted"})
            params[side + name] = std::nullopt;
        return;
    }
    params[side + "month"] = row->month;
    params[side + "account"] = row->account;
    params[side + "owner"] = row->owner;
    params[side + "cents"] = std::to_string(row->cents);
    params[side + "implanted"] = row->implanted ? "S" : "N";
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

const char* ChangeName(char change) {
    switch (change) {
        case 'I':
            return "Inclusão";
        case 'M':
            return "Alteração";
        default:
            return "Exclusão";
    }
}

std::int64_t AuditTrail::NextSequence() {
    std::int64_t value = 0;
    connection_.ReadRows(connection_.Sql().NextValue(db::kAuditSequence), {}, {ColumnType::Integer},
                         [&](const db::RowView& row) { value = row.Integer(0); });
    return value;
}

void AuditTrail::Append(std::int64_t sequence, const AuditOrigin& origin,
                        const BalanceChanges& changes) {
    int item = 0;
    for (const BalanceChanges::Change& c : changes.changes) {
        db::Params params{{"sequence", std::to_string(sequence)},
                          {"item", std::to_string(++item)},
                          {"time", origin.time},
                          {"company", changes.company},
                          {"kind", std::string(core::KindInfo(changes.kind).code)},
                          {"peer", NullIfEmpty(origin.peer)},
                          {"user", NullIfEmpty(origin.user)},
                          {"requestKey", NullIfEmpty(origin.key)},
                          {"change", std::string(1, c.kind == core::ChangeKind::Inserted   ? 'I'
                                                    : c.kind == core::ChangeKind::Modified ? 'M'
                                                                                           : 'D')}};
        BindSide(params, "before", changes.Old(c));
        BindSide(params, "after", changes.Now(c));
        connection_.Execute(
            "INSERT INTO SALDAUDI (NRSEQUENCIA, NRITEM, DTREGISTRO, CDEMPRESA, IDSALDCOME,"
            " DSENDERECO, NMUSUARIO, CHREQUISICAO, IDALTERACAO, DTANTES, CDCONTANTES, CDSALDANTES,"
            " VRANTES, TIPANTES, DTDEPOIS, CDCONTDEPOIS, CDSALDDEPOIS, VRDEPOIS, TIPDEPOIS)"
            " VALUES (:sequence, :item, :time, :company, :kind, :peer, :user, :requestKey, :change,"
            " :beforemonth, :beforeaccount, :beforeowner, :beforecents, :beforeimplanted,"
            " :aftermonth, :afteraccount, :afterowner, :aftercents, :afterimplanted)",
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
    if (filter.company) add("CDEMPRESA = :company", "company", *filter.company);
    if (filter.since) add("DTREGISTRO >= :since", "since", *filter.since);
    Select(where, params, visit);
}

void AuditTrail::History(const std::string& company, core::BalanceKind kind,
                         const std::string& month, const std::string& account,
                         const std::string& owner,
                         const std::function<void(const AuditRecord&)>& visit) {
    Select(
        " WHERE CDEMPRESA = :company AND IDSALDCOME = :kind AND ((DTANTES = :month"
        " AND CDCONTANTES = :account AND CDSALDANTES = :owner) OR (DTDEPOIS = :month"
        " AND CDCONTDEPOIS = :account AND CDSALDDEPOIS = :owner))",
        {{"company", company},
         {"kind", std::string(core::KindInfo(kind).code)},
         {"month", month},
         {"account", account},
         {"owner", owner}},
        visit);
}

}  // namespace server

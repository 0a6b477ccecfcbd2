// The two implementations of Connection::ReadRows: SQLite's C API straight on the session's
// handle (a company may hold a million balances), and SOCI's bulk fetch for the others.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "db/RowView.h"

struct sqlite3;
namespace soci {
class session;
}

namespace db::detail {

// `sql` names its parameters :p0, :p1, ... in order; `values` holds them (nullopt: null).
// Both throw DbError.
void ReadSqliteRows(sqlite3* handle, const std::string& sql,
                    const std::vector<std::optional<std::string>>& values,
                    const std::vector<ColumnType>& columns, const RowVisitor& visit);
void ReadSociRows(soci::session& session, const std::string& sql,
                  const std::vector<std::optional<std::string>>& values,
                  const std::vector<ColumnType>& columns, const RowVisitor& visit);

}  // namespace db::detail

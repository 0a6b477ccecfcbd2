// Reading many rows from PostgreSQL as they arrive: libpq's single-row mode hands each row
// over when it comes off the wire, instead of gathering the whole result (a company of a
// million balances) in the server's memory before the first row can be used.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "db/RowView.h"
#include "db/detail/RowReaders.h"

struct pg_conn;

namespace db::detail {

// Statements of one connection, prepared once per text.
class PgStatements {
  public:
    explicit PgStatements(pg_conn* connection) : connection_(connection) {}

    // `sql` numbers its parameters $1, $2, ... in order; `values` holds them (nullopt: null).
    // `visit` must not use the connection: it is busy with the rows still coming. Throws
    // DbError; a visit that raises stops the statement, and the connection stays usable.
    void Stream(const std::string& sql, const Values& values,
                const std::vector<ColumnType>& columns, const RowVisitor& visit);

  private:
    const std::string& Prepared(const std::string& sql, int params);

    pg_conn* connection_;
    std::unordered_map<std::string, std::string> names_;
};

}  // namespace db::detail

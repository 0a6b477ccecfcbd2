// What differs between the databases behind a Connection, one implementation per database,
// chosen once when the connection opens: the session, how statements run and rows are read,
// transactions, the SQL pieces written differently, and how the library's errors are sorted.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "db/Connection.h"
#include "db/DialectSql.h"
#include "db/RowView.h"

namespace soci {
class session;
}

namespace db::detail {

// Every operation throws DbError (LockConflict where running the transaction again may
// succeed), its message worded for a user and the library's text in its detail.
class Backend : public DialectSql {
  public:
    virtual Dialect Kind() const = 0;
    virtual soci::session& Session() = 0;

    // As Connection's.
    virtual QueryResult Select(std::string_view sql, const Params& params) = 0;
    virtual void Execute(std::string_view sql, const Params& params) = 0;
    virtual void ReadRows(std::string_view sql, const Params& params,
                          const std::vector<ColumnType>& columns, const RowVisitor& visit) = 0;
    // Where the database has no way of its own to hand rows over as they arrive, ReadRows.
    virtual void StreamRows(std::string_view sql, const Params& params,
                            const std::vector<ColumnType>& columns, const RowVisitor& visit) {
        ReadRows(sql, params, columns, visit);
    }

    virtual void BeginWrite() = 0;
    virtual void Commit() = 0;
    virtual void Rollback() = 0;
    virtual void Settle() {}

    // Creates, inside the open write transaction, what is missing of the schema: `statements`
    // (each a CREATE TABLE or CREATE INDEX with IF NOT EXISTS, in order), `sequence`, and the
    // look-up helpers where the database keeps them in the schema. Lets soci::soci_error through.
    virtual void CreateSchema(std::span<const char* const> statements,
                              const Sequence& sequence) = 0;
    // Creates, inside the open write transaction, the triggers that keep `sum` when they are
    // missing, and returns whether it did: the sums must then be filled in that transaction.
    // The table itself is one of the schema's statements, committed before. Lets
    // soci::soci_error through.
    virtual bool CreateKeptSum(const KeptSum& sum) = 0;
};

// The key's columns, each after `prefix` ("NEW.", "T."), separated by commas; or, given `other`,
// each one compared equal to the same column after `other`, joined by AND.
inline std::string KeyColumns(const KeptSum& sum, std::string_view prefix,
                              std::string_view other = {}) {
    std::string text;
    for (const char* column : sum.key) {
        if (!text.empty()) text += other.empty() ? ", " : " AND ";
        text += std::string(prefix) + column;
        if (!other.empty()) text += " = " + std::string(other) + column;
    }
    return text;
}

}  // namespace db::detail

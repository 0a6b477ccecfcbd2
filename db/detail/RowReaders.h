// How Connection runs statements: on SQLite straight on the session's handle through a cache
// of prepared statements (a company may hold a million balances, and a save runs a few
// statements per row), on the others through SOCI's bulk fetch.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "db/RowView.h"

struct sqlite3;
struct sqlite3_stmt;
namespace soci {
class session;
}

namespace db::detail {

using Values = std::vector<std::optional<std::string>>;

// Prepared statements of one SQLite handle, by text. A statement in use when the same text is
// run again (a visit that queries) is prepared anew for the inner run. The cache must be
// destroyed before the handle is closed.
class SqliteStatements {
  public:
    explicit SqliteStatements(sqlite3* handle);
    ~SqliteStatements();
    SqliteStatements(const SqliteStatements&) = delete;
    SqliteStatements& operator=(const SqliteStatements&) = delete;

    // `sql` names its parameters :p0, :p1, ... in order; `values` holds them (nullopt: null).
    // Both throw DbError.
    void Read(const std::string& sql, const Values& values, const std::vector<ColumnType>& columns,
              const RowVisitor& visit);
    void Execute(const std::string& sql, const Values& values);

  private:
    struct Entry;
    class Lease;

    sqlite3* handle_;
    std::unordered_map<std::string, std::unique_ptr<Entry>> entries_;
};

// Prepared statements of one PostgreSQL session through SOCI, by text: each is prepared on the
// server once and run again with new values, one round trip a run instead of three (prepare,
// run, deallocate). A statement in use when the same text is run again is prepared anew for the
// inner run. Lets soci::soci_error through. Must be destroyed before the session.
class SociStatements {
  public:
    explicit SociStatements(soci::session& session);
    ~SociStatements();
    SociStatements(const SociStatements&) = delete;
    SociStatements& operator=(const SociStatements&) = delete;

    // As SqliteStatements' (:p0, :p1, ... in order).
    void Read(const std::string& sql, const Values& values, const std::vector<ColumnType>& columns,
              const RowVisitor& visit);
    void Execute(const std::string& sql, const Values& values);

  private:
    struct Entry;
    class Lease;

    soci::session& session_;
    std::unordered_map<std::string, std::unique_ptr<Entry>> entries_;
};

// `trimFixed`: blank-padded CHAR columns (Firebird's) are given without their padding. Lets
// soci::soci_error through, for the caller to tell a lock conflict from other failures.
void ReadSociRows(soci::session& session, const std::string& sql, const Values& values,
                  const std::vector<ColumnType>& columns, bool trimFixed, const RowVisitor& visit);

}  // namespace db::detail

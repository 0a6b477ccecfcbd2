// One connection to the business database, SQLite, PostgreSQL or Firebird, chosen by a URL, with
// the helper objects the look-up texts use (PARAM, NVLSTR, NVL) available on it.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/DialectSql.h"
#include "db/RowView.h"

namespace soci {
class session;
}

namespace db {
namespace detail {
class Backend;
}

enum class Dialect { Sqlite, Postgresql, Firebird };

// Rows of a SELECT: column names upper-cased, every value as text or null.
struct QueryResult {
    std::vector<std::string> columns;
    std::vector<std::vector<std::optional<std::string>>> rows;

    // Index of a column by name (any letter case); throws DbError when absent.
    std::size_t Column(std::string_view name) const;
};

// Values of the named parameters of a statement, keyed by name without the colon (any case).
using Params = std::map<std::string, std::optional<std::string>>;

class Connection {
  public:
    // Opens "sqlite:PATH", "postgresql://..." (a libpq URI or "postgresql://key=value ..."),
    // "firebird:PATH" (a Firebird database file opened in this process, by one process at a
    // time) or "firebird://[USER[:PASSWORD]@]HOST[:PORT]/DATABASE" (a Firebird server; DATABASE
    // is an alias, or "/" and an absolute path on the server; without a user the client
    // library's ISC_USER and ISC_PASSWORD apply).
    // SQLite files are opened in WAL mode with synchronous=FULL and a busy time-out.
    // PostgreSQL and Firebird databases must be UTF-8. Throws DbError with the reason when the
    // database cannot be opened.
    static std::unique_ptr<Connection> Open(const std::string& url);

    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    Dialect GetDialect() const;
    // "sqlite", "postgresql" or "firebird".
    std::string DialectName() const;

    // Runs a SELECT whose values come as named parameters (":NAME", case-insensitive; a name may
    // appear more than once). Every value is bound, never spliced into the text. On Firebird a
    // parameter is text of at most 1000 characters wherever it stands (a longer one is refused),
    // a null one is written as a typed null, every statement outside a write runs in a
    // transaction of its own, and CHAR results come without their blank padding.
    QueryResult Select(std::string_view sql, const Params& params = {});
    // Runs a statement that returns no rows, with the same binding rules.
    void Execute(std::string_view sql, const Params& params = {});
    // Runs a SELECT with the same binding rules and hands each row to `visit` as it is
    // fetched, without collecting them: the way to read many rows. `columns` says how each
    // result column is fetched (as many as the SELECT returns). Throws DbError.
    void ReadRows(std::string_view sql, const Params& params,
                  const std::vector<ColumnType>& columns, const RowVisitor& visit);
    // The same for a visit that does not use the connection: on PostgreSQL the rows are then
    // handed over as they come off the wire, never gathered whole first.
    void StreamRows(std::string_view sql, const Params& params,
                    const std::vector<ColumnType>& columns, const RowVisitor& visit);

    // The SQL pieces this database writes its own way.
    const DialectSql& Sql() const;

    // Starts a transaction that writes: on SQLite it takes the write lock at once
    // (BEGIN IMMEDIATE), so two writers never both read and then fail to upgrade; on Firebird
    // it reads one snapshot and waits for rows another transaction locked.
    void BeginWrite();
    void Commit();
    void Rollback();

    soci::session& Session();
    // Ends a transaction that direct use of Session() left open (Firebird's SOCI backend opens
    // one on a statement's first use and keeps it until a commit), so that the connection's
    // next user reads what others committed since. Does nothing on SQLite and PostgreSQL, and
    // nothing inside a write. Throws DbError.
    void Settle();

  private:
    friend void CreateSchema(Connection& connection);
    explicit Connection(std::unique_ptr<detail::Backend> backend);

    std::unique_ptr<detail::Backend> backend_;
};

// Rolls back on scope exit unless committed.
class WriteTransaction {
  public:
    explicit WriteTransaction(Connection& connection);
    ~WriteTransaction();
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;

    void Commit();

  private:
    Connection& connection_;
    bool open_ = true;
};

}  // namespace db

// SQLite: a file opened in WAL mode, statements run on the native handle through a cache of
// prepared statements, and the write lock taken when a write begins.
#include "db/detail/SqliteBackend.h"

#include <soci/soci.h>
#include <soci/sqlite3/soci-sqlite3.h>

#include <utility>

#include "db/DbError.h"
#include "db/RedactedUrl.h"
#include "db/detail/Failure.h"
#include "db/detail/NamedParams.h"
#include "db/detail/RowReaders.h"
#include "db/detail/SociSelect.h"
#include "db/detail/SqliteFailure.h"
#include "db/detail/SqliteHelpers.h"

namespace db::detail {

namespace {

constexpr int kBusyTimeoutMs = 30000;

// SOCI includes sqlite3.h inside the namespace sqlite_api; the rest of the layer names the
// handle by its global declaration.
::sqlite3* Native(sqlite_api::sqlite3* handle) {
    return reinterpret_cast<::sqlite3*>(handle);
}

// Runs a statement without parameters or rows; throws DbError as `doing` failing.
void Run(sqlite_api::sqlite3* handle, const char* sql, std::string_view doing) {
    char* message = nullptr;
    const int rc = sqlite_api::sqlite3_exec(handle, sql, nullptr, nullptr, &message);
    if (rc == SQLITE_OK) return;
    std::string text = message != nullptr ? message : sqlite_api::sqlite3_errmsg(handle);
    sqlite_api::sqlite3_free(message);
    ThrowSqliteFailure(sqlite_api::sqlite3_extended_errcode(handle), doing, std::move(text));
}

class SqliteBackend final : public Backend {
  public:
    explicit SqliteBackend(std::unique_ptr<soci::session> session)
        : session_(std::move(session)),
          handle_(static_cast<soci::sqlite3_session_backend*>(session_->get_backend())->conn_),
          statements_(Native(handle_)) {}

    Dialect Kind() const override { return Dialect::Sqlite; }
    soci::session& Session() override { return *session_; }

    QueryResult Select(std::string_view sql, const Params& params) override {
        const RenamedStatement statement = RenameParams(sql);
        const Values values = ValuesOf(statement, params);
        try {
            return SelectSoci(*session_, statement.sql, values, false);
        } catch (const soci::sqlite3_soci_error& e) {
            ThrowSqliteFailure(e.result(), kQueryFailed, e.what());
        } catch (const soci::soci_error&) {
            ThrowSqliteFailure(Native(handle_), kQueryFailed);
        }
    }

    void Execute(std::string_view sql, const Params& params) override {
        const RenamedStatement statement = RenameParams(sql);
        statements_.Execute(statement.sql, ValuesOf(statement, params));
    }

    void ReadRows(std::string_view sql, const Params& params,
                  const std::vector<ColumnType>& columns, const RowVisitor& visit) override {
        const RenamedStatement statement = RenameParams(sql);
        statements_.Read(statement.sql, ValuesOf(statement, params), columns, visit);
    }

    // The write lock is taken at once, so that two writers never both read and then fail to
    // upgrade.
    void BeginWrite() override { Run(handle_, "BEGIN IMMEDIATE", kBeginFailed); }
    void Commit() override { Run(handle_, "COMMIT", kCommitFailed); }
    void Rollback() override { Run(handle_, "ROLLBACK", kRollbackFailed); }

    // A table with a key of its own is stored in its key's order, without a second rowid tree.
    void CreateSchema(std::span<const char* const> statements, const Sequence&) override {
        for (const char* sql : statements) {
            std::string text = sql;
            if (text.find("TABLE") != std::string::npos &&
                text.find("PRIMARY KEY (") != std::string::npos) {
                text += " WITHOUT ROWID";
            }
            *session_ << text;
        }
    }

    // Three triggers, as SQLite has none for several events; each adds the old row's value
    // negated and the new row's value to their keys' sums, where the row is flagged.
    bool CreateKeptSum(const KeptSum& sum) override {
        const std::string name = sum.trigger;
        int present = 0;
        *session_ << "SELECT COUNT(*) FROM sqlite_master WHERE type = 'trigger' AND name IN ('" +
                         name + "_I', '" + name + "_U', '" + name + "_D')",
            soci::into(present);
        if (present == 3) return false;
        for (const char* suffix : {"_I", "_U", "_D"})
            *session_ << "DROP TRIGGER IF EXISTS " + name + suffix;
        const auto add = [&](const std::string& row, const char* sign) {
            return std::string("INSERT INTO ") + sum.table + " (" + KeyColumns(sum, "") + ", " +
                   sum.total + ") SELECT " + KeyColumns(sum, row) + ", " + sign + row + sum.value +
                   " WHERE " + row + sum.flag + " = '" + sum.flagged + "' ON CONFLICT (" +
                   KeyColumns(sum, "") + ") DO UPDATE SET " + sum.total + " = " + sum.total +
                   " + excluded." + sum.total + ";";
        };
        const std::string on = std::string(" ON ") + sum.source + " BEGIN ";
        *session_ << "CREATE TRIGGER " + name + "_I AFTER INSERT" + on + add("NEW.", "") + " END";
        *session_ << "CREATE TRIGGER " + name + "_U AFTER UPDATE" + on + add("OLD.", "-") + " " +
                         add("NEW.", "") + " END";
        *session_ << "CREATE TRIGGER " + name + "_D AFTER DELETE" + on + add("OLD.", "-") + " END";
        return true;
    }

    std::string SelectRow(std::string_view values) const override {
        return "SELECT " + std::string(values);
    }
    std::string Locking(std::string_view select) const override { return std::string(select); }
    std::string NextValue(const Sequence& sequence) const override {
        return std::string("SELECT COALESCE(MAX(") + sequence.column + "), 0) + 1 FROM " +
               sequence.table;
    }

  private:
    std::unique_ptr<soci::session> session_;
    sqlite_api::sqlite3* handle_;
    // Declared after the session so that it goes first.
    SqliteStatements statements_;
};

}  // namespace

std::unique_ptr<Backend> OpenSqlite(const std::string& url, const std::string& path) {
    if (path.empty()) throw DbError("Informe o arquivo do banco: sqlite:CAMINHO.");
    std::string connect = path;
    if (path.find('=') != std::string::npos) {
        connect = "db=\"";
        connect += path;
        connect += '"';
    }
    const std::string opening = "Não foi possível abrir o banco de dados " + RedactedUrl(url);
    std::unique_ptr<soci::session> session;
    try {
        session = std::make_unique<soci::session>(soci::sqlite3, connect);
    } catch (const soci::sqlite3_soci_error& e) {
        ThrowSqliteFailure(e.result(), opening, e.what());
    } catch (const soci::soci_error& e) {
        throw DbError(opening + ": " + e.what());
    }
    auto* handle = static_cast<soci::sqlite3_session_backend*>(session->get_backend())->conn_;
    sqlite_api::sqlite3_busy_timeout(handle, kBusyTimeoutMs);
    const std::string preparing = "Falha ao preparar a conexão SQLite";
    Run(handle, "PRAGMA journal_mode=WAL", preparing);
    Run(handle, "PRAGMA synchronous=FULL", preparing);
    Run(handle, "PRAGMA foreign_keys=ON", preparing);
    RegisterSqliteHelpers(Native(handle));
    return std::make_unique<SqliteBackend>(std::move(session));
}

}  // namespace db::detail

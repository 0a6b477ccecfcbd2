// PostgreSQL: statements prepared once per connection through SOCI, long reads streamed row by
// row through libpq, rows locked with FOR UPDATE.
#include "db/detail/PgBackend.h"

#include <libpq-fe.h>
#include <soci/postgresql/soci-postgresql.h>
#include <soci/soci.h>

#include <string_view>
#include <utility>

#include "db/DbError.h"
#include "db/RedactedUrl.h"
#include "db/detail/Failure.h"
#include "db/detail/NamedParams.h"
#include "db/detail/PgFailure.h"
#include "db/detail/PgRows.h"
#include "db/detail/RowReaders.h"
#include "db/detail/SociSelect.h"

namespace db::detail {

namespace {

// The advisory lock key under which the schema is made ("SALD").
constexpr long long kSchemaLock = 0x53414C44;

// Texts are UTF-8 end to end and column sizes count characters: a database in another encoding
// (SQL_ASCII from a cluster made under the C locale, LATIN1, ...) would count bytes or mangle
// accented names, so it is refused before anything is read or written.
void RequireUtf8Database(soci::session& session) {
    std::string encoding;
    session << "SELECT pg_encoding_to_char(encoding) FROM pg_database "
               "WHERE datname = current_database()",
        soci::into(encoding);
    if (encoding == "UTF8") return;
    throw DbError("O banco de dados PostgreSQL usa a codificação " + encoding +
                  ", mas o Saldo Comercial exige UTF8. Crie um banco em UTF-8, por exemplo: "
                  "createdb --encoding=UTF8 --template=template0 NOME (ou CREATE DATABASE NOME "
                  "ENCODING 'UTF8' TEMPLATE template0), e informe-o em --db.");
}

// PostgreSQL's PARAM returns a one-column composite, so that "PARAM(:X) ALIAS" keeps the
// column name PARAM instead of taking the alias as a scalar function's column would.
const char* const kPostgresHelpers[] = {
    R"(DO $$ BEGIN
         IF to_regtype('param_row') IS NULL THEN CREATE TYPE param_row AS (param text); END IF;
       END $$)",
    R"(CREATE OR REPLACE FUNCTION param(text) RETURNS SETOF param_row
         LANGUAGE sql IMMUTABLE AS $$ SELECT $1 $$)",
    R"(CREATE OR REPLACE FUNCTION nvlstr(text, text) RETURNS text
         LANGUAGE sql IMMUTABLE AS $$ SELECT COALESCE($1, $2) $$)",
    R"(CREATE OR REPLACE FUNCTION nvl(anycompatible, anycompatible) RETURNS anycompatible
         LANGUAGE sql IMMUTABLE AS $$ SELECT COALESCE($1, $2) $$)",
};

class PgBackend final : public Backend {
  public:
    explicit PgBackend(std::unique_ptr<soci::session> session)
        : session_(std::move(session)),
          connection_(
              static_cast<soci::postgresql_session_backend*>(session_->get_backend())->conn_),
          prepared_(*session_),
          streamed_(connection_) {}

    Dialect Kind() const override { return Dialect::Postgresql; }
    soci::session& Session() override { return *session_; }

    QueryResult Select(std::string_view sql, const Params& params) override {
        const RenamedStatement statement = RenameParams(sql);
        const Values values = ValuesOf(statement, params);
        try {
            return SelectSoci(*session_, statement.sql, values, false);
        } catch (const soci::soci_error& e) {
            Fail(e, kQueryFailed);
        }
    }

    void Execute(std::string_view sql, const Params& params) override {
        const RenamedStatement statement = RenameParams(sql);
        const Values values = ValuesOf(statement, params);
        try {
            prepared_.Execute(statement.sql, values);
        } catch (const soci::soci_error& e) {
            Fail(e, kCommandFailed);
        }
    }

    void ReadRows(std::string_view sql, const Params& params,
                  const std::vector<ColumnType>& columns, const RowVisitor& visit) override {
        const RenamedStatement statement = RenameParams(sql);
        const Values values = ValuesOf(statement, params);
        try {
            prepared_.Read(statement.sql, values, columns, visit);
        } catch (const soci::soci_error& e) {
            Fail(e, kQueryFailed);
        }
    }

    // The rows are handed over as they come off the wire, never gathered whole first.
    void StreamRows(std::string_view sql, const Params& params,
                    const std::vector<ColumnType>& columns, const RowVisitor& visit) override {
        ParamStyle numbered;
        numbered.dollar = true;
        const RenamedStatement statement = RenameParams(sql, numbered);
        streamed_.Stream(statement.sql, ValuesOf(statement, params), columns, visit);
    }

    void BeginWrite() override { Run("BEGIN", kBeginFailed); }
    void Commit() override { Run("COMMIT", kCommitFailed); }
    void Rollback() override { Run("ROLLBACK", kRollbackFailed); }

    void CreateSchema(std::span<const char* const> statements, const Sequence& sequence) override {
        // "already exists, skipping" for every table would fill a server's log at each start.
        *session_ << "SET LOCAL client_min_messages = warning";
        // Servers starting side by side would replace the same functions at once ("tuple
        // concurrently updated"): the schema is made in turn, under a lock held to the commit.
        *session_ << "SELECT pg_advisory_xact_lock(" << kSchemaLock << ")";
        for (const char* sql : statements) *session_ << sql;
        for (const char* sql : kPostgresHelpers) *session_ << sql;
        *session_ << "CREATE SEQUENCE IF NOT EXISTS " << sequence.name;
    }

    // One trigger function, run after each row's change: the old row's value leaves its key's
    // sum and the new row's value joins its own, where the row is flagged. The upsert takes the
    // sum's row lock, so that concurrent writers of one key add up instead of overwriting.
    // Creating the trigger locks the source's writers out until the commit, so that sums filled
    // after it miss no balance.
    bool CreateKeptSum(const KeptSum& sum) override {
        *session_ << "SELECT pg_advisory_xact_lock(" << kSchemaLock << ")";
        const std::string name = sum.trigger;
        int present = 0;
        *session_ << "SELECT COUNT(*) FROM pg_trigger WHERE tgrelid = to_regclass('" +
                         std::string(sum.source) + "') AND tgname = lower('" + name + "')",
            soci::into(present);
        if (present > 0) return false;
        const auto add = [&](const std::string& row, const char* sign) {
            return std::string("IF ") + row + sum.flag + " = '" + sum.flagged +
                   "' THEN INSERT INTO " + sum.table + " (" + KeyColumns(sum, "") + ", " +
                   sum.total + ") VALUES (" + KeyColumns(sum, row) + ", " + sign + row + sum.value +
                   ") ON CONFLICT (" + KeyColumns(sum, "") + ") DO UPDATE SET " + sum.total +
                   " = " + sum.table + "." + sum.total + " + EXCLUDED." + sum.total + "; END IF;";
        };
        *session_ << "CREATE OR REPLACE FUNCTION " + name +
                         "() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN"
                         " IF TG_OP <> 'INSERT' THEN " +
                         add("OLD.", "-") + " END IF; IF TG_OP <> 'DELETE' THEN " +
                         add("NEW.", "") + " END IF; RETURN NULL; END $$";
        *session_ << "CREATE TRIGGER " + name + " AFTER INSERT OR UPDATE OR DELETE ON " +
                         sum.source + " FOR EACH ROW EXECUTE FUNCTION " + name + "()";
        return true;
    }

    std::string SelectRow(std::string_view values) const override {
        return "SELECT " + std::string(values);
    }
    std::string Locking(std::string_view select) const override {
        return std::string(select) + " FOR UPDATE";
    }
    std::string NextValue(const Sequence& sequence) const override {
        return std::string("SELECT nextval('") + sequence.name + "')";
    }

  private:
    [[noreturn]] void Fail(const soci::soci_error& error, std::string_view doing) {
        const auto* pg = dynamic_cast<const soci::postgresql_soci_error*>(&error);
        const std::string code = pg != nullptr ? pg->sqlstate() : std::string();
        ThrowPgFailure(connection_, code.c_str(), doing, error.what());
    }

    void Run(const char* sql, std::string_view doing) {
        try {
            *session_ << sql;
        } catch (const soci::soci_error& e) {
            Fail(e, doing);
        }
    }

    std::unique_ptr<soci::session> session_;
    PGconn* connection_;
    // Declared after the session so that they go first.
    SociStatements prepared_;
    PgStatements streamed_;
};

}  // namespace

std::unique_ptr<Backend> OpenPostgresql(const std::string& url, const std::string& connect) {
    const std::string opening = "Não foi possível abrir o banco de dados " + RedactedUrl(url);
    try {
        auto session = std::make_unique<soci::session>(soci::postgresql, connect);
        RequireUtf8Database(*session);
        *session << "SET client_encoding TO 'UTF8'";
        *session << "SET DateStyle TO 'ISO, YMD'";
        return std::make_unique<PgBackend>(std::move(session));
    } catch (const soci::soci_error& e) {
        // SOCI reports a failed connection without its SQLSTATE: whether a server answers and
        // takes connections tells an unreachable one (down, starting, or only standbys left
        // while a failover is under way) from a refused login or a missing database.
        const PGPing ping = PQping(connect.c_str());
        const bool standbysOnly =
            std::string_view(e.what()).find("read-only") != std::string_view::npos;
        const FailureKind kind = ping == PQPING_NO_RESPONSE || ping == PQPING_REJECT || standbysOnly
                                     ? FailureKind::Unreachable
                                     : FailureKind::Other;
        ThrowFailure(kind, opening, e.what());
    }
}

}  // namespace db::detail

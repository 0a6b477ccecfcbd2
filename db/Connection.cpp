// Connection by URL over the dialect object chosen there, and write transactions.
#include "db/Connection.h"

#include <utility>

#include "db/DbError.h"
#include "db/RedactedUrl.h"
#include "db/detail/Backend.h"
#include "db/detail/FirebirdBackend.h"
#include "db/detail/FirebirdUrl.h"
#include "db/detail/NamedParams.h"
#include "db/detail/PgBackend.h"
#include "db/detail/SqliteBackend.h"

namespace db {

std::size_t QueryResult::Column(std::string_view name) const {
    const std::string wanted = detail::ToUpper(name);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (columns[i] == wanted) return i;
    }
    throw DbError("A consulta não tem a coluna " + wanted + ".");
}

std::unique_ptr<Connection> Connection::Open(const std::string& url) {
    if (detail::IsFirebirdUrl(url))
        return std::unique_ptr<Connection>(new Connection(detail::OpenFirebirdBackend(url)));
    if (url.rfind("sqlite:", 0) == 0)
        return std::unique_ptr<Connection>(new Connection(detail::OpenSqlite(url, url.substr(7))));
    for (const std::string prefix : {"postgresql://", "postgres://"}) {
        if (url.rfind(prefix, 0) != 0) continue;
        const std::string rest = url.substr(prefix.size());
        // "postgresql://key=value ..." is SOCI's form; anything else is a libpq URI.
        const std::size_t mark = rest.find_first_of("=/@?");
        const std::string connect = mark != std::string::npos && rest[mark] == '=' ? rest : url;
        return std::unique_ptr<Connection>(new Connection(detail::OpenPostgresql(url, connect)));
    }
    throw DbError("Endereço de banco de dados não reconhecido: " + RedactedUrl(url) +
                  " (use sqlite:CAMINHO, postgresql://... ou firebird:...).");
}

Connection::Connection(std::unique_ptr<detail::Backend> backend) : backend_(std::move(backend)) {}

Connection::~Connection() = default;

Dialect Connection::GetDialect() const {
    return backend_->Kind();
}

std::string Connection::DialectName() const {
    switch (backend_->Kind()) {
        case Dialect::Sqlite:
            return "sqlite";
        case Dialect::Postgresql:
            return "postgresql";
        case Dialect::Firebird:
            return "firebird";
    }
    return "?";
}

const DialectSql& Connection::Sql() const {
    return *backend_;
}

soci::session& Connection::Session() {
    return backend_->Session();
}

QueryResult Connection::Select(std::string_view sql, const Params& params) {
    return backend_->Select(sql, params);
}

void Connection::Execute(std::string_view sql, const Params& params) {
    backend_->Execute(sql, params);
}

void Connection::ReadRows(std::string_view sql, const Params& params,
                          const std::vector<ColumnType>& columns, const RowVisitor& visit) {
    backend_->ReadRows(sql, params, columns, visit);
}

void Connection::StreamRows(std::string_view sql, const Params& params,
                            const std::vector<ColumnType>& columns, const RowVisitor& visit) {
    backend_->StreamRows(sql, params, columns, visit);
}

void Connection::BeginWrite() {
    backend_->BeginWrite();
}

void Connection::Commit() {
    backend_->Commit();
}

void Connection::Rollback() {
    backend_->Rollback();
}

void Connection::Settle() {
    backend_->Settle();
}

WriteTransaction::WriteTransaction(Connection& connection) : connection_(connection) {
    connection_.BeginWrite();
}

WriteTransaction::~WriteTransaction() {
    if (!open_) return;
    try {
        connection_.Rollback();
    } catch (const std::exception&) {
        // The connection is broken; the server drops it and the database discards the work.
    }
}

void WriteTransaction::Commit() {
    connection_.Commit();
    open_ = false;
}

}  // namespace db

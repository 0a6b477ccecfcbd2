// The shared database connection of the client.
#include "library/dtmDBGeral.h"

#include "db/Connection.h"
#include "db/RedactedUrl.h"
#include "library/Orvane.h"
#include "platform/Exceptions.h"

namespace library {

std::string DialectName(SqlDialect dialect) {
    switch (dialect) {
        case SqlDialect::InterBase:
            return "InterBase";
        case SqlDialect::Oracle:
            return "Oracle";
        case SqlDialect::MsSql:
            return "SQL Server";
        case SqlDialect::Sqlite:
            return "SQLite";
        case SqlDialect::Postgresql:
            return "PostgreSQL";
    }
    return "?";
}

TdtmDBGeral::TdtmDBGeral() = default;
TdtmDBGeral::~TdtmDBGeral() = default;

db::Connection& TdtmDBGeral::Connection() {
    const auto url = DatabaseURL();
    if (!connection_ || url != url_) {
        connection_.reset();
        try {
            connection_ = db::Connection::Open(url);
        } catch (const platform::Error& e) {
            throw platform::Error("Não foi possível abrir o banco de dados " +
                                  db::RedactedUrl(url) + ": " + e.what());
        }
        url_ = url;
    }
    return *connection_;
}

SqlDialect TdtmDBGeral::Dialect() {
    switch (Connection().GetDialect()) {
        case db::Dialect::Postgresql:
            return SqlDialect::Postgresql;
        case db::Dialect::Firebird:
            return SqlDialect::InterBase;  // runs the queries' SQL_IB texts as they are
        case db::Dialect::Sqlite:
            break;
    }
    return SqlDialect::Sqlite;
}

void TdtmDBGeral::Disconnect() {
    connection_.reset();
    url_.clear();
}

TdtmDBGeral& dtmDBGeral() {
    static TdtmDBGeral module;
    return module;
}

}  // namespace library

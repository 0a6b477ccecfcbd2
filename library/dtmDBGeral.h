// The client's shared database connection: one per process, opened on first use from the
// configured URL (Orvane's DatabaseURL) and reopened when that URL changes.
#pragma once

#include <memory>
#include <string>

namespace db {
class Connection;
}

namespace library {

// Which text of a multi-dialect query fits a connection.
enum class SqlDialect { InterBase, Oracle, MsSql, Sqlite, Postgresql };

std::string DialectName(SqlDialect dialect);

class TdtmDBGeral {
  public:
    TdtmDBGeral();
    ~TdtmDBGeral();
    TdtmDBGeral(const TdtmDBGeral&) = delete;
    TdtmDBGeral& operator=(const TdtmDBGeral&) = delete;

    // The open connection; raises (naming the URL) when the database cannot be opened.
    db::Connection& Connection();
    SqlDialect Dialect();
    // Drops the connection; the next use opens it again.
    void Disconnect();
    bool Connected() const { return connection_ != nullptr; }

  private:
    std::unique_ptr<db::Connection> connection_;
    std::string url_;
};

// The process's data module, shared by the shell and every screen module.
TdtmDBGeral& dtmDBGeral();

}  // namespace library

// A point inside a write transaction to go back to: rolling back to it undoes what was done
// since, keeps what was done before, and the transaction goes on to its commit. SQLite,
// PostgreSQL and Firebird take the same statements.
#pragma once

#include <string>

#include "db/Connection.h"

namespace db {

class Savepoint {
  public:
    // Sets the point (the name is an identifier, never a user's text). Throws DbError.
    Savepoint(Connection& connection, std::string name);
    Savepoint(const Savepoint&) = delete;
    Savepoint& operator=(const Savepoint&) = delete;

    // Undoes what the transaction did since the point. Throws DbError.
    void RollBack();

  private:
    Connection& connection_;
    const std::string name_;
};

}  // namespace db

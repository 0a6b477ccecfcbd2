// Errors of the database layer: a failed connection, statement or schema step, worded for a user,
// with the database library's own words kept apart for the server's log.
#pragma once

#include <string>
#include <string_view>

#include "core/Error.h"

namespace db {

class DbError : public core::Error {
  public:
    // `detail`: the database library's text, when the message does not already hold it.
    explicit DbError(const std::string& message, std::string detail = {});

    // The database library's own words (English, naming internals): for a log, never a user.
    const std::string& Detail() const { return detail_; }

    // The same failure with `prefix` before its message, its detail kept.
    DbError Prefixed(std::string_view prefix) const;

  private:
    std::string detail_;
};

// A row the transaction locks was changed or locked by another transaction that has since
// committed (or the database broke a deadlock), so the work must start again on what is there
// now. Firebird reports this where PostgreSQL would wait and go on, and SQLite serialises all
// writers.
class LockConflict : public DbError {
  public:
    using DbError::DbError;
};

// The database could not be reached, or the connection to it was lost (a server down, a
// failover under way). Whether a write in progress when it happened was committed is unknown.
class ConnectionLost : public DbError {
  public:
    using DbError::DbError;
};

}  // namespace db

// SQLite behind a Connection.
#pragma once

#include <memory>
#include <string>

#include "db/detail/Backend.h"

namespace db::detail {

// Opens the file at `path` ("sqlite:PATH" is `url`) in WAL mode with synchronous=FULL, a busy
// time-out and the look-up helpers. Throws DbError with the reason.
std::unique_ptr<Backend> OpenSqlite(const std::string& url, const std::string& path);

}  // namespace db::detail

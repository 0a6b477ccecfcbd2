// PostgreSQL behind a Connection.
#pragma once

#include <memory>
#include <string>

#include "db/detail/Backend.h"

namespace db::detail {

// Connects with libpq's `connect` text (a URI or key=value pairs; `url` as given, shown with its
// password blanked out) to a UTF-8 database. Throws DbError with the reason.
std::unique_ptr<Backend> OpenPostgresql(const std::string& url, const std::string& connect);

}  // namespace db::detail

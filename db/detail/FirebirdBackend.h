// Firebird behind a Connection.
#pragma once

#include <memory>
#include <string>

#include "db/detail/Backend.h"

namespace db::detail {

// Attaches to the database of a Firebird URL, refusing one that is not UTF-8. Throws DbError with
// the reason and what to do where it is a common one.
std::unique_ptr<Backend> OpenFirebirdBackend(const std::string& url);

}  // namespace db::detail

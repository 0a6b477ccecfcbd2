// SQLite's result codes sorted into the failures a user can act on.
#pragma once

#include <string_view>

struct sqlite3;

namespace db::detail {

// Throws the error for the handle's last failure, met while `doing`.
[[noreturn]] void ThrowSqliteFailure(sqlite3* handle, std::string_view doing);
// The same for a result code and the library's text (of an error that outlived its handle).
[[noreturn]] void ThrowSqliteFailure(int code, std::string_view doing, std::string library);

}  // namespace db::detail

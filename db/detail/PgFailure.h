// PostgreSQL's SQLSTATEs, and a connection found broken, sorted into the failures a user can
// act on.
#pragma once

#include <string>
#include <string_view>

struct pg_conn;
struct pg_result;

namespace db::detail {

// Throws the error for a failure met while `doing`: `sqlstate` is the failure's code (null or
// empty when there is none), `connection` the connection it came on (a broken one is
// unreachable whatever the code), `library` libpq's text.
[[noreturn]] void ThrowPgFailure(const pg_conn* connection, const char* sqlstate,
                                 std::string_view doing, std::string library);
// The same for a failed result, or for the connection's last failure when `result` is null.
[[noreturn]] void ThrowPgFailure(const pg_conn* connection, const pg_result* result,
                                 std::string_view doing);

}  // namespace db::detail

// SQLSTATE classes and codes that name a kind; every other code keeps libpq's text.
#include "db/detail/PgFailure.h"

#include <libpq-fe.h>

#include <utility>

#include "db/detail/Failure.h"

namespace db::detail {

namespace {

FailureKind KindOf(std::string_view code) {
    if (code == "53100") return FailureKind::DiskFull;
    if (code == "58030") return FailureKind::Disk;
    if (code.substr(0, 2) == "08" || code == "53300" || code == "57P01" || code == "57P02" ||
        code == "57P03")
        return FailureKind::Unreachable;
    if (code == "55P03" || code == "57014") return FailureKind::Busy;
    if (code == "25006") return FailureKind::ReadOnly;
    if (code == "40001" || code == "40P01") return FailureKind::Conflict;
    return FailureKind::Other;
}

}  // namespace

void ThrowPgFailure(const pg_conn* connection, const char* sqlstate, std::string_view doing,
                    std::string library) {
    FailureKind kind = KindOf(sqlstate != nullptr ? sqlstate : "");
    if (connection != nullptr && PQstatus(connection) == CONNECTION_BAD)
        kind = FailureKind::Unreachable;
    ThrowFailure(kind, doing, std::move(library));
}

void ThrowPgFailure(const pg_conn* connection, const pg_result* result, std::string_view doing) {
    if (result == nullptr) ThrowPgFailure(connection, nullptr, doing, PQerrorMessage(connection));
    ThrowPgFailure(connection, PQresultErrorField(result, PG_DIAG_SQLSTATE), doing,
                   PQresultErrorMessage(result));
}

}  // namespace db::detail

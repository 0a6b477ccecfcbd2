// Primary result codes (the low byte of an extended one) name the kind.
#include "db/detail/SqliteFailure.h"

#include <sqlite3.h>

#include <string>

#include "db/detail/Failure.h"

namespace db::detail {

void ThrowSqliteFailure(sqlite3* handle, std::string_view doing) {
    ThrowSqliteFailure(sqlite3_extended_errcode(handle), doing, sqlite3_errmsg(handle));
}

void ThrowSqliteFailure(int code, std::string_view doing, std::string library) {
    FailureKind kind = FailureKind::Other;
    switch (code & 0xff) {
        case SQLITE_FULL:
            kind = FailureKind::DiskFull;
            break;
        case SQLITE_IOERR:
            kind = FailureKind::Disk;
            break;
        case SQLITE_CANTOPEN:
            kind = FailureKind::Unreachable;
            break;
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            kind = FailureKind::Busy;
            break;
        case SQLITE_READONLY:
            kind = FailureKind::ReadOnly;
            break;
        default:
            break;
    }
    ThrowFailure(kind, doing, std::move(library));
}

}  // namespace db::detail

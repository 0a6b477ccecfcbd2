// The look-up helpers of an SQLite connection: the table-valued PARAM and the functions
// NVLSTR and NVL, registered on one sqlite3 handle.
#pragma once

struct sqlite3;

namespace db::detail {

// PARAM(x) is one row with one column PARAM holding x (null when x is null or absent);
// NVLSTR(a, b) and NVL(a, b) give a unless it is null, else b. Throws DbError on failure.
void RegisterSqliteHelpers(sqlite3* handle);

}  // namespace db::detail

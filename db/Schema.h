// The business database's tables: the look-up tables the screen's lists read, the commercial
// balances, the ledger-account balances that bound them, the saves' request keys, the
// audit trail, and the server's users, their rights and open sessions.
#pragma once

#include "db/DialectSql.h"

namespace db {

class Connection;

// The sequence that numbers the audit trail's packets on PostgreSQL and Firebird (SQLite, whose
// writers take turns, counts on from the highest number stored).
inline constexpr Sequence kAuditSequence{"SALDAUDI_SEQ", "SALDAUDI", "NRSEQUENCIA"};

// Creates every table, index and helper function that is missing; safe to run again.
void CreateSchema(Connection& connection);

}  // namespace db

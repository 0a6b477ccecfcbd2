// The business database's tables: the look-up tables the screen's lists read, the commercial
// balances, the ledger-account balances that bound them, the saves' request keys, the
// audit trail, and the server's users, their rights and open sessions.
#pragma once

#include <string>

#include "db/DialectSql.h"

namespace db {

class Connection;

// The sequence that numbers the audit trail's packets on PostgreSQL and Firebird (SQLite, whose
// writers take turns, counts on from the highest number stored).
inline constexpr Sequence kAuditSequence{"SALDAUDI_SEQ", "SALDAUDI", "NRSEQUENCIA"};

// The implanted balances' total per company, account and month (SALDCOME rows flagged S).
inline constexpr KeptSum kImplantedTotals{
    "SALDTOTA",   "SALDCOME",   "SALDCOME_TOTAL", {"CDEMPRESA", "CDCONTCTBL", "DTIMPSALDO"},
    "VRIMPSALDO", "VRIMPTOTAL", "TIPSALDO",       "S"};

// Rewrites the implanted totals (of every company, or of `company`) from SALDCOME, inside the
// caller's write transaction.
void RebuildImplantedTotals(Connection& connection, const std::string& company = {});

// Creates every table, index, trigger and helper function that is missing; safe to run again,
// and by several servers at once on one PostgreSQL database. Totals found without their triggers
// are filled from the balances.
void CreateSchema(Connection& connection);

}  // namespace db

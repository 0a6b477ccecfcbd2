// Prints the audit trail for `saldo-server audit`: as an aligned table, CSV or JSON, streamed
// row by row so that a long trail never sits in memory whole.
#pragma once

#include <ostream>
#include <string>

#include "core/Calendar.h"
#include "db/Connection.h"
#include "server/AuditTrail.h"

namespace server {

enum class AuditFormat { Table, Csv, Json };

// Returns the number of lines printed. Raises db::DbError.
std::size_t PrintAudit(db::Connection& connection, const AuditFilter& filter, AuditFormat format,
                       std::ostream& out);

// The command's date filters are checked with the one calendar.
using core::IsIsoDate;

}  // namespace server

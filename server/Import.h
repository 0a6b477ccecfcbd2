// Importing a file of opening balances into a company: every rule a save applies, every
// refused line reported with its reason, and all lines written in one transaction or none.
#pragma once

#include <string>
#include <string_view>

#include "core/BalanceLayout.h"
#include "core/ImportReport.h"
#include "db/Connection.h"
#include "server/AuditTrail.h"
#include "server/ImportFile.h"

namespace server {

// What ImportSaldComer answers (core::ImportReportToJson is its wire form).
using core::ImportReport;

// Reads the file (see ReadImportFile) and checks every line against the company's data in
// one write transaction: the account must be analytic with a commercial type, the owner must
// exist, the key must be free in the database and in the file, and for each account and month
// the implanted balances stored plus the file's must stay within the ledger balance (the lines
// of an account and month that does not are all refused). When no line is refused and this is
// no dry run, every line is written and committed; otherwise nothing is written.
// A written import leaves one audit line per row, under one packet number, in the same
// transaction; `origin` says who imported (its time, when blank, is the commit's).
// Raises ArgumentError for a file refused as a whole, RuleError for an unknown company,
// db::DbError when the database fails (nothing written).
ImportReport ImportBalances(db::Connection& connection, const std::string& company,
                            core::BalanceKind kind, std::string_view bytes, bool dryRun,
                            const AuditOrigin& origin = {});

// What the command line prints: each refused line, then one line saying what was done or
// would be done.
std::string ImportReportText(const ImportReport& report);

}  // namespace server

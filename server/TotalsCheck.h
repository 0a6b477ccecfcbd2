// `saldo-server totals`: the implanted totals the triggers keep per company, account and month,
// compared with the sums of the balances themselves, and rewritten on demand.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "db/Connection.h"

namespace server {

struct TotalDifference {
    std::string company, account;
    std::string month;  // "YYYY-MM-DD"
    std::int64_t stored = 0, computed = 0;
};

// Every company, account and month whose kept total differs from the sum of its implanted
// balances (a missing total counts as 0), in that order; read in one statement, so from one
// snapshot. Raises db::DbError.
std::vector<TotalDifference> CompareTotals(db::Connection& connection);

// Prints each difference (stored and computed cents) and a last line with their count; with
// `fix`, and differences found, rewrites every total from the balances in the comparison's
// write transaction. Returns the number of differences found. Raises db::DbError, nothing changed.
std::size_t CheckTotals(db::Connection& connection, bool fix, std::ostream& out);

}  // namespace server

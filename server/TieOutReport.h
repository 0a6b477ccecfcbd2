// Builds the tie-out of a company's implanted balances against its ledger balances.
#pragma once

#include <optional>
#include <string>

#include "core/TieOut.h"
#include "server/BalanceStore.h"

namespace server {

// One line per ledger account and month that holds balances of the kind (or of any kind),
// and one per ledger balance of an account of that commercial type (any commercial type when
// no kind is given) in a month that holds such balances, so that an account whose balances
// were never implanted shows as short. Ordered by account, then month. Raises RuleError for an
// unknown company, db::DbError when the database fails. Reads only.
core::TieOut BuildTieOut(BalanceStore& store, const std::string& company,
                         std::optional<core::BalanceKind> kind);

}  // namespace server

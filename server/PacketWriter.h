// Writes the record packets the server sends as JSON text, straight from the rows read: a
// company's balances of one kind, and a balance's history from the audit trail.
#pragma once

#include <functional>
#include <string>

#include "core/BalanceLayout.h"
#include "server/AuditTrail.h"
#include "server/BalanceStore.h"

namespace server {

// Appends the packet to `out`, calling `rowWritten` after each row: the text up to there is
// whole rows and may be sent on (and `out` emptied) before the next.
void WriteBalancePacket(BalanceStore& store, const std::string& company, core::BalanceKind kind,
                        std::string& out, const std::function<void()>& rowWritten);

// The packet of the changes the trail holds for the balance of the company and kind under this
// key (month as "YYYY-MM-DD"), oldest first, in the history's field order.
std::string HistoryPacket(AuditTrail& trail, const std::string& company, core::BalanceKind kind,
                          const std::string& month, const std::string& account,
                          const std::string& owner);

}  // namespace server

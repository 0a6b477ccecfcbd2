// Writes the record packet of a company's balances of one kind as JSON text, straight from the
// rows the store reads.
#pragma once

#include <functional>
#include <string>

#include "core/BalanceLayout.h"
#include "server/BalanceStore.h"

namespace server {

// Appends the packet to `out`, calling `rowWritten` after each row: the text up to there is
// whole rows and may be sent on (and `out` emptied) before the next.
void WriteBalancePacket(BalanceStore& store, const std::string& company, core::BalanceKind kind,
                        std::string& out, const std::function<void()>& rowWritten);

}  // namespace server

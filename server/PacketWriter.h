// Writes the record packet of a company's balances of one kind as JSON text, straight from the
// rows the store reads.
#pragma once

#include <string>

#include "core/BalanceLayout.h"
#include "server/BalanceStore.h"

namespace server {

std::string WriteBalancePacket(BalanceStore& store, const std::string& company,
                               core::BalanceKind kind);

}  // namespace server

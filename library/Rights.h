// What the rights the server reports allow the desktop to offer; the server checks every call
// again, so this only spares the user commands that would be refused.
#pragma once

#include <string_view>

#include "rpc/Client.h"

namespace library {

// True when `identity` holds "lançamento" on `company`: its right on that company, or, when
// it has none there, its right on every company ("*").
bool MayChangeBalances(const rpc::Identity& identity, std::string_view company);

}  // namespace library

// Registers the remote module's methods with a dispatcher: argument checks, the call,
// the one mapping of the server's errors to JSON-RPC codes, and one short log line per call.
#pragma once

#include <string>
#include <string_view>

#include "core/BalanceLayout.h"
#include "rpc/Dispatcher.h"
#include "server/CallLog.h"
#include "server/Identification.h"
#include "server/SaldoService.h"

namespace server {

inline constexpr std::string_view kServerName = core::kSaldComerServer;

// Registers the methods behind the identification's gate: a call on a connection without an
// identified user is refused (-32004), and one whose company the user's rights do not cover
// (-32006), before anything is read or written. `log` receives one line per call: method,
// company, time taken and outcome.
void RegisterMethods(rpc::Dispatcher& dispatcher, SaldoService& service,
                     Identification& identification, CallLog log);

}  // namespace server

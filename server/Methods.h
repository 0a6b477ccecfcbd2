// Registers the remote module's methods with a dispatcher: argument checks, the call,
// the one mapping of the server's errors to JSON-RPC codes, and one short log line per call.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/BalanceLayout.h"
#include "rpc/Dispatcher.h"
#include "server/SaldoService.h"

namespace server {

inline constexpr std::string_view kServerName = core::kSaldComerServer;

// Receives one line per call: method, company, time taken and outcome; never longer than a
// few hundred characters whatever the request held.
using CallLog = std::function<void(const std::string& line)>;

void RegisterMethods(rpc::Dispatcher& dispatcher, SaldoService& service, CallLog log);

}  // namespace server

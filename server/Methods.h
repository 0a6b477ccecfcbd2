// Registers the remote module's three methods with a dispatcher: argument checks, the call,
// and one log line per call.
#pragma once

#include <functional>
#include <string>

#include "rpc/Dispatcher.h"
#include "server/SaldoService.h"

namespace server {

inline constexpr const char* kServerName = "Rdq63500.rdmSaldComer";

// Receives one line per call: method, company, time taken and outcome.
using CallLog = std::function<void(const std::string& line)>;

void RegisterMethods(rpc::Dispatcher& dispatcher, SaldoService& service, CallLog log);

}  // namespace server

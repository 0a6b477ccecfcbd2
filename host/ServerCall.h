// The calls the desktop's own windows make on the application server's balance module (the
// screens make theirs through their modules): one connection set-up for all of them.
#pragma once

#include <chrono>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "library/ServerResult.h"
#include "library/TNetConnection.h"

namespace host {

// Where the calls go, "host:port" or a list of servers, as configured (library::WebWhere).
std::string ServerAddress();

// Calls `method` of the balance module on a connection of its own, allowing `timeout` for
// connecting and for the call; a failure comes back in the result.
library::TServerResult TryServer(std::string_view method, const nlohmann::json& arguments,
                                 std::chrono::milliseconds timeout);

// The windows' connection, kept between their calls so that one login serves them all. Each
// connect goes to the address configured at that moment.
class ServerConnection {
  public:
    ServerConnection();

    // Calls `method` (a name from services/SaldComerService.h) of the balance module, allowing
    // `timeout` for connecting and for the call, and returns the result. Raises core::Error
    // with a Portuguese message fit to show (naming host and port when the connection is at
    // fault) when the call fails.
    nlohmann::json Call(std::string_view method, const nlohmann::json& arguments,
                        std::chrono::milliseconds timeout);

  private:
    library::TNetConnection connection_;
};

}  // namespace host

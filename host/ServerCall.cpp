// A fresh connection per call: the windows call seldom, and the address may change between calls.
#include "host/ServerCall.h"

#include "core/Error.h"
#include "library/Orvane.h"
#include "library/TNetConnection.h"
#include "services/SaldComerService.h"

namespace host {

std::string ServerAddress() {
    return library::WebURL() + ":" + std::to_string(library::WebPort());
}

library::TServerResult TryServer(std::string_view method, const nlohmann::json& arguments,
                                 std::chrono::milliseconds timeout) {
    library::TNetConnection connection;
    connection.ServerName = std::string(services::kSaldComerServer);
    connection.Host = library::WebURL();
    connection.Port = library::WebPort();
    connection.Timeout = timeout;
    connection.ThrowException = false;
    return connection.Call(std::string(method), arguments);
}

nlohmann::json CallServer(std::string_view method, const nlohmann::json& arguments,
                          std::chrono::milliseconds timeout) {
    library::TServerResult result = TryServer(method, arguments, timeout);
    if (!result.Ok) throw core::Error(result.Error);
    return std::move(result.Payload);
}

}  // namespace host

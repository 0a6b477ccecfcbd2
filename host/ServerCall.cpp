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

nlohmann::json CallServer(std::string_view method, const nlohmann::json& arguments,
                          std::chrono::milliseconds timeout) {
    library::TNetConnection connection;
    connection.ServerName = std::string(services::kSaldComerServer);
    connection.Host = library::WebURL();
    connection.Port = library::WebPort();
    connection.Timeout = timeout;
    library::TServerResult result = connection.Call(std::string(method), arguments);
    if (!result.Ok) throw core::Error(result.Error);
    return std::move(result.Payload);
}

}  // namespace host

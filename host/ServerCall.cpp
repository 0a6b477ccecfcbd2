// The windows call seldom and the address may change between calls: every connect reads it
// again.
#include "host/ServerCall.h"

#include "core/Error.h"
#include "library/Orvane.h"
#include "services/SaldComerService.h"

namespace host {

namespace {

void PointAtConfiguredServer(library::TNetConnection& connection) {
    connection.ServerName = std::string(services::kSaldComerServer);
    connection.Host = library::WebURL();
    connection.Port = library::WebPort();
}

}  // namespace

std::string ServerAddress() {
    return library::WebWhere();
}

library::TServerResult TryServer(std::string_view method, const nlohmann::json& arguments,
                                 std::chrono::milliseconds timeout) {
    library::TNetConnection connection;
    PointAtConfiguredServer(connection);
    connection.Timeout = timeout;
    connection.ThrowException = false;
    return connection.Call(std::string(method), arguments);
}

ServerConnection::ServerConnection() {
    connection_.ThrowException = false;
    connection_.BeforeConnect = PointAtConfiguredServer;
}

nlohmann::json ServerConnection::Call(std::string_view method, const nlohmann::json& arguments,
                                      std::chrono::milliseconds timeout) {
    connection_.Timeout = timeout;
    library::TServerResult result = connection_.Call(std::string(method), arguments);
    if (!result.Ok) throw core::Error(result.Error);
    return std::move(result.Payload);
}

}  // namespace host

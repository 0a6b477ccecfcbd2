// TNetConnection: the connection to the application server. It names the remote module,
// takes host and port before every connect, and calls methods by name with positional
// arguments, synchronously, through rpc::Client.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "library/ServerResult.h"
#include "platform/ui/Component.h"

namespace rpc {
class Client;
}

namespace library {

class TNetConnection : public platform::Component {
  public:
    TNetConnection();
    ~TNetConnection() override;

    // The remote module, "Unit.rdmName".
    std::string ServerName;
    std::string Host = "127.0.0.1";
    int Port = 0;
    // True: a failed connect or call raises platform::Error. False: a failed connect is
    // recorded and a failed call comes back as a failed TServerResult (CheckResultServ
    // raises it), so a screen can be built while the server is down.
    bool ThrowException = true;
    // How long connecting, and each call, may take before it fails.
    std::chrono::milliseconds Timeout{30000};

    // Runs before every connect; a screen sets Host and Port here.
    std::function<void(TNetConnection&)> BeforeConnect;

    bool Connected() const;
    // Connecting runs BeforeConnect, then opens the socket. Disconnecting closes it.
    void SetConnected(bool connected);
    void Open() { SetConnected(true); }
    void Close() { SetConnected(false); }
    // The reason of the last failed connect, "" after a successful one.
    const std::string& LastError() const { return lastError_; }

    // Calls `method` of the remote module with positional arguments. Connects first when
    // not connected. A failure (no server, a dropped connection, a time-out, an error the
    // server reports) gives Ok = false with a message naming host and port where the
    // connection is at fault; with ThrowException it raises instead.
    TServerResult Call(const std::string& method, const nlohmann::json& arguments);

  private:
    bool Connect();
    TServerResult Fail(std::string message, int code = 0);

    std::unique_ptr<rpc::Client> client_;
    std::string lastError_;
};

}  // namespace library

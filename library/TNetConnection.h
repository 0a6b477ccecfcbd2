// TNetConnection: the connection to the application server. It names the remote module,
// takes host and port before every connect, and calls methods by name with positional
// arguments, synchronously, through rpc::Client. The network waits run through the
// application's job port, so a host keeps its window painting meanwhile.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "library/ServerResult.h"
#include "platform/ui/Component.h"

namespace core {
class JsonSource;
}
namespace rpc {
class Client;
struct Identity;
}  // namespace rpc

namespace library {

// What happened on a connection, for whoever reports it to the user (a status line).
struct TNetEvent {
    enum class Kind { Connected, ConnectFailed, Disconnected, Reconnecting, CallDone, CallFailed };
    Kind kind;
    // The method called (calls only).
    std::string method;
    // The call's arguments, and its result when it succeeded (null otherwise).
    const nlohmann::json* arguments = nullptr;
    const nlohmann::json* result = nullptr;
    // Why a connect or a call failed.
    std::string error;
    // Records of a result read as it arrived (CallReading), which leaves `result` null.
    std::optional<std::size_t> records;
};

class TNetConnection : public platform::Component {
  public:
    TNetConnection();
    ~TNetConnection() override;

    // The remote module, "Unit.rdmName".
    std::string ServerName;
    // A host name or address reached on Port, or "unix:/path" for a server's local socket
    // (Port is then not used), or a comma-separated list of "host:port" and "unix:/path" entries
    // (as library::WebURL gives it; Port not used): servers of one deployment, the next tried
    // when one cannot be reached, a save's retry included (see CallWithKey).
    std::string Host = "127.0.0.1";
    int Port = 0;
    // True: a failed connect or call raises platform::Error. False: a failed connect is
    // recorded and a failed call comes back as a failed TServerResult (CheckResultServ
    // raises it), so a screen can be built while the server is down.
    bool ThrowException = true;
    // How long connecting, and each call, may take before it fails.
    std::chrono::milliseconds Timeout{30000};
    // How long CallWithKey keeps trying to connect again before sending a save once more.
    std::chrono::milliseconds RetryWindow{10000};

    // Runs before every connect; a screen sets Host and Port here.
    std::function<void(TNetConnection&)> BeforeConnect;
    // Hears every connect, disconnect and call, after the fact and before a failure is
    // raised. What it raises is ignored: a report must not change the call's outcome.
    std::function<void(TNetConnection&, const TNetEvent&)> OnEvent;

    bool Connected() const;
    // The server as messages name it: "host:port", or "unix:/path"; for a list, the server
    // connected to, else the list ("a:1, b:2").
    std::string Where() const;
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

    // The same for a large result read while it arrives: `read` runs with the network wait,
    // so it may run on another thread and must only fill its own data (platform::PacketRows),
    // never a form or a set. It returns how many records it read, for whoever reports the
    // call. On success the payload is null. What `read` raises, other than a network
    // failure, travels on unchanged.
    TServerResult CallReading(const std::string& method, const nlohmann::json& arguments,
                              const std::function<std::size_t(core::JsonSource& result)>& read);

    // The same for a call whose arguments carry a request key the server remembers (a save):
    // when the connection fails after the request went out, so that it may or may not have
    // been applied, it connects again (trying for up to RetryWindow; with a list of servers,
    // the next ones first) and sends the very same request once more. The server answers a key it
    // has seen with the first outcome, so the reply is the save's true outcome and the save is
    // never applied twice.
    TServerResult CallWithKey(const std::string& method, const nlohmann::json& arguments);

    // Who the server takes the caller for, connecting (and logging in) first when needed;
    // nothing when it cannot say: no connection, a refused login, a server that does not ask.
    std::optional<rpc::Identity> WhoAmI();

  private:
    bool Connect();
    TServerResult Fail(std::string message, int code = 0);
    // One call on an open connection; the error of a dropped connection is raised.
    TServerResult Send(const std::string& method, const nlohmann::json& arguments);
    // Connects when needed and runs `send`, turning network failures into a failed result.
    TServerResult Attempt(const std::string& method, const nlohmann::json& arguments,
                          const std::function<TServerResult()>& send);
    void Report(const TNetEvent& event) noexcept;

    std::unique_ptr<rpc::Client> client_;
    std::string clientPlace_;  // the address, time-out and trust client_ was made for
    std::string lastError_;
};

}  // namespace library

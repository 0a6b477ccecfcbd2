// The JSON-RPC client: synchronous calls with a time-out over one TCP connection, opened on
// the first call and again after it was lost.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

namespace rpc {

struct ClientOptions {
    // Time allowed for connecting, and for each call from sending to the whole reply.
    std::chrono::milliseconds timeout = std::chrono::seconds(60);
    // Largest reply accepted (the default carries a company of a million balances).
    std::size_t maxMessageBytes = std::size_t{256} << 20;
};

class Client {
  public:
    Client(std::string host, std::uint16_t port, ClientOptions options = {});
    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    // Calls "<server>.<method>" with positional arguments and returns the result. Throws
    // RpcError when the server answers with an error, TransportError when it cannot be reached
    // (naming host and port), does not answer in time, or breaks the connection.
    nlohmann::json Call(const std::string& method, const nlohmann::json& params);

    // The same call, returning the result as JSON text, for a caller that parses it its own way
    // (a record set loading a large packet). Replies in this server's canonical form
    // ({"jsonrpc":"2.0","id":N,"result":...}) are cut without being parsed twice.
    std::string CallText(const std::string& method, const nlohmann::json& params);

    bool IsConnected() const;
    void Close();

    const std::string& Host() const { return host_; }
    std::uint16_t Port() const { return port_; }

  private:
    // Sends the request and returns the reply line of the call with this id (without "\n").
    std::string Exchange(const std::string& method, const nlohmann::json& params, std::int64_t id);
    // The result of a parsed reply, or the error it carries as RpcError.
    nlohmann::json ResultOf(nlohmann::json reply, std::int64_t id);

    struct Impl;
    std::string host_;
    std::uint16_t port_;
    ClientOptions options_;
    std::unique_ptr<Impl> impl_;
    std::int64_t nextId_ = 1;
};

}  // namespace rpc

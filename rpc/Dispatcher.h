// Turns one JSON-RPC request line into one reply line, knowing nothing of sockets.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace rpc {

class Dispatcher {
  public:
    // A method gets its positional arguments and returns its result as JSON text (so that a
    // large result is written once, not built as a tree). It refuses a call by throwing RpcError;
    // a platform::Error becomes a server error with its message, anything else an internal error.
    using Handler = std::function<std::string(const nlohmann::json& params)>;

    // Registers "<server>.<method>", for example "Rdq63500.rdmSaldComer" and "GetSaldComer".
    void Add(const std::string& server, const std::string& method, Handler handler);

    // Handles one line (a request or a batch). Returns the reply without the final newline, or an
    // empty string when nothing is to be answered (notifications only).
    std::string Handle(std::string_view line) const;

    // The reply line of an error, e.g. for a message that never reached the dispatcher.
    static std::string ErrorReply(const nlohmann::json& id, int code, const std::string& message);

  private:
    std::string HandleOne(const nlohmann::json& request) const;

    std::map<std::string, Handler, std::less<>> methods_;
    std::set<std::string, std::less<>> servers_;
};

}  // namespace rpc

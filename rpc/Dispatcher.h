// Turns one JSON-RPC request line into one reply line, knowing nothing of sockets.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "rpc/Arguments.h"
#include "rpc/Connection.h"
#include "rpc/ResultStream.h"

namespace rpc {

class Dispatcher {
  public:
    // A method gets its positional arguments and returns its result as JSON text (so that a
    // large result is written once, not built as a tree). It refuses a call by throwing
    // RpcError; any other core::Error becomes a server error with its message, anything else
    // an internal error.
    using Method = std::function<std::string(const Arguments& arguments)>;
    // The same with the arguments parsed into a tree first: for methods with small arguments.
    using Handler = std::function<std::string(const nlohmann::json& params)>;
    // A method writing a large result piece by piece (ResultStream::Mark between rows). What
    // it raises before the first piece went out is answered as above; after that the reply
    // is cut short (ReplyAborted).
    using StreamMethod = std::function<void(const Arguments& arguments, ResultStream& result)>;

    // Registers "<server>.<method>", for example "Rdq63500.rdmSaldComer" and "GetSaldComer".
    void AddMethod(const std::string& server, const std::string& method, Method handler);
    void Add(const std::string& server, const std::string& method, Handler handler);
    void AddStreamMethod(const std::string& server, const std::string& method,
                         StreamMethod handler);

    // Handles one line (a request or a batch of at most kMaxBatch). Returns the reply without
    // the final newline, or an empty string when nothing is to be answered (notifications
    // only). Never throws. The whole line is read once by the strict reader before anything
    // runs: a line it refuses (nesting deeper than 64, a repeated key, a number beyond a double,
    // text with NUL or not UTF-8, malformed JSON) is answered with a parse error naming the
    // reason, with the request's id when it was read before the fault, and no method runs.
    // `origin` is the connection the line came on, handed to the methods (Arguments::Origin);
    // null for a line from within the process.
    std::string Handle(std::string_view line, Connection* origin = nullptr) const;
    // The same, sending the first pieces of a large single reply to `sink` while the rest is
    // made, and returning the rest. Raises ReplyAborted when the reply was cut short after a
    // piece went out; the connection must then be closed.
    std::string Handle(std::string_view line, Connection* origin, ReplySink* sink) const;

    // The reply line of an error, e.g. for a message that never reached the dispatcher. A
    // message longer than kMaxMessageChars characters is cut.
    static std::string ErrorReply(const nlohmann::json& id, int code, const std::string& message);

    static constexpr std::size_t kMaxBatch = 1000;
    static constexpr std::size_t kMaxMessageChars = 1000;
    static constexpr std::size_t kMaxIdBytes = 200;

    struct Envelope;

  private:
    std::string HandleOne(const Envelope& request, Connection* origin, ReplySink* sink) const;

    std::map<std::string, StreamMethod, std::less<>> methods_;
    std::set<std::string, std::less<>> servers_;
};

}  // namespace rpc

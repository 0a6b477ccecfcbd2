// Errors of the wire: a JSON-RPC error object (code and a message fit to show a user), and a
// failure to reach or hear from the server.
#pragma once

#include <string>

#include "core/Error.h"

namespace rpc {

// JSON-RPC 2.0 error codes; -32000 and below are this system's own.
enum ErrorCode : int {
    kParseError = -32700,  // not JSON, or JSON the strict reader refuses
    kInvalidRequest = -32600,
    kMethodNotFound = -32601,
    kInvalidParams = -32602,
    kInternalError = -32603,
    kServerError = -32000,  // a refusal of the business rules (duplicate, wrong company, ...)
    kConflict = -32001,     // the row was changed or removed by someone else
    kServerBusy = -32002,   // too many connections
    kMessageTooLarge = -32003,
    kUnidentified = -32004,  // the caller has not identified itself: nothing was read or written
    kLoginRefused = -32005,  // unknown user, wrong password, locked user or expired session
    kForbidden = -32006,     // the user's rights do not cover the call's company
};

// An error reply: raised by a method to refuse a call, and by the client when the server
// answered with an error.
class RpcError : public core::Error {
  public:
    RpcError(int code, const std::string& message) : core::Error(message), code_(code) {}
    int Code() const { return code_; }

  private:
    int code_;
};

// The server could not be reached, did not answer in time, or broke the connection.
class TransportError : public core::Error {
  public:
    using core::Error::Error;
};

}  // namespace rpc

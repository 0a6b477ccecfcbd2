// The result of a call to the application server: the payload on success, the server's
// message on failure. CheckResultServ turns a failure into an exception.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace library {

struct TServerResult {
    bool Ok = true;
    nlohmann::json Payload;  // the method's result; null for none
    std::string Error;       // the failure's message, fit to show a user
    int Code = 0;            // the failure's code (JSON-RPC error code; 0 when not from the wire)
};

// True when the server refused the call only because the caller has not identified itself
// (no credentials file, and no window to ask in, or the user gave up).
bool IdentificationNeeded(const TServerResult& result);

}  // namespace library

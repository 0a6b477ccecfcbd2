// What the server knows of the connection a call came on: how it arrived, from where, the
// operating-system user at the other end of a local socket, and who identified themselves on
// it. Calls on one connection run one after another, so a method may update `identity`
// without a lock; it stays with the connection until it closes.
#pragma once

#include <any>
#include <cstdint>
#include <optional>
#include <string>

namespace rpc {

enum class Transport { Tcp, Tls, Local };

struct Connection {
    Transport transport = Transport::Tcp;
    // The caller's network address; "local" on a local socket.
    std::string peer;
    // The user id the operating system reports for the other end of a local socket.
    std::optional<std::uint32_t> uid;
    // Set by the server's identification step; empty until the caller identified itself.
    std::any identity;
};

}  // namespace rpc

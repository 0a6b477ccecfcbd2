// The client's byte stream to the application server, every operation bounded by a deadline. It
// knows nothing of JSON-RPC: the client reads its replies from these bytes, whichever transport
// (TCP, TLS over TCP, a local socket) carries them.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <system_error>

namespace rpc {

class ByteStream {
  public:
    using Deadline = std::chrono::steady_clock::time_point;

    virtual ~ByteStream() = default;

    // Connects before the deadline. Throws TransportError naming the server, in Portuguese, when
    // it cannot.
    virtual void Open(Deadline deadline) = 0;
    virtual bool IsOpen() const = 0;
    virtual void Close() = 0;

    // Sends all of `bytes`; answers the failure, or std::errc::timed_out with the stream closed
    // when the deadline passes first.
    virtual std::error_code Write(std::string_view bytes, Deadline deadline) = 0;
    // Receives at least one and up to `room` bytes into `into`, telling how many in `got`; the
    // end of the stream is an error (eof), and the deadline is kept as in Write.
    virtual std::error_code ReadSome(char* into, std::size_t room, Deadline deadline,
                                     std::size_t& got) = 0;

    // The server as every message names it: "host:port", or "unix:PATH" for a local socket.
    virtual std::string Where() const = 0;
    // The SHA-256 fingerprint of the server's certificate once connected over TLS, else empty.
    virtual std::string Fingerprint() const { return {}; }
};

// A network failure as a user reads it ("conexão recusada (nada escuta nessa porta)").
std::string DescribeNetworkError(const std::error_code& ec);

}  // namespace rpc

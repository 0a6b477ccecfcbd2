// The client's byte stream: one TCP connection to the application server, every operation
// bounded by a deadline. It knows nothing of JSON-RPC: the client reads its replies from these
// bytes, so another transport offering the same operations can take its place.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

namespace rpc {

class TcpStream {
  public:
    using Deadline = std::chrono::steady_clock::time_point;

    TcpStream(std::string host, std::uint16_t port);
    ~TcpStream();
    TcpStream(const TcpStream&) = delete;
    TcpStream& operator=(const TcpStream&) = delete;

    // Resolves the host and connects before the deadline. Throws TransportError naming host and
    // port, in Portuguese, when either fails.
    void Open(Deadline deadline);
    bool IsOpen() const;
    void Close();

    // Sends all of `bytes`; answers the failure, or std::errc::timed_out with the stream closed
    // when the deadline passes first.
    std::error_code Write(std::string_view bytes, Deadline deadline);
    // Receives at least one and up to `room` bytes into `into`, telling how many in `got`; the
    // end of the stream is an error (eof), and the deadline is kept as in Write.
    std::error_code ReadSome(char* into, std::size_t room, Deadline deadline, std::size_t& got);

    // "host:port", as every message names the server.
    std::string Where() const;

  private:
    struct Impl;
    std::string host_;
    std::uint16_t port_;
    std::unique_ptr<Impl> impl_;
};

// A network failure as a user reads it ("conexão recusada (nada escuta nessa porta)").
std::string DescribeNetworkError(const std::error_code& ec);

}  // namespace rpc

// Synchronous stream operations built on Asio's asynchronous ones: each runs until it completes
// or its deadline passes. Shared by the client's streams; not part of the library's interface.
#pragma once

#include <asio.hpp>

#include <chrono>
#include <string>
#include <string_view>
#include <system_error>

namespace rpc::detail {

// Runs the started operation until it completes or the deadline passes; a late one is cancelled
// by closing `socket`, and then answers std::errc::timed_out.
template <class Socket>
std::error_code RunUntil(asio::io_context& io, Socket& socket,
                         std::chrono::steady_clock::time_point deadline, const bool& done,
                         const std::error_code& result) {
    io.restart();
    io.run_until(deadline);
    if (!done) {
        std::error_code ignored;
        socket.close(ignored);
        io.restart();
        io.run();
        return std::make_error_code(std::errc::timed_out);
    }
    return result;
}

// Sends all of `bytes` on `stream` before the deadline (RunUntil, closing `socket` when late).
template <class Stream, class Socket>
std::error_code WriteUntil(asio::io_context& io, Stream& stream, Socket& socket,
                           std::string_view bytes, std::chrono::steady_clock::time_point deadline) {
    bool done = false;
    std::error_code result;
    asio::async_write(stream, asio::buffer(bytes.data(), bytes.size()),
                      [&](std::error_code e, std::size_t) {
                          result = e;
                          done = true;
                      });
    return RunUntil(io, socket, deadline, done, result);
}

// Receives at least one and up to `room` bytes from `stream` before the deadline, telling how
// many in `got`.
template <class Stream, class Socket>
std::error_code ReadSomeUntil(asio::io_context& io, Stream& stream, Socket& socket, char* into,
                              std::size_t room, std::chrono::steady_clock::time_point deadline,
                              std::size_t& got) {
    bool done = false;
    std::error_code result;
    got = 0;
    stream.async_read_some(asio::buffer(into, room), [&](std::error_code e, std::size_t n) {
        result = e;
        got = n;
        done = true;
    });
    return RunUntil(io, socket, deadline, done, result);
}

// Resolves `host` and connects `socket` to it before the deadline; throws TransportError naming
// `where` when either fails.
void ConnectTcp(asio::io_context& io, asio::ip::tcp::socket& socket, const std::string& host,
                std::uint16_t port, std::chrono::steady_clock::time_point deadline,
                const std::string& where);

}  // namespace rpc::detail

// Line exchange over Asio, run to completion or time-out on a private io_context.
#include "library/detail/LineSocket.h"

#include <asio.hpp>
#include <stdexcept>

namespace library::detail {

struct LineSocket::Impl {
    asio::io_context io;
    asio::ip::tcp::socket socket{io};
    std::string buffer;

    // Runs the pending operation; on time-out closes the socket so it completes with an error.
    void RunFor(std::chrono::milliseconds timeout) {
        io.restart();
        io.run_for(timeout);
        if (!io.stopped()) {
            std::error_code ignored;
            socket.close(ignored);
            io.restart();
            io.run();
            throw std::runtime_error("tempo esgotado após " + std::to_string(timeout.count()) +
                                     " ms");
        }
    }
};

LineSocket::LineSocket(const std::string& host, int port, std::chrono::milliseconds timeout)
    : impl_(std::make_unique<Impl>()) {
    asio::ip::tcp::resolver resolver(impl_->io);
    std::error_code ec;
    const auto endpoints = resolver.resolve(host, std::to_string(port), ec);
    if (ec) throw std::runtime_error(ec.message());
    std::error_code result = asio::error::would_block;
    asio::async_connect(
        impl_->socket, endpoints,
        [&](const std::error_code& e, const asio::ip::tcp::endpoint&) { result = e; });
    impl_->RunFor(timeout);
    if (result) throw std::runtime_error(result.message());
    impl_->socket.set_option(asio::ip::tcp::no_delay(true), ec);
}

LineSocket::~LineSocket() {
    std::error_code ignored;
    impl_->socket.close(ignored);
}

std::string LineSocket::Exchange(const std::string& line, std::chrono::milliseconds timeout,
                                 std::size_t maxBytes) {
    const std::string message = line + "\n";
    std::error_code writeResult = asio::error::would_block;
    asio::async_write(impl_->socket, asio::buffer(message),
                      [&](const std::error_code& e, std::size_t) { writeResult = e; });
    impl_->RunFor(timeout);
    if (writeResult) throw std::runtime_error(writeResult.message());

    std::error_code readResult = asio::error::would_block;
    std::size_t length = 0;
    asio::async_read_until(impl_->socket, asio::dynamic_buffer(impl_->buffer, maxBytes + 1), '\n',
                           [&](const std::error_code& e, std::size_t n) {
                               readResult = e;
                               length = n;
                           });
    impl_->RunFor(timeout);
    if (readResult == asio::error::not_found)
        throw std::runtime_error("resposta maior que " + std::to_string(maxBytes) + " bytes");
    if (readResult == asio::error::eof) throw std::runtime_error("o servidor fechou a conexão");
    if (readResult) throw std::runtime_error(readResult.message());
    std::string reply = impl_->buffer.substr(0, length - 1);
    impl_->buffer.erase(0, length);
    return reply;
}

}  // namespace library::detail

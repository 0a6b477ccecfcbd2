// Synchronous operations built on Asio's asynchronous ones, each run until it completes or its
// deadline passes.
#include "rpc/TcpStream.h"

#include <asio.hpp>

#include "rpc/RpcError.h"

namespace rpc {

using asio::ip::tcp;

struct TcpStream::Impl {
    asio::io_context io;
    tcp::socket socket{io};

    // Runs the started operation until it completes or the deadline passes; a late one is
    // cancelled by closing the socket.
    std::error_code Run(Deadline deadline, const bool& done, const std::error_code& result) {
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
};

TcpStream::TcpStream(std::string host, std::uint16_t port)
    : host_(std::move(host)), port_(port), impl_(std::make_unique<Impl>()) {}

TcpStream::~TcpStream() = default;

std::string TcpStream::Where() const {
    return host_ + ":" + std::to_string(port_);
}

bool TcpStream::IsOpen() const {
    return impl_->socket.is_open();
}

void TcpStream::Close() {
    std::error_code ignored;
    impl_->socket.close(ignored);
}

void TcpStream::Open(Deadline deadline) {
    tcp::resolver resolver(impl_->io);
    std::error_code ec;
    const auto endpoints = resolver.resolve(host_, std::to_string(port_), ec);
    if (ec) {
        throw TransportError("Não foi possível encontrar o servidor de aplicação em " + Where() +
                             ": " + DescribeNetworkError(ec) + ".");
    }
    bool done = false;
    std::error_code result;
    asio::async_connect(impl_->socket, endpoints, [&](std::error_code e, const tcp::endpoint&) {
        result = e;
        done = true;
    });
    ec = impl_->Run(deadline, done, result);
    if (ec) {
        Close();
        throw TransportError("Não foi possível conectar ao servidor de aplicação em " + Where() +
                             ": " + DescribeNetworkError(ec) + ".");
    }
    impl_->socket.set_option(tcp::no_delay(true), ec);
}

std::error_code TcpStream::Write(std::string_view bytes, Deadline deadline) {
    bool done = false;
    std::error_code result;
    asio::async_write(impl_->socket, asio::buffer(bytes.data(), bytes.size()),
                      [&](std::error_code e, std::size_t) {
                          result = e;
                          done = true;
                      });
    return impl_->Run(deadline, done, result);
}

std::error_code TcpStream::ReadSome(char* into, std::size_t room, Deadline deadline,
                                    std::size_t& got) {
    bool done = false;
    std::error_code result;
    got = 0;
    impl_->socket.async_read_some(asio::buffer(into, room), [&](std::error_code e, std::size_t n) {
        result = e;
        got = n;
        done = true;
    });
    return impl_->Run(deadline, done, result);
}

std::string DescribeNetworkError(const std::error_code& ec) {
    if (ec == asio::error::connection_refused) return "conexão recusada (nada escuta nessa porta)";
    if (ec == std::errc::timed_out || ec == asio::error::timed_out) return "tempo esgotado";
    if (ec == asio::error::host_unreachable || ec == asio::error::network_unreachable) {
        return "endereço inalcançável pela rede";
    }
    if (ec == asio::error::connection_reset || ec == asio::error::connection_aborted) {
        return "conexão desfeita pelo outro lado";
    }
    if (ec == asio::error::eof || ec == asio::error::broken_pipe) {
        return "conexão encerrada pelo outro lado";
    }
    if (ec == asio::error::host_not_found || ec == asio::error::host_not_found_try_again) {
        return "nome de máquina desconhecido";
    }
    if (ec == asio::error::service_not_found) return "porta inválida";
    return "falha de rede (código " + std::to_string(ec.value()) + ")";
}

}  // namespace rpc

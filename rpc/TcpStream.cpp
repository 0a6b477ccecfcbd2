// Synchronous operations built on Asio's asynchronous ones, each run until it completes or its
// deadline passes.
#include "rpc/TcpStream.h"

#include <asio.hpp>

#include "rpc/RpcError.h"
#include "rpc/StreamWait.h"

namespace rpc {

using asio::ip::tcp;

struct TcpStream::Impl {
    asio::io_context io;
    tcp::socket socket{io};
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
    detail::ConnectTcp(impl_->io, impl_->socket, host_, port_, deadline, Where());
}

std::error_code TcpStream::Write(std::string_view bytes, Deadline deadline) {
    return detail::WriteUntil(impl_->io, impl_->socket, impl_->socket, bytes, deadline);
}

std::error_code TcpStream::ReadSome(char* into, std::size_t room, Deadline deadline,
                                    std::size_t& got) {
    return detail::ReadSomeUntil(impl_->io, impl_->socket, impl_->socket, into, room, deadline,
                                 got);
}

void detail::ConnectTcp(asio::io_context& io, tcp::socket& socket, const std::string& host,
                        std::uint16_t port, std::chrono::steady_clock::time_point deadline,
                        const std::string& where) {
    tcp::resolver resolver(io);
    std::error_code ec;
    const auto endpoints = resolver.resolve(host, std::to_string(port), ec);
    if (ec) {
        throw TransportError("Não foi possível encontrar o servidor de aplicação em " + where +
                             ": " + DescribeNetworkError(ec) + ".");
    }
    bool done = false;
    std::error_code result;
    asio::async_connect(socket, endpoints, [&](std::error_code e, const tcp::endpoint&) {
        result = e;
        done = true;
    });
    ec = RunUntil(io, socket, deadline, done, result);
    if (ec) {
        std::error_code ignored;
        socket.close(ignored);
        throw TransportError("Não foi possível conectar ao servidor de aplicação em " + where +
                             ": " + DescribeNetworkError(ec) + ".");
    }
    socket.set_option(tcp::no_delay(true), ec);
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
    if (ec == std::errc::no_such_file_or_directory) {
        return "o soquete não existe (o servidor não está rodando?)";
    }
    if (ec == std::errc::permission_denied) return "sem permissão para usar o soquete";
    return "falha de rede (código " + std::to_string(ec.value()) + ")";
}

}  // namespace rpc

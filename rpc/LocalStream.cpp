#include "rpc/LocalStream.h"

#include <asio.hpp>

#include "rpc/RpcError.h"
#include "rpc/StreamWait.h"

namespace rpc {

using local = asio::local::stream_protocol;

struct LocalStream::Impl {
    asio::io_context io;
    local::socket socket{io};
};

LocalStream::LocalStream(std::string path)
    : path_(std::move(path)), impl_(std::make_unique<Impl>()) {}

LocalStream::~LocalStream() = default;

std::string LocalStream::Where() const {
    return "unix:" + path_;
}

bool LocalStream::IsOpen() const {
    return impl_->socket.is_open();
}

void LocalStream::Close() {
    std::error_code ignored;
    impl_->socket.close(ignored);
}

void LocalStream::Open(Deadline deadline) {
    const auto fail = [&](const std::string& why) {
        Close();
        return TransportError("Não foi possível conectar ao servidor de aplicação em " + Where() +
                              ": " + why + ".");
    };
    local::endpoint endpoint;
    try {
        endpoint = local::endpoint(path_);
    } catch (const std::system_error&) {
        throw fail("caminho do soquete longo demais");
    }
    bool done = false;
    std::error_code result;
    impl_->socket.async_connect(endpoint, [&](std::error_code e) {
        result = e;
        done = true;
    });
    const std::error_code ec = detail::RunUntil(impl_->io, impl_->socket, deadline, done, result);
    if (ec) throw fail(DescribeNetworkError(ec));
}

std::error_code LocalStream::Write(std::string_view bytes, Deadline deadline) {
    return detail::WriteUntil(impl_->io, impl_->socket, impl_->socket, bytes, deadline);
}

std::error_code LocalStream::ReadSome(char* into, std::size_t room, Deadline deadline,
                                      std::size_t& got) {
    return detail::ReadSomeUntil(impl_->io, impl_->socket, impl_->socket, into, room, deadline,
                                 got);
}

}  // namespace rpc

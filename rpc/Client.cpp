// Synchronous calls built on Asio's asynchronous operations, run with a deadline.
#include "rpc/Client.h"

#include <asio.hpp>

#include "rpc/RpcError.h"

namespace rpc {

using asio::ip::tcp;
using nlohmann::json;

namespace {

// A failure after which the same request may safely be sent again on a new connection: the
// server closed an idle connection before this request reached it.
class StaleConnection : public TransportError {
  public:
    using TransportError::TransportError;
};

}  // namespace

struct Client::Impl {
    asio::io_context io;
    tcp::socket socket{io};
    std::string buffer;

    // Runs the started operation until it completes or the deadline passes.
    std::error_code Run(std::chrono::steady_clock::time_point deadline, bool& done,
                        const std::error_code& result) {
        io.restart();
        io.run_until(deadline);
        if (!done) {
            std::error_code ignored;
            socket.close(ignored);
            io.restart();
            io.run();
            return asio::error::timed_out;
        }
        return result;
    }
};

Client::Client(std::string host, std::uint16_t port, ClientOptions options)
    : host_(std::move(host)), port_(port), options_(options), impl_(std::make_unique<Impl>()) {}

Client::~Client() = default;

bool Client::IsConnected() const {
    return impl_->socket.is_open();
}

void Client::Close() {
    std::error_code ignored;
    impl_->socket.close(ignored);
    impl_->buffer.clear();
}

json Client::Call(const std::string& method, const json& params) {
    const std::int64_t id = nextId_++;
    const std::string line = Exchange(method, params, id);
    json reply;
    try {
        reply = json::parse(line);
    } catch (const json::parse_error& e) {
        Close();
        throw TransportError("Resposta inválida do servidor de aplicação em " + host_ + ":" +
                             std::to_string(port_) + ": " + e.what());
    }
    return ResultOf(std::move(reply), id);
}

std::string Client::CallText(const std::string& method, const json& params) {
    const std::int64_t id = nextId_++;
    std::string line = Exchange(method, params, id);
    const std::string prefix = R"({"jsonrpc":"2.0","id":)" + std::to_string(id) + R"(,"result":)";
    if (line.size() > prefix.size() && line.compare(0, prefix.size(), prefix) == 0 &&
        line.back() == '}') {
        line.pop_back();
        line.erase(0, prefix.size());
        return line;
    }
    json reply;
    try {
        reply = json::parse(line);
    } catch (const json::parse_error& e) {
        Close();
        throw TransportError("Resposta inválida do servidor de aplicação em " + host_ + ":" +
                             std::to_string(port_) + ": " + e.what());
    }
    return ResultOf(std::move(reply), id).dump();
}

std::string Client::Exchange(const std::string& method, const json& params, std::int64_t id) {
    const std::string where = host_ + ":" + std::to_string(port_);
    std::string request =
        json{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}}.dump(
            -1, ' ', false, json::error_handler_t::strict);
    request += '\n';

    for (int attempt = 0;; ++attempt) {
        const auto deadline = std::chrono::steady_clock::now() + options_.timeout;
        const bool reused = impl_->socket.is_open();
        try {
            if (!reused) {
                impl_->buffer.clear();
                bool done = false;
                std::error_code result;
                tcp::resolver resolver(impl_->io);
                std::error_code ec;
                const auto endpoints = resolver.resolve(host_, std::to_string(port_), ec);
                if (ec) {
                    throw TransportError("Não foi possível encontrar o servidor de aplicação " +
                                         where + ": " + ec.message() + ".");
                }
                asio::async_connect(impl_->socket, endpoints,
                                    [&](std::error_code e, const tcp::endpoint&) {
                                        result = e;
                                        done = true;
                                    });
                ec = impl_->Run(deadline, done, result);
                if (ec) {
                    Close();
                    throw TransportError("Não foi possível conectar ao servidor de aplicação em " +
                                         where + ": " + ec.message() + ".");
                }
                impl_->socket.set_option(tcp::no_delay(true), ec);
            }
            {
                bool done = false;
                std::error_code result;
                asio::async_write(impl_->socket, asio::buffer(request),
                                  [&](std::error_code e, std::size_t) {
                                      result = e;
                                      done = true;
                                  });
                const std::error_code ec = impl_->Run(deadline, done, result);
                if (ec == asio::error::timed_out) {
                    Close();
                    throw TransportError("O servidor de aplicação em " + where +
                                         " não respondeu a tempo.");
                }
                if (ec) {
                    Close();
                    throw StaleConnection("A conexão com o servidor de aplicação em " + where +
                                          " foi interrompida: " + ec.message() + ".");
                }
            }
            std::size_t length = 0;
            {
                bool done = false;
                std::error_code result;
                asio::async_read_until(
                    impl_->socket,
                    asio::dynamic_buffer(impl_->buffer, options_.maxMessageBytes + 1), '\n',
                    [&](std::error_code e, std::size_t n) {
                        result = e;
                        length = n;
                        done = true;
                    });
                const std::error_code ec = impl_->Run(deadline, done, result);
                if (ec == asio::error::timed_out) {
                    Close();
                    throw TransportError(
                        "O servidor de aplicação em " + where + " não respondeu em " +
                        std::to_string(options_.timeout.count() / 1000) + " segundos.");
                }
                if (ec == asio::error::not_found) {
                    Close();
                    throw TransportError("A resposta do servidor de aplicação em " + where +
                                         " excede o limite de " +
                                         std::to_string(options_.maxMessageBytes) + " bytes.");
                }
                if (ec) {
                    const bool nothing = impl_->buffer.empty();
                    Close();
                    const std::string message = "A conexão com o servidor de aplicação em " +
                                                where + " foi interrompida: " + ec.message() + ".";
                    if (nothing) throw StaleConnection(message);
                    throw TransportError(message);
                }
            }
            std::string line = impl_->buffer.substr(0, length - 1);
            impl_->buffer.erase(0, length);
            return line;
        } catch (const StaleConnection&) {
            if (!reused || attempt > 0) throw;
        }
    }
}

json Client::ResultOf(json reply, std::int64_t id) {
    const std::string where = host_ + ":" + std::to_string(port_);
    if (!reply.is_object()) {
        Close();
        throw TransportError("Resposta inválida do servidor de aplicação em " + where + ".");
    }
    if (const auto error = reply.find("error"); error != reply.end()) {
        const json& e = *error;
        const int code = e.is_object() ? e.value("code", static_cast<int>(kInternalError))
                                       : static_cast<int>(kInternalError);
        const std::string message =
            e.is_object() ? e.value("message", std::string("Erro do servidor de aplicação."))
                          : std::string("Erro do servidor de aplicação.");
        // An error not meant for this call (busy, oversized) leaves the connection unusable.
        if (reply.value("id", json()) != json(id)) Close();
        throw RpcError(code, message);
    }
    if (reply.value("id", json()) != json(id)) {
        Close();
        throw TransportError("Resposta do servidor de aplicação em " + where +
                             " não corresponde à chamada.");
    }
    const auto result = reply.find("result");
    if (result == reply.end()) {
        Close();
        throw TransportError("Resposta sem resultado do servidor de aplicação em " + where + ".");
    }
    return std::move(*result);
}

}  // namespace rpc

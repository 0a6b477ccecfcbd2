// Asio server: a connection object per socket, all its work on its own strand; lines are
// framed here and handled by the dispatcher, which never sees a socket.
#include "rpc/Server.h"

#include <asio.hpp>

#include <atomic>
#include <iostream>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "rpc/RpcError.h"

namespace rpc {

using asio::ip::tcp;

class Session;

struct Server::Impl {
    Impl(const Dispatcher& d, ServerOptions o)
        : dispatcher(d),
          options(o),
          acceptor(asio::make_strand(io)),
          signals(acceptor.get_executor()) {}

    void Accept();
    void Register(const std::shared_ptr<Session>& session);
    void Unregister(const Session* session);
    void StopNow();

    const Dispatcher& dispatcher;
    const ServerOptions options;
    asio::io_context io;
    tcp::acceptor acceptor;
    asio::signal_set signals;
    std::vector<std::thread> threads;
    std::mutex mutex;
    std::map<const Session*, std::weak_ptr<Session>> sessions;
    bool stopping = false;
};

class Session : public std::enable_shared_from_this<Session> {
  public:
    Session(tcp::socket socket, Server::Impl& server)
        : socket_(std::move(socket)), timer_(socket_.get_executor()), server_(server) {}

    ~Session() { server_.Unregister(this); }

    void Start() {
        asio::post(socket_.get_executor(), [self = shared_from_this()] { self->Next(); });
    }

    // Lets a call under way finish, then closes.
    void Shutdown() {
        asio::post(socket_.get_executor(), [self = shared_from_this()] {
            self->stopping_ = true;
            if (!self->busy_) self->Close();
        });
    }

  private:
    // Handles the next complete line, or reads more.
    void Next() {
        const std::size_t end = buffer_.find('\n', scanned_);
        if (end != std::string::npos) {
            std::string line = buffer_.substr(0, end);
            buffer_.erase(0, end + 1);
            scanned_ = 0;
            busy_ = true;
            timer_.cancel();
            std::string reply;
            if (discarding_ || line.size() > server_.options.maxMessageBytes) {
                discarding_ = false;
                reply = Dispatcher::ErrorReply(nullptr, kMessageTooLarge,
                                               "Mensagem maior que o limite de " +
                                                   std::to_string(server_.options.maxMessageBytes) +
                                                   " bytes; descartada.");
            } else {
                if (!line.empty() && line.back() == '\r') line.pop_back();
                if (line.find_first_not_of(" \t") != std::string::npos) {
                    reply = server_.dispatcher.Handle(line);
                }
            }
            if (reply.empty()) {
                Next();
            } else {
                Write(std::move(reply));
            }
            return;
        }
        scanned_ = buffer_.size();
        if (buffer_.size() > server_.options.maxMessageBytes) {
            discarding_ = true;
            buffer_.clear();
            scanned_ = 0;
        }
        busy_ = false;
        if (stopping_) {
            Close();
            return;
        }
        timer_.expires_after(buffer_.empty() && !discarding_ ? server_.options.idleTimeout
                                                             : server_.options.readTimeout);
        timer_.async_wait([self = shared_from_this()](std::error_code ec) {
            if (!ec) self->Close();
        });
        socket_.async_read_some(asio::buffer(chunk_),
                                [self = shared_from_this()](std::error_code ec, std::size_t n) {
                                    if (ec) {
                                        self->Close();
                                        return;
                                    }
                                    self->buffer_.append(self->chunk_.data(), n);
                                    self->Next();
                                });
    }

    void Write(std::string reply) {
        reply_ = std::move(reply);
        reply_ += '\n';
        asio::async_write(socket_, asio::buffer(reply_),
                          [self = shared_from_this()](std::error_code ec, std::size_t) {
                              self->reply_.clear();
                              self->reply_.shrink_to_fit();
                              if (ec) {
                                  self->Close();
                                  return;
                              }
                              self->Next();
                          });
    }

    void Close() {
        std::error_code ignored;
        timer_.cancel();
        socket_.shutdown(tcp::socket::shutdown_both, ignored);
        socket_.close(ignored);
    }

    tcp::socket socket_;
    asio::steady_timer timer_;
    Server::Impl& server_;
    std::array<char, 65536> chunk_{};
    std::string buffer_;
    std::size_t scanned_ = 0;
    std::string reply_;
    bool discarding_ = false;
    bool busy_ = false;
    bool stopping_ = false;
};

void Server::Impl::Accept() {
    acceptor.async_accept(asio::make_strand(io), [this](std::error_code ec, tcp::socket socket) {
        if (ec) {
            if (acceptor.is_open()) Accept();
            return;
        }
        std::error_code ignored;
        socket.set_option(tcp::no_delay(true), ignored);
        bool full = false;
        {
            const std::lock_guard lock(mutex);
            full = sessions.size() >= options.maxConnections;
        }
        if (full) {
            const std::string reply =
                Dispatcher::ErrorReply(nullptr, kServerBusy,
                                       "Servidor ocupado: limite de " +
                                           std::to_string(options.maxConnections) +
                                           " conexões atingido. Tente novamente.") +
                "\n";
            asio::write(socket, asio::buffer(reply), ignored);
            socket.close(ignored);
        } else {
            auto session = std::make_shared<Session>(std::move(socket), *this);
            Register(session);
            session->Start();
        }
        Accept();
    });
}

void Server::Impl::Register(const std::shared_ptr<Session>& session) {
    const std::lock_guard lock(mutex);
    sessions[session.get()] = session;
}

void Server::Impl::Unregister(const Session* session) {
    const std::lock_guard lock(mutex);
    sessions.erase(session);
}

void Server::Impl::StopNow() {
    std::error_code ignored;
    acceptor.close(ignored);
    signals.cancel(ignored);
    std::vector<std::shared_ptr<Session>> open;
    {
        const std::lock_guard lock(mutex);
        stopping = true;
        for (const auto& [key, weak] : sessions) {
            if (auto session = weak.lock()) open.push_back(std::move(session));
        }
    }
    for (const auto& session : open) session->Shutdown();
}

Server::Server(const Dispatcher& dispatcher, ServerOptions options)
    : impl_(std::make_unique<Impl>(dispatcher, options)) {}

Server::~Server() {
    Stop();
    Wait();
}

void Server::Listen(const std::string& host, std::uint16_t port) {
    try {
        const auto address = asio::ip::make_address(host == "localhost" ? "127.0.0.1" : host);
        const tcp::endpoint endpoint(address, port);
        impl_->acceptor.open(endpoint.protocol());
        impl_->acceptor.set_option(tcp::acceptor::reuse_address(true));
        impl_->acceptor.bind(endpoint);
        impl_->acceptor.listen();
    } catch (const std::exception& e) {
        throw TransportError("Não foi possível escutar em " + host + ":" + std::to_string(port) +
                             ": " + e.what());
    }
}

std::uint16_t Server::Port() const {
    return impl_->acceptor.local_endpoint().port();
}

void Server::StopOnSignals() {
    impl_->signals.add(SIGTERM);
    impl_->signals.add(SIGINT);
    impl_->signals.async_wait([this](std::error_code ec, int) {
        if (!ec) impl_->StopNow();
    });
}

void Server::Start() {
    asio::post(impl_->acceptor.get_executor(), [this] { impl_->Accept(); });
    const std::size_t count = std::max<std::size_t>(1, impl_->options.threads);
    for (std::size_t i = 0; i < count; ++i) {
        impl_->threads.emplace_back([this] {
            for (;;) {
                try {
                    impl_->io.run();
                    return;
                } catch (const std::exception& e) {
                    std::cerr << "saldo-server: erro inesperado: " << e.what() << '\n';
                }
            }
        });
    }
}

void Server::Stop() {
    asio::post(impl_->acceptor.get_executor(), [this] { impl_->StopNow(); });
}

void Server::Wait() {
    for (auto& thread : impl_->threads) {
        if (thread.joinable()) thread.join();
    }
    impl_->threads.clear();
}

}  // namespace rpc

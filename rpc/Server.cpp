// Asio server: one network thread runs the sockets, each connection on its own strand; lines are
// cut by the LineFramer and handled by the dispatcher on worker threads, which never see a socket.
#include "rpc/Server.h"

#include <asio.hpp>

#include <array>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <iostream>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "rpc/LineFramer.h"
#include "rpc/RpcError.h"

namespace rpc {

using asio::ip::tcp;
using Clock = std::chrono::steady_clock;

class Session;

namespace {

std::string Bytes(std::size_t n) {
    std::string text = std::to_string(n) + " bytes";
    if (n >= (std::size_t{1} << 20)) text += " (" + std::to_string(n >> 20) + " MiB)";
    return text;
}

// The id of a reply in the dispatcher's form {"jsonrpc":"2.0","id":ID,"result":...}, or null.
// A JSON string never holds `,"` unescaped, so the first `,"result":` ends the id.
nlohmann::json IdOfReply(std::string_view reply) {
    constexpr std::string_view prefix = R"({"jsonrpc":"2.0","id":)";
    if (reply.substr(0, prefix.size()) != prefix) return nullptr;
    const std::size_t end = reply.find(R"(,"result":)", prefix.size());
    if (end == std::string_view::npos || end - prefix.size() > 1024) return nullptr;
    const auto id =
        nlohmann::json::parse(reply.substr(prefix.size(), end - prefix.size()), nullptr, false);
    return id.is_string() || id.is_number() ? id : nlohmann::json(nullptr);
}

}  // namespace

struct Server::Impl {
    Impl(const Dispatcher& d, ServerOptions o)
        : dispatcher(d),
          options(o),
          acceptor(asio::make_strand(io)),
          acceptRetry(acceptor.get_executor()),
          signals(acceptor.get_executor()) {}

    struct Entry {
        std::weak_ptr<Session> session;
        std::string peer;
        bool leaving = false;  // chosen to give its place; no longer counted
    };

    void Accept();
    void Admit(tcp::socket socket);
    // The connection without a call under way that has been silent the longest, among those the
    // filter accepts; null when there is none. Called with the mutex held.
    std::shared_ptr<Session> QuietestLocked(const std::function<bool(const Entry&)>& filter);
    void LeaveLocked(Entry& entry);
    void Unregister(const Session* session);
    void StopNow();
    // The dispatcher's reply to a line (its rest, after the pieces sent to `sink`), never an
    // exception but ReplyAborted, never larger than the reply limit.
    std::string Handle(std::string_view line, Connection& origin, ReplySink& sink) const;

    const Dispatcher& dispatcher;
    const ServerOptions options;
    asio::io_context io;
    tcp::acceptor acceptor;
    asio::steady_timer acceptRetry;
    asio::signal_set signals;
    std::vector<std::thread> threads;
    std::optional<asio::thread_pool> workers;
    std::mutex mutex;
    std::map<const Session*, Entry> sessions;
    std::map<std::string, std::size_t> perPeer;  // counted connections per address
    std::size_t counted = 0;
    bool stopping = false;
};

class Session : public std::enable_shared_from_this<Session> {
  public:
    Session(tcp::socket socket, Server::Impl& server, std::string peer)
        : socket_(std::move(socket)),
          peer_(std::move(peer)),
          connection_{Transport::Tcp, peer_, std::nullopt, {}},
          timer_(socket_.get_executor()),
          server_(server),
          framer_(server.options.maxRequestBytes),
          lastActive_(Clock::now().time_since_epoch().count()) {}

    ~Session() { server_.Unregister(this); }

    void Start() {
        asio::post(socket_.get_executor(), [self = shared_from_this()] { self->Next(); });
    }

    // Lets a call under way finish and its reply go out, then closes.
    void Shutdown() {
        asio::post(socket_.get_executor(), [self = shared_from_this()] {
            self->stopping_ = true;
            if (!self->busy_) self->Close();
        });
    }

    // Between a request handed to the dispatcher and its reply; such a connection is never
    // chosen to give its place.
    bool InCall() const { return inCall_; }
    Clock::rep LastActive() const { return lastActive_; }

  private:
    // Hands the next complete line to the dispatcher, or reads more.
    void Next() {
        while (chunkBegin_ < chunkEnd_) {
            const auto step =
                framer_.Consume({chunk_.data() + chunkBegin_, chunkEnd_ - chunkBegin_});
            chunkBegin_ += step.consumed;
            if (step.result == LineFramer::Result::kLine) {
                lineDeadline_.reset();
                Dispatch(framer_.TakeLine());
                return;
            }
            // The time-out of a message runs from its first byte: set once, never moved.
            if (!framer_.InLine()) {
                lineDeadline_.reset();
            } else if (!lineDeadline_) {
                lineDeadline_ = Clock::now() + server_.options.readTimeout;
            }
            if (step.result == LineFramer::Result::kTooLong) {
                Write(Dispatcher::ErrorReply(nullptr, kMessageTooLarge,
                                             "Requisição maior que o limite de " +
                                                 Bytes(framer_.MaxLineBytes()) + "; descartada."));
                return;
            }
        }
        busy_ = false;
        if (stopping_) {
            Close();
            return;
        }
        ArmTimer(lineDeadline_ ? *lineDeadline_ : Clock::now() + server_.options.idleTimeout);
        socket_.async_read_some(asio::buffer(chunk_),
                                [self = shared_from_this()](std::error_code ec, std::size_t n) {
                                    if (ec) {
                                        self->Close();
                                        return;
                                    }
                                    self->lastActive_ = Clock::now().time_since_epoch().count();
                                    self->chunkBegin_ = 0;
                                    self->chunkEnd_ = n;
                                    self->Next();
                                });
    }

    // Sends the first pieces of a large reply from the worker thread making it, one write
    // under way at a time, each bounded by the write time-out; the rest of the reply then goes
    // out through Write.
    class PieceWriter final : public ReplySink {
      public:
        explicit PieceWriter(std::shared_ptr<Session> session) : session_(std::move(session)) {}
        ~PieceWriter() override { Drain(); }

        void Send(std::string& piece) override {
            std::unique_lock lock(mutex_);
            done_.wait(lock, [&] { return !writing_; });
            if (failed_) throw ReplyAborted("a conexão foi encerrada no meio da resposta");
            const std::size_t limit = session_->server_.options.maxReplyBytes;
            if (sent_ + piece.size() > limit)
                throw RpcError(kMessageTooLarge,
                               "A resposta passa do limite de " + Bytes(limit) + " do servidor.");
            sent_ += piece.size();
            writing_ = true;
            piece.swap(sending_);
            piece.clear();
            lock.unlock();
            asio::post(session_->socket_.get_executor(), [this, self = session_] {
                self->ArmTimer(Clock::now() + self->server_.options.writeTimeout);
                asio::async_write(self->socket_, asio::buffer(sending_),
                                  [this, self](std::error_code ec, std::size_t) {
                                      self->lastActive_ = Clock::now().time_since_epoch().count();
                                      self->ArmTimer(Clock::time_point::max());
                                      const std::lock_guard guard(mutex_);
                                      writing_ = false;
                                      failed_ = failed_ || static_cast<bool>(ec);
                                      done_.notify_all();
                                  });
            });
        }

        // Waits for the piece under way, if any.
        void Drain() {
            std::unique_lock lock(mutex_);
            done_.wait(lock, [&] { return !writing_; });
        }

      private:
        std::shared_ptr<Session> session_;
        std::mutex mutex_;
        std::condition_variable done_;
        std::string sending_;
        std::size_t sent_ = 0;
        bool writing_ = false;
        bool failed_ = false;
    };

    void Dispatch(std::string line) {
        busy_ = true;
        inCall_ = true;
        ArmTimer(Clock::time_point::max());
        asio::post(*server_.workers, [self = shared_from_this(), line = std::move(line),
                                      work = asio::make_work_guard(server_.io)]() mutable {
            std::string reply;
            bool aborted = false;
            {
                PieceWriter pieces(self);
                try {
                    reply = self->server_.Handle(line, self->connection_, pieces);
                } catch (const ReplyAborted& e) {
                    std::cerr << "saldo-server: resposta a " << self->peer_
                              << " interrompida: " << e.what() << '\n';
                    aborted = true;
                }
            }
            std::string().swap(line);
            asio::post(self->socket_.get_executor(),
                       [self, aborted, reply = std::move(reply)]() mutable {
                           self->inCall_ = false;
                           if (aborted) {
                               self->busy_ = false;
                               self->Close();
                           } else if (reply.empty()) {
                               self->Next();
                           } else {
                               self->Write(std::move(reply));
                           }
                       });
        });
    }

    void Write(std::string reply) {
        busy_ = true;
        reply_ = std::move(reply);
        ArmTimer(Clock::now() + server_.options.writeTimeout);
        static constexpr char kNewline = '\n';
        const std::array<asio::const_buffer, 2> buffers{asio::buffer(reply_),
                                                        asio::buffer(&kNewline, 1)};
        asio::async_write(socket_, buffers,
                          [self = shared_from_this()](std::error_code ec, std::size_t) {
                              std::string().swap(self->reply_);
                              self->lastActive_ = Clock::now().time_since_epoch().count();
                              if (ec) {
                                  self->Close();
                                  return;
                              }
                              self->Next();
                          });
    }

    // Closes the connection when the deadline passes. A wait that completes after the deadline
    // was moved finds a later expiry and does nothing.
    void ArmTimer(Clock::time_point deadline) {
        timer_.expires_at(deadline);
        if (deadline == Clock::time_point::max()) return;
        timer_.async_wait([self = shared_from_this()](std::error_code ec) {
            if (!ec && self->timer_.expiry() <= Clock::now()) self->Close();
        });
    }

    void Close() {
        std::error_code ignored;
        timer_.cancel();
        socket_.shutdown(tcp::socket::shutdown_both, ignored);
        socket_.close(ignored);
    }

    tcp::socket socket_;
    const std::string peer_;  // the caller's address, for the log
    Connection connection_;   // what the methods know of it; touched by one call at a time
    asio::steady_timer timer_;
    Server::Impl& server_;
    LineFramer framer_;
    std::array<char, 65536> chunk_{};
    std::size_t chunkBegin_ = 0;
    std::size_t chunkEnd_ = 0;
    std::optional<Clock::time_point> lineDeadline_;
    std::string reply_;
    bool busy_ = true;  // in a call or writing a reply: a shutdown waits for it
    std::atomic<bool> inCall_{false};
    std::atomic<Clock::rep> lastActive_;
    bool stopping_ = false;
};

void Server::Impl::Accept() {
    acceptor.async_accept(asio::make_strand(io), [this](std::error_code ec, tcp::socket socket) {
        if (!acceptor.is_open()) return;
        if (ec) {
            // Out of file descriptors, or the like: try again shortly instead of spinning.
            acceptRetry.expires_after(std::chrono::milliseconds(100));
            acceptRetry.async_wait([this](std::error_code e) {
                if (!e) Accept();
            });
            return;
        }
        Admit(std::move(socket));
        Accept();
    });
}

void Server::Impl::Admit(tcp::socket socket) {
    std::error_code ec;
    socket.set_option(tcp::no_delay(true), ec);
    const tcp::endpoint remote = socket.remote_endpoint(ec);
    if (ec) return;  // the peer has gone already
    const std::string peer = remote.address().to_string();

    std::shared_ptr<Session> session;
    std::shared_ptr<Session> victim;
    std::string refusal;
    {
        const std::lock_guard lock(mutex);
        if (stopping) return;
        const auto it = perPeer.find(peer);
        const std::size_t fromPeer = it == perPeer.end() ? 0 : it->second;
        if (fromPeer >= options.maxConnectionsPerPeer) {
            victim = QuietestLocked([&](const Entry& e) { return e.peer == peer; });
            if (!victim) {
                refusal = "Servidor ocupado: o endereço " + peer + " já tem " +
                          std::to_string(options.maxConnectionsPerPeer) +
                          " conexões em uso. Tente novamente.";
            }
        } else if (counted >= options.maxConnections) {
            std::size_t most = 0;
            for (const auto& [address, count] : perPeer) most = std::max(most, count);
            victim = QuietestLocked([&](const Entry& e) { return perPeer.at(e.peer) == most; });
            if (!victim) victim = QuietestLocked([](const Entry&) { return true; });
            if (!victim) {
                refusal = "Servidor ocupado: limite de " + std::to_string(options.maxConnections) +
                          " conexões em uso atingido. Tente novamente.";
            }
        }
        if (victim) LeaveLocked(sessions.at(victim.get()));
        if (refusal.empty()) {
            session = std::make_shared<Session>(std::move(socket), *this, peer);
            sessions[session.get()] = Entry{session, peer};
            ++perPeer[peer];
            ++counted;
        }
    }
    if (victim) victim->Shutdown();
    if (session) {
        session->Start();
        return;
    }
    const std::string reply = Dispatcher::ErrorReply(nullptr, kServerBusy, refusal) + "\n";
    asio::write(socket, asio::buffer(reply), ec);
    socket.close(ec);
}

std::shared_ptr<Session> Server::Impl::QuietestLocked(
    const std::function<bool(const Entry&)>& filter) {
    // A session in the map is alive: its destructor waits for the mutex to leave the map.
    const Session* quietest = nullptr;
    for (const auto& [key, entry] : sessions) {
        if (entry.leaving || key->InCall() || !filter(entry)) continue;
        if (quietest == nullptr || key->LastActive() < quietest->LastActive()) quietest = key;
    }
    return quietest == nullptr ? nullptr : sessions.at(quietest).session.lock();
}

void Server::Impl::LeaveLocked(Entry& entry) {
    if (entry.leaving) return;
    entry.leaving = true;
    --counted;
    if (--perPeer[entry.peer] == 0) perPeer.erase(entry.peer);
}

void Server::Impl::Unregister(const Session* session) {
    const std::lock_guard lock(mutex);
    const auto it = sessions.find(session);
    if (it == sessions.end()) return;
    LeaveLocked(it->second);
    sessions.erase(it);
}

void Server::Impl::StopNow() {
    std::error_code ignored;
    acceptor.close(ignored);
    acceptRetry.cancel();
    signals.cancel(ignored);
    std::vector<std::shared_ptr<Session>> open;
    {
        const std::lock_guard lock(mutex);
        stopping = true;
        for (const auto& [key, entry] : sessions) {
            if (auto session = entry.session.lock()) open.push_back(std::move(session));
        }
    }
    for (const auto& session : open) session->Shutdown();
}

std::string Server::Impl::Handle(std::string_view line, Connection& origin, ReplySink& sink) const {
    std::string reply;
    try {
        reply = dispatcher.Handle(line, &origin, &sink);
    } catch (const ReplyAborted&) {
        throw;
    } catch (const std::bad_alloc&) {
        return Dispatcher::ErrorReply(nullptr, kInternalError,
                                      "Memória insuficiente no servidor para atender a chamada.");
    } catch (const std::exception& e) {
        std::cerr << "saldo-server: erro interno: " << e.what() << '\n';
        return Dispatcher::ErrorReply(
            nullptr, kInternalError,
            "Erro interno do servidor; nada foi gravado. O detalhe está no registro do servidor.");
    }
    if (reply.size() > options.maxReplyBytes) {
        const nlohmann::json id = IdOfReply(reply);
        const std::size_t size = reply.size();
        std::string().swap(reply);
        return Dispatcher::ErrorReply(id, kMessageTooLarge,
                                      "A resposta tem " + Bytes(size) + ", mais que o limite de " +
                                          Bytes(options.maxReplyBytes) + " do servidor.");
    }
    return reply;
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

void Server::ListenTls(const std::string& host, std::uint16_t, const std::string&,
                       const std::string&) {
    throw TransportError("TLS não disponível nesta versão do servidor (" + host + ").");
}

void Server::ListenLocal(const std::string& path) {
    throw TransportError("Soquete local não disponível nesta versão do servidor (" + path + ").");
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
    impl_->workers.emplace(std::max<std::size_t>(1, impl_->options.threads));
    asio::post(impl_->acceptor.get_executor(), [this] { impl_->Accept(); });
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

void Server::Stop() {
    asio::post(impl_->acceptor.get_executor(), [this] { impl_->StopNow(); });
}

void Server::Wait() {
    for (auto& thread : impl_->threads) {
        if (thread.joinable()) thread.join();
    }
    impl_->threads.clear();
    if (impl_->workers) impl_->workers->join();
}

}  // namespace rpc

// Asio server: one network thread runs the sockets, each connection on its own strand; lines are
// cut by the LineFramer and handled by the dispatcher on worker threads, which never see a socket.
// A session is the same code over a TCP socket, a TLS stream over one, or a local socket.
#include "rpc/Server.h"

#include <openssl/ssl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <asio.hpp>
#include <asio/ssl.hpp>

#include <array>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <fstream>
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
using local = asio::local::stream_protocol;
using TlsSocket = asio::ssl::stream<tcp::socket>;
using Clock = std::chrono::steady_clock;

// What the server's registry needs of a session, whatever stream it runs on.
class SessionBase {
  public:
    virtual ~SessionBase() = default;
    // Lets a call under way finish and its reply go out, then closes.
    virtual void Shutdown() = 0;
    // Between a request handed to the dispatcher and its reply; such a connection is never
    // chosen to give its place.
    virtual bool InCall() const = 0;
    virtual Clock::rep LastActive() const = 0;
};

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

// The server's TLS settings: TLS 1.2 at least, its certificate chain and private key. A file that
// cannot be read, or does not hold what it should, is named in the error.
asio::ssl::context MakeTlsContext(const std::string& certificateFile, const std::string& keyFile) {
    for (const std::string* file : {&certificateFile, &keyFile}) {
        if (!std::ifstream(*file))
            throw TransportError("Não foi possível abrir o arquivo " + *file +
                                 " do TLS do servidor.");
    }
    asio::ssl::context context(asio::ssl::context::tls_server);
    SSL_CTX_set_min_proto_version(context.native_handle(), TLS1_2_VERSION);
    context.set_options(asio::ssl::context::default_workarounds |
                        asio::ssl::context::single_dh_use);
    std::error_code ec;
    context.use_certificate_chain_file(certificateFile, ec);
    if (ec)
        throw TransportError("O arquivo " + certificateFile +
                             " não contém um certificado PEM válido para o TLS do servidor.");
    context.use_private_key_file(keyFile, asio::ssl::context::pem, ec);
    if (ec || SSL_CTX_check_private_key(context.native_handle()) != 1)
        throw TransportError("O arquivo " + keyFile +
                             " não contém a chave privada PEM do certificado " + certificateFile +
                             ".");
    return context;
}

}  // namespace

class ProxyGreeting;

struct Server::Impl {
    Impl(const Dispatcher& d, ServerOptions o)
        : dispatcher(d),
          options(o),
          acceptor(asio::make_strand(io)),
          acceptRetry(acceptor.get_executor()),
          signals(acceptor.get_executor()) {}

    struct Entry {
        std::weak_ptr<SessionBase> session;
        std::string peer;      // the address the connection is counted under
        bool leaving = false;  // chosen to give its place; no longer counted
    };

    void Accept();
    void AcceptLocal();
    // Admits a TCP connection under `peer`, over TLS when the listener speaks it.
    void AdmitTcp(tcp::socket socket, const std::string& peer);
    // Reads the PROXY header of a connection from a trusted proxy first, then admits it.
    void Greet(tcp::socket socket, const std::string& proxy);
    // Registers a new connection under `peer` within the limits and starts its session, or
    // refuses it. The stream is a plain or TLS one over TCP, or a local socket.
    template <class Stream>
    void Admit(Stream stream, Connection connection, const std::string& peer);
    // The connection without a call under way that has been silent the longest, among those the
    // filter accepts; null when there is none. Called with the mutex held.
    std::shared_ptr<SessionBase> QuietestLocked(const std::function<bool(const Entry&)>& filter);
    void LeaveLocked(Entry& entry);
    void Unregister(const SessionBase* session);
    // Removes the local socket's file, when it is still the one this server made.
    void RemoveLocalSocket();
    void StopNow();
    // The dispatcher's reply to a line (its rest, after the pieces sent to `sink`), never an
    // exception but ReplyAborted, never larger than the reply limit.
    std::string Handle(std::string_view line, Connection& origin, ReplySink& sink) const;

    const Dispatcher& dispatcher;
    const ServerOptions options;
    asio::io_context io;
    tcp::acceptor acceptor;
    asio::steady_timer acceptRetry;
    std::optional<asio::ssl::context> tls;  // set when the TCP listener speaks TLS
    local::acceptor localAcceptor{acceptor.get_executor()};
    asio::steady_timer localRetry{acceptor.get_executor()};
    std::string localPath;
    std::optional<std::pair<dev_t, ino_t>> localFile;  // the socket file this server made
    asio::signal_set signals;
    std::vector<std::thread> threads;
    std::optional<asio::thread_pool> workers;
    std::mutex mutex;
    std::map<const SessionBase*, Entry> sessions;
    std::map<std::string, std::size_t> perPeer;  // counted connections per address
    // Connections from proxies whose header is still awaited: not yet counted under any address.
    std::map<const void*, std::weak_ptr<ProxyGreeting>> greetings;
    std::size_t counted = 0;
    bool stopping = false;
};

template <class Stream>
class Session final : public SessionBase, public std::enable_shared_from_this<Session<Stream>> {
  public:
    static constexpr bool kTls = std::is_same_v<Stream, TlsSocket>;

    Session(Stream socket, Server::Impl& server, Connection connection)
        : socket_(std::move(socket)),
          connection_(std::move(connection)),
          peer_(connection_.peer),
          timer_(socket_.get_executor()),
          server_(server),
          framer_(server.options.maxRequestBytes),
          lastActive_(Clock::now().time_since_epoch().count()) {}

    ~Session() override { server_.Unregister(this); }

    // Reads the first request; over TLS, after a handshake that must end within the read
    // time-out, so a peer that never completes it (or speaks plain text) is closed unanswered.
    void Start() {
        asio::post(socket_.get_executor(), [self = this->shared_from_this()] {
            if constexpr (kTls) {
                self->ArmTimer(Clock::now() + self->server_.options.readTimeout);
                self->socket_.async_handshake(asio::ssl::stream_base::server,
                                              [self](std::error_code ec) {
                                                  if (ec) {
                                                      self->busy_ = false;
                                                      self->Close();
                                                      return;
                                                  }
                                                  self->Next();
                                              });
            } else {
                self->Next();
            }
        });
    }

    void Shutdown() override {
        asio::post(socket_.get_executor(), [self = this->shared_from_this()] {
            self->stopping_ = true;
            if (!self->busy_) self->Close();
        });
    }

    bool InCall() const override { return inCall_; }
    Clock::rep LastActive() const override { return lastActive_; }

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
        socket_.async_read_some(asio::buffer(chunk_), [self = this->shared_from_this()](
                                                          std::error_code ec, std::size_t n) {
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
        asio::post(*server_.workers, [self = this->shared_from_this(), line = std::move(line),
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
                          [self = this->shared_from_this()](std::error_code ec, std::size_t) {
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
        timer_.async_wait([self = this->shared_from_this()](std::error_code ec) {
            if (!ec && self->timer_.expiry() <= Clock::now()) self->Close();
        });
    }

    void Close() {
        std::error_code ignored;
        timer_.cancel();
        socket_.lowest_layer().shutdown(asio::socket_base::shutdown_both, ignored);
        socket_.lowest_layer().close(ignored);
    }

    Stream socket_;
    Connection connection_;   // what the methods know of it; touched by one call at a time
    const std::string peer_;  // the caller's address, for the log
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

// Reads the PROXY header a trusted proxy sends before anything else (in clear, before any TLS
// handshake), within the read time-out and never past its end, then hands the connection on
// under the client's address. Anything else closes it unanswered, with a line in the log.
class ProxyGreeting final : public std::enable_shared_from_this<ProxyGreeting> {
  public:
    ProxyGreeting(tcp::socket socket, Server::Impl& server, std::string proxy)
        : socket_(std::move(socket)),
          timer_(socket_.get_executor()),
          server_(server),
          proxy_(std::move(proxy)) {}

    ~ProxyGreeting() {
        const std::lock_guard lock(server_.mutex);
        server_.greetings.erase(this);
    }

    void Start() {
        timer_.expires_after(server_.options.readTimeout);
        timer_.async_wait([self = shared_from_this()](std::error_code ec) {
            if (ec) return;
            self->late_ = true;
            self->Drop();
        });
        Read(ReadProxyHeader({}).wanted);
    }

    // Closes the connection, unlogged: the server is stopping.
    void Cancel() {
        asio::post(socket_.get_executor(), [self = shared_from_this()] {
            self->cancelled_ = true;
            self->timer_.cancel();
            self->Drop();
        });
    }

  private:
    void Read(std::size_t wanted) {
        const std::size_t at = bytes_.size();
        bytes_.resize(at + wanted);
        asio::async_read(socket_, asio::buffer(bytes_.data() + at, wanted),
                         [self = shared_from_this()](std::error_code ec, std::size_t) {
                             if (ec) {
                                 self->Refuse(self->late_
                                                  ? "o cabeçalho PROXY não chegou a tempo"
                                                  : "a conexão terminou antes do cabeçalho PROXY");
                                 return;
                             }
                             const ProxyHeaderStep step = ReadProxyHeader(self->bytes_);
                             switch (step.result) {
                                 case ProxyHeaderStep::Result::kNeedMore:
                                     self->Read(step.wanted);
                                     return;
                                 case ProxyHeaderStep::Result::kInvalid:
                                     self->Refuse(step.reason);
                                     return;
                                 case ProxyHeaderStep::Result::kComplete:
                                     self->timer_.cancel();
                                     if (!self->socket_.is_open()) return;
                                     self->server_.AdmitTcp(std::move(self->socket_),
                                                            step.source.value_or(self->proxy_));
                                     return;
                             }
                         });
    }

    void Refuse(const std::string& why) {
        timer_.cancel();
        Drop();
        if (cancelled_) return;
        std::cerr << "saldo-server: conexão de " << proxy_ << " fechada sem atender: " << why
                  << ".\n";
    }

    void Drop() {
        std::error_code ignored;
        socket_.shutdown(asio::socket_base::shutdown_both, ignored);
        socket_.close(ignored);
    }

    tcp::socket socket_;
    asio::steady_timer timer_;
    Server::Impl& server_;
    const std::string proxy_;
    std::string bytes_;  // the header so far, never more
    bool late_ = false;
    bool cancelled_ = false;
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
        socket.set_option(tcp::no_delay(true), ec);
        const tcp::endpoint remote = socket.remote_endpoint(ec);
        if (!ec) {  // else the peer has gone already
            const std::string peer = remote.address().to_string();
            if (FromProxy(options.proxies, peer)) {
                Greet(std::move(socket), peer);
            } else {
                AdmitTcp(std::move(socket), peer);
            }
        }
        Accept();
    });
}

void Server::Impl::AdmitTcp(tcp::socket socket, const std::string& peer) {
    if (tls) {
        Admit(TlsSocket(std::move(socket), *tls), Connection{Transport::Tls, peer, {}, {}}, peer);
    } else {
        Admit(std::move(socket), Connection{Transport::Tcp, peer, {}, {}}, peer);
    }
}

void Server::Impl::Greet(tcp::socket socket, const std::string& proxy) {
    std::shared_ptr<ProxyGreeting> greeting;
    {
        const std::lock_guard lock(mutex);
        // Each waits at most the read time-out; the total is bounded like the connections.
        if (stopping || greetings.size() >= options.maxConnections) {
            std::error_code ignored;
            socket.close(ignored);
            return;
        }
        greeting = std::make_shared<ProxyGreeting>(std::move(socket), *this, proxy);
        greetings[greeting.get()] = greeting;
    }
    greeting->Start();
}

void Server::Impl::AcceptLocal() {
    localAcceptor.async_accept(asio::make_strand(io), [this](std::error_code ec,
                                                             local::socket socket) {
        if (!localAcceptor.is_open()) return;
        if (ec) {
            localRetry.expires_after(std::chrono::milliseconds(100));
            localRetry.async_wait([this](std::error_code e) {
                if (!e) AcceptLocal();
            });
            return;
        }
        ucred credentials{};
        socklen_t size = sizeof credentials;
        if (getsockopt(socket.native_handle(), SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0) {
            // Counted per user: one user's programs never crowd out another's.
            Admit(std::move(socket),
                  Connection{
                      Transport::Local, "local", static_cast<std::uint32_t>(credentials.uid), {}},
                  "local:" + std::to_string(credentials.uid));
        }
        AcceptLocal();
    });
}

template <class Stream>
void Server::Impl::Admit(Stream stream, Connection connection, const std::string& peer) {
    std::shared_ptr<Session<Stream>> session;
    std::shared_ptr<SessionBase> victim;
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
            session =
                std::make_shared<Session<Stream>>(std::move(stream), *this, std::move(connection));
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
    std::error_code ec;
    // A TLS peer cannot read a plain reply before its handshake: it is only closed.
    if constexpr (!Session<Stream>::kTls) {
        const std::string reply = Dispatcher::ErrorReply(nullptr, kServerBusy, refusal) + "\n";
        asio::write(stream, asio::buffer(reply), ec);
    }
    stream.lowest_layer().close(ec);
}

std::shared_ptr<SessionBase> Server::Impl::QuietestLocked(
    const std::function<bool(const Entry&)>& filter) {
    // A session in the map is alive: its destructor waits for the mutex to leave the map.
    const SessionBase* quietest = nullptr;
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

void Server::Impl::Unregister(const SessionBase* session) {
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
    localAcceptor.close(ignored);
    localRetry.cancel();
    RemoveLocalSocket();
    signals.cancel(ignored);
    std::vector<std::shared_ptr<SessionBase>> open;
    std::vector<std::shared_ptr<ProxyGreeting>> awaited;
    {
        const std::lock_guard lock(mutex);
        stopping = true;
        for (const auto& [key, entry] : sessions) {
            if (auto session = entry.session.lock()) open.push_back(std::move(session));
        }
        for (const auto& [key, waiting] : greetings) {
            if (auto greeting = waiting.lock()) awaited.push_back(std::move(greeting));
        }
    }
    for (const auto& session : open) session->Shutdown();
    for (const auto& greeting : awaited) greeting->Cancel();
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
    // A server never started still made its socket file.
    impl_->RemoveLocalSocket();
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

void Server::ListenTls(const std::string& host, std::uint16_t port,
                       const std::string& certificateFile, const std::string& keyFile) {
    impl_->tls.emplace(MakeTlsContext(certificateFile, keyFile));
    try {
        Listen(host, port);
    } catch (...) {
        impl_->tls.reset();
        throw;
    }
}

void Server::ListenLocal(const std::string& path) {
    Impl& impl = *impl_;
    const auto fail = [&](const std::string& why) {
        return TransportError("Não foi possível escutar no soquete local " + path + ": " + why +
                              ".");
    };
    if (path.empty() || path.size() >= sizeof(sockaddr_un{}.sun_path))
        throw fail("caminho vazio ou longo demais");
    struct stat existing {};
    if (lstat(path.c_str(), &existing) == 0) {
        if (!S_ISSOCK(existing.st_mode)) throw fail("já existe um arquivo que não é soquete");
        // A socket file nobody answers on is left by a server that ended abruptly.
        asio::io_context probe;
        local::socket socket(probe);
        std::error_code ec;
        socket.connect(local::endpoint(path), ec);
        if (!ec) throw fail("outro servidor já escuta nele");
        if (unlink(path.c_str()) != 0 && errno != ENOENT)
            throw fail("o soquete antigo não pôde ser removido");
    }
    try {
        impl.localAcceptor.open();
        impl.localAcceptor.bind(local::endpoint(path));
        // Anyone on the machine may connect: each connection is identified on its own.
        if (chmod(path.c_str(), 0666) != 0) throw std::system_error(errno, std::generic_category());
        impl.localAcceptor.listen();
        struct stat made {};
        if (lstat(path.c_str(), &made) == 0) impl.localFile.emplace(made.st_dev, made.st_ino);
        impl.localPath = path;
    } catch (const std::system_error& e) {
        std::error_code ignored;
        impl.localAcceptor.close(ignored);
        throw fail(e.code().message());
    }
}

void Server::Impl::RemoveLocalSocket() {
    if (!localFile) return;
    struct stat current {};
    if (lstat(localPath.c_str(), &current) == 0 && current.st_dev == localFile->first &&
        current.st_ino == localFile->second)
        unlink(localPath.c_str());
    localFile.reset();
}

std::uint16_t Server::Port() const {
    std::error_code ec;
    const tcp::endpoint endpoint = impl_->acceptor.local_endpoint(ec);
    return ec ? 0 : endpoint.port();
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
    asio::post(impl_->acceptor.get_executor(), [this] {
        if (impl_->acceptor.is_open()) impl_->Accept();
        if (impl_->localAcceptor.is_open()) impl_->AcceptLocal();
    });
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

// Synchronous calls built on Asio's asynchronous operations, run with a deadline. Every failure
// is told in Portuguese with the server's host and port; no library text reaches the user.
#include "rpc/Client.h"

#include <asio.hpp>

#include <cstdio>
#include <cstring>
#include <optional>

#include "core/JsonStream.h"
#include "rpc/RpcError.h"

namespace rpc {

using asio::ip::tcp;
using nlohmann::json;
using Clock = std::chrono::steady_clock;

namespace {

// Deeper replies are refused before parsing: this protocol's replies nest a few levels.
constexpr int kMaxReplyDepth = 64;
constexpr std::size_t kReadChunk = 65536;

// A failure after which the same request may safely be sent again on a new connection: the
// server closed an idle connection before this request reached it.
class StaleConnection : public TransportError {
  public:
    using TransportError::TransportError;
};

// A network failure as a user reads it.
std::string Describe(const std::error_code& ec) {
    if (ec == asio::error::connection_refused) return "conexão recusada (nada escuta nessa porta)";
    if (ec == asio::error::timed_out) return "tempo esgotado";
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

std::string Seconds(std::chrono::milliseconds time) {
    if (time.count() % 1000 == 0) return std::to_string(time.count() / 1000) + " segundos";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(time.count()) / 1000.0);
    std::string seconds = text;
    for (char& c : seconds) {
        if (c == '.') c = ',';
    }
    return seconds + " segundos";
}

// True when arrays and objects nest deeper than the limit anywhere in the JSON text. A linear
// scan: the text is not trusted to be JSON.
bool NestsDeeperThan(std::string_view text, int limit) {
    int depth = 0;
    bool inString = false;
    bool escaped = false;
    for (const char c : text) {
        if (inString) {
            if (escaped) {
                escaped = false;
            } else if (c == '\\') {
                escaped = true;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > limit) return true;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return false;
}

// The first bytes received, printable, to help tell which program answered.
std::string Excerpt(std::string_view received) {
    std::string text;
    for (const char c : received.substr(0, 40)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\n' || byte == '\r') break;
        text += byte >= 0x20 && byte < 0x7f ? c : '.';
    }
    return text;
}

}  // namespace

struct Client::Impl {
    asio::io_context io;
    tcp::socket socket{io};
    std::string buffer;  // bytes received after the last reply
    std::string window;  // of a reply read as it arrives, kept between calls

    // Runs the started operation until it completes or the deadline passes.
    std::error_code Run(Clock::time_point deadline, bool& done, const std::error_code& result) {
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

std::string Client::Where() const {
    return host_ + ":" + std::to_string(port_);
}

bool Client::IsConnected() const {
    return impl_->socket.is_open();
}

void Client::Close() {
    std::error_code ignored;
    impl_->socket.close(ignored);
    std::string().swap(impl_->buffer);
}

void Client::Connect() {
    if (!impl_->socket.is_open()) Open(Clock::now() + options_.timeout);
}

void Client::Open(Clock::time_point deadline) {
    std::string().swap(impl_->buffer);
    bool done = false;
    std::error_code result;
    tcp::resolver resolver(impl_->io);
    std::error_code ec;
    const auto endpoints = resolver.resolve(host_, std::to_string(port_), ec);
    if (ec) {
        throw TransportError("Não foi possível encontrar o servidor de aplicação em " + Where() +
                             ": " + Describe(ec) + ".");
    }
    asio::async_connect(impl_->socket, endpoints, [&](std::error_code e, const tcp::endpoint&) {
        result = e;
        done = true;
    });
    ec = impl_->Run(deadline, done, result);
    if (ec) {
        Close();
        throw TransportError("Não foi possível conectar ao servidor de aplicação em " + Where() +
                             ": " + Describe(ec) + ".");
    }
    impl_->socket.set_option(tcp::no_delay(true), ec);
}

json Client::Call(const std::string& method, const json& params) {
    const std::int64_t id = nextId_++;
    return ResultOf(ParseReply(ExchangeLine(method, params, id)), id);
}

std::string Client::CallText(const std::string& method, const json& params) {
    const std::int64_t id = nextId_++;
    std::string line = ExchangeLine(method, params, id);
    const std::string prefix = R"({"jsonrpc":"2.0","id":)" + std::to_string(id) + R"(,"result":)";
    if (line.size() > prefix.size() && line.compare(0, prefix.size(), prefix) == 0 &&
        line.back() == '}') {
        line.pop_back();
        line.erase(0, prefix.size());
        return line;
    }
    return ResultOf(ParseReply(line), id).dump();
}

void Client::CallReading(const std::string& method, const json& params,
                         const std::function<void(core::JsonSource&)>& read) {
    const std::int64_t id = nextId_++;
    Exchange(method, params, id, [&](Clock::time_point deadline, bool reused) {
        Progress progress;
        std::string pending = std::move(impl_->buffer);
        impl_->buffer.clear();
        Arrived(progress, pending);
        std::size_t pendingAt = 0;
        core::JsonStreamReader reply(
            [&](char* into, std::size_t room) -> std::size_t {
                if (pendingAt < pending.size()) {
                    const std::size_t n = std::min(room, pending.size() - pendingAt);
                    std::memcpy(into, pending.data() + pendingAt, n);
                    pendingAt += n;
                    return n;
                }
                return ReadSome(into, room, deadline, reused, progress);
            },
            impl_->window);
        std::optional<json> envelope;
        try {
            envelope = ReadEnvelope(reply, id, read);
        } catch (const core::JsonError&) {
            ThrowForeign(progress.head);
        } catch (...) {
            Close();  // the rest of the reply is still on its way
            throw;
        }
        impl_->buffer.assign(reply.Rest());
        if (!envelope) return;
        const json result = ResultOf(std::move(*envelope), id);
        core::JsonValueReader values(result);
        read(values);
    });
}

std::optional<json> Client::ReadEnvelope(core::JsonStreamReader& reply, std::int64_t id,
                                         const std::function<void(core::JsonSource&)>& read) {
    if (reply.Next() != core::JsonToken::BeginObject) ThrowForeign({});
    bool version = false, streamed = false;
    json envelope = json::object();
    for (core::JsonToken t = reply.Next(); t != core::JsonToken::EndObject; t = reply.Next()) {
        const std::string key(reply.Text());
        const core::JsonToken value = reply.Next();
        if (key == "jsonrpc") {
            version = value == core::JsonToken::String && reply.Text() == "2.0";
        } else if (key == "result" && !envelope.contains("error") && envelope.contains("id") &&
                   envelope["id"] == json(id)) {
            // This server's canonical order: the id comes first, so the result streams.
            core::JsonNestedValue result(reply, value);
            read(result);
            result.Finish();
            streamed = true;
        } else if (key == "id" || key == "result" || key == "error") {
            if (envelope.contains(key)) ThrowForeign({});
            envelope[key] = core::ReadJsonValue(reply, value);
        } else {
            reply.SkipValue(value);
        }
    }
    if (reply.Next() != core::JsonToken::End || !version) ThrowForeign({});
    if (streamed) return std::nullopt;
    envelope["jsonrpc"] = "2.0";
    return envelope;
}

void Client::Exchange(const std::string& method, const json& params, std::int64_t id,
                      const Receive& receive) {
    std::string request;
    try {
        request = json{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}}.dump(
            -1, ' ', false, json::error_handler_t::strict);
    } catch (const json::exception&) {
        throw RpcError(kInvalidParams,
                       "Os argumentos de " + method + " contêm texto que não é UTF-8 válido.");
    }
    request += '\n';

    for (int attempt = 0;; ++attempt) {
        const auto deadline = Clock::now() + options_.timeout;
        const bool reused = impl_->socket.is_open();
        try {
            if (!reused) Open(deadline);
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
                throw TransportError("O servidor de aplicação em " + Where() +
                                     " não recebeu a chamada em " + Seconds(options_.timeout) +
                                     ".");
            }
            if (ec) {
                Close();
                throw StaleConnection("A conexão com o servidor de aplicação em " + Where() +
                                      " foi interrompida: " + Describe(ec) + ".");
            }
            receive(deadline, reused);
            return;
        } catch (const StaleConnection&) {
            if (!reused || attempt > 0) throw;
        }
    }
}

std::string Client::ExchangeLine(const std::string& method, const json& params, std::int64_t id) {
    std::string line;
    Exchange(method, params, id,
             [&](Clock::time_point deadline, bool reused) { line = ReadLine(deadline, reused); });
    return line;
}

std::string Client::ReadLine(Clock::time_point deadline, bool reused) {
    std::string& buffer = impl_->buffer;
    Progress progress;
    Arrived(progress, buffer);
    std::size_t scanned = 0;
    for (;;) {
        const std::size_t newline = buffer.find('\n', scanned);
        if (newline != std::string::npos) {
            std::string line;
            if (newline + 1 == buffer.size()) {
                line = std::move(buffer);  // the whole reply: handed over, not copied
                line.pop_back();
                std::string().swap(buffer);
            } else {
                line = buffer.substr(0, newline);
                buffer.erase(0, newline + 1);
            }
            return line;
        }
        scanned = buffer.size();
        const std::size_t before = buffer.size();
        buffer.resize(before + kReadChunk);
        const std::size_t got =
            ReadSome(buffer.data() + before, kReadChunk, deadline, reused, progress);
        buffer.resize(before + got);
    }
}

void Client::Arrived(Progress& progress, std::string_view bytes) {
    progress.received += bytes.size();
    if (progress.head.size() < 40) progress.head.append(bytes.substr(0, 40 - progress.head.size()));
    if (progress.opened) return;
    const std::size_t start = bytes.find_first_not_of(" \t\r");
    if (start == std::string_view::npos) return;
    if (bytes[start] != '{') ThrowForeign(progress.head);
    progress.opened = true;
}

std::size_t Client::ReadSome(char* into, std::size_t room, Clock::time_point deadline, bool reused,
                             Progress& progress) {
    if (progress.received > options_.maxReplyBytes) {
        Close();
        throw TransportError("A resposta do servidor de aplicação em " + Where() +
                             " excede o limite de " + std::to_string(options_.maxReplyBytes) +
                             " bytes.");
    }
    room = std::min(room, options_.maxReplyBytes + 1 - progress.received);
    bool done = false;
    std::error_code result;
    std::size_t got = 0;
    impl_->socket.async_read_some(asio::buffer(into, room), [&](std::error_code e, std::size_t n) {
        result = e;
        got = n;
        done = true;
    });
    const std::error_code ec = impl_->Run(deadline, done, result);
    if (ec == asio::error::timed_out) {
        Close();
        throw TransportError("O servidor de aplicação em " + Where() + " não respondeu em " +
                             Seconds(options_.timeout) + ".");
    }
    if (ec) {
        const bool nothing = progress.received == 0;
        Close();
        if (nothing && reused) {
            throw StaleConnection("A conexão com o servidor de aplicação em " + Where() +
                                  " foi interrompida: " + Describe(ec) + ".");
        }
        if (nothing) {
            throw TransportError("O programa em " + Where() +
                                 " encerrou a conexão sem responder (" + Describe(ec) +
                                 "); verifique se é o servidor de aplicação do Saldo "
                                 "Comercial.");
        }
        throw TransportError("A conexão com o servidor de aplicação em " + Where() +
                             " foi interrompida no meio da resposta: " + Describe(ec) + ".");
    }
    Arrived(progress, std::string_view(into, got));
    return got;
}

void Client::ThrowForeign(std::string_view received) {
    const std::string excerpt = Excerpt(received);
    Close();
    throw TransportError("O programa em " + Where() +
                         " não é o servidor de aplicação do Saldo Comercial: a resposta não "
                         "segue o protocolo" +
                         (excerpt.empty() ? std::string() : " (começa com \"" + excerpt + "\")") +
                         ". Verifique o endereço do servidor.");
}

json Client::ParseReply(const std::string& line) {
    if (NestsDeeperThan(line, kMaxReplyDepth)) ThrowForeign(line);
    json reply = json::parse(line, nullptr, false);
    if (reply.is_discarded() || !reply.is_object()) ThrowForeign(line);
    const auto version = reply.find("jsonrpc");
    if (version == reply.end() || *version != "2.0") ThrowForeign(line);
    return reply;
}

json Client::ResultOf(json reply, std::int64_t id) {
    const auto idIt = reply.find("id");
    const json replyId = idIt == reply.end() ? json() : *idIt;
    if (const auto error = reply.find("error"); error != reply.end()) {
        const json& e = *error;
        if (!e.is_object()) ThrowForeign({});
        const auto code = e.find("code");
        const auto message = e.find("message");
        if (code == e.end() || !code->is_number_integer() || message == e.end() ||
            !message->is_string()) {
            ThrowForeign({});
        }
        // An error not meant for this call (busy, oversized) leaves the connection unusable.
        if (replyId != json(id)) Close();
        if (!replyId.is_null() && replyId != json(id)) {
            throw TransportError("Resposta do servidor de aplicação em " + Where() +
                                 " não corresponde à chamada.");
        }
        throw RpcError(code->get<int>(), message->get<std::string>());
    }
    const auto result = reply.find("result");
    if (result == reply.end()) ThrowForeign({});
    if (replyId != json(id)) {
        Close();
        throw TransportError("Resposta do servidor de aplicação em " + Where() +
                             " não corresponde à chamada.");
    }
    return std::move(*result);
}

}  // namespace rpc

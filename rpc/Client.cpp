// Calls over the byte stream, each reply read in one pass through a window by the strict JSON
// reader. Every failure is told in Portuguese with the server's host and port; no library text
// reaches the user.
#include "rpc/Client.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>

#include "core/JsonStream.h"
#include "rpc/LocalStream.h"
#include "rpc/RpcError.h"
#include "rpc/TcpStream.h"
#include "rpc/TlsStream.h"

namespace rpc {

using nlohmann::json;

namespace {

// A failure after which the same request may safely be sent again on a new connection: the
// server closed an idle connection before this request reached it.
class StaleConnection : public TransportError {
  public:
    using TransportError::TransportError;
};

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

// At most this many logins are tried, each with the previous refusal shown.
constexpr int kLoginAttempts = 3;

std::string SessionMethod(std::string_view method) {
    return std::string(kSessionServer) + "." + std::string(method);
}

// Overwrites a secret before its memory is given back.
void Wipe(std::string& secret) {
    volatile char* bytes = secret.data();
    for (std::size_t i = 0; i < secret.size(); ++i) bytes[i] = '\0';
    secret.clear();
}

}  // namespace

Client::Client(std::string host, std::uint16_t port, ClientOptions options)
    : Client(Endpoint{Transport::Tcp, std::move(host), port, {}}, std::move(options)) {}

Client::Client(Endpoint endpoint, ClientOptions options, std::optional<TlsTrust> trust)
    : Client(std::vector<Endpoint>{std::move(endpoint)}, std::move(options), std::move(trust)) {}

Client::Client(std::vector<Endpoint> endpoints, ClientOptions options,
               std::optional<TlsTrust> trust)
    : options_(std::move(options)) {
    if (endpoints.empty()) throw TransportError("Nenhum servidor de aplicação indicado.");
    for (Endpoint& endpoint : endpoints) {
        switch (endpoint.transport) {
            case Transport::Local:
                streams_.push_back(std::make_unique<LocalStream>(std::move(endpoint.path)));
                break;
            case Transport::Tls:
                streams_.push_back(std::make_unique<TlsStream>(endpoint.host, endpoint.port,
                                                               trust.value_or(TlsTrust{})));
                break;
            case Transport::Tcp:
                streams_.push_back(std::make_unique<TcpStream>(endpoint.host, endpoint.port));
                break;
        }
    }
}

Client::~Client() = default;

const Identity& Client::WhoAmI() {
    if (!identity_) Adopt(Call(SessionMethod(kWhoAmI), json::array()), false);
    return *identity_;
}

void Client::Adopt(const json& answer, bool withToken) {
    const auto text = [](const json& object, const char* key) -> const std::string* {
        const auto it = object.find(key);
        return it != object.end() && it->is_string() ? &it->get_ref<const std::string&>() : nullptr;
    };
    const std::string* user = answer.is_object() ? text(answer, "usuario") : nullptr;
    const std::string* token = withToken && user ? text(answer, "token") : nullptr;
    const auto rights = user ? answer.find("direitos") : answer.end();
    if (!user || (withToken && !token) || rights == answer.end() || !rights->is_object())
        ThrowForeign({});
    Identity identity{*user, {}};
    for (const auto& [company, right] : rights->items()) {
        if (!right.is_string()) ThrowForeign({});
        identity.rights[company] = right.get<std::string>();
    }
    identity_ = std::move(identity);
    if (token) token_ = *token;
}

void Client::Resume(Clock::time_point deadline) {
    const std::int64_t id = nextId_++;
    const std::string request = Request(id, SessionMethod(kResume), json::array({*token_}));
    json answer;
    try {
        const std::optional<json> whole = Send(
            request, id, deadline, false,
            [&](core::JsonSource& source) { answer = core::ReadJsonValue(source, source.Next()); });
        Adopt(whole ? *whole : answer, true);
    } catch (const RpcError&) {
        // An expired or revoked session: the next call asks for the user again.
        token_.reset();
        identity_.reset();
    }
}

void Client::Identify(const RpcError& unidentified) {
    if (token_) {
        try {
            Adopt(Call(SessionMethod(kResume), json::array({*token_})), true);
            return;
        } catch (const RpcError&) {
            token_.reset();
            identity_.reset();
        }
    }
    if (!options_.credentials) throw unidentified;
    LoginPrompt prompt{Where(), Fingerprint(), {}};
    std::optional<RpcError> refusal;
    for (int attempt = 0; attempt < kLoginAttempts; ++attempt) {
        std::optional<Credentials> given = options_.credentials(prompt);
        if (!given) throw refusal ? *refusal : unidentified;
        json params = json::array({given->user, given->password});
        Wipe(given->password);
        struct Scrub {
            json& password;
            ~Scrub() { Wipe(password.get_ref<std::string&>()); }
        } scrub{params[1]};
        try {
            Adopt(Call(SessionMethod(kLogin), params), true);
            return;
        } catch (const RpcError& e) {
            if (e.Code() != kLoginRefused) throw;
            refusal = e;
            prompt.refusal = e.what();
        }
    }
    throw *refusal;
}

std::string Client::Fingerprint() const {
    return Stream().Fingerprint();
}

std::string Client::Where() const {
    return Stream().Where();
}

bool Client::IsConnected() const {
    return Stream().IsOpen();
}

void Client::Close() {
    Stream().Close();
    std::string().swap(buffer_);
}

void Client::Drop() {
    Close();
    current_ = (current_ + 1) % streams_.size();
}

void Client::Connect() {
    if (Stream().IsOpen()) return;
    Open(Clock::now() + options_.timeout);
}

Client::Clock::time_point Client::Open(Clock::time_point deadline) {
    std::string().swap(buffer_);
    if (streams_.size() == 1) {
        Stream().Open(deadline);
        if (token_) Resume(deadline);
        return deadline;
    }
    std::string tried, failures;
    for (std::size_t attempt = 0; attempt < streams_.size(); ++attempt) {
        // Each server gets the whole time to answer; the first, what the call has left.
        if (attempt > 0) deadline = Clock::now() + options_.timeout;
        const std::size_t at = current_;
        try {
            Stream().Open(deadline);
            // The servers share one database, and so the sessions: the token goes to any.
            if (token_) Resume(deadline);
            if (Stream().IsOpen()) return deadline;
        } catch (const TransportError& e) {
            failures += std::string(failures.empty() ? "" : " ") + e.what();
        }
        current_ = at;  // a connection broken while resuming has moved on already
        tried += (tried.empty() ? "" : ", ") + Where();
        Close();
        current_ = (at + 1) % streams_.size();
    }
    throw TransportError("Não foi possível conectar a nenhum dos servidores de aplicação (" +
                         tried + "). " + failures);
}

json Client::Call(const std::string& method, const json& params) {
    json result;
    std::optional<json> whole = Identified(method, params, [&](core::JsonSource& source) {
        result = core::ReadJsonValue(source, source.Next());
    });
    return whole ? std::move(*whole) : std::move(result);
}

void Client::CallReading(const std::string& method, const json& params, const Reader& read) {
    const std::optional<json> whole = Identified(method, params, read);
    if (!whole) return;
    core::JsonValueReader values(*whole);
    read(values);
}

std::optional<json> Client::Identified(const std::string& method, const json& params,
                                       const Reader& read) {
    // The steps of identification answer for themselves; any other call refused for want of it
    // was neither read nor written, so it goes again once the caller is identified.
    if (method == SessionMethod(kLogin) || method == SessionMethod(kResume))
        return Exchange(method, params, read);
    try {
        return Exchange(method, params, read);
    } catch (const RpcError& e) {
        if (e.Code() != kUnidentified) throw;
        Identify(e);
    }
    return Exchange(method, params, read);
}

std::string Client::Request(std::int64_t id, const std::string& method, const json& params) {
    std::string request;
    try {
        request = json{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}}.dump(
            -1, ' ', false, json::error_handler_t::strict);
    } catch (const json::exception&) {
        throw RpcError(kInvalidParams,
                       "Os argumentos de " + method + " contêm texto que não é UTF-8 válido.");
    }
    request += '\n';
    return request;
}

std::optional<json> Client::Exchange(const std::string& method, const json& params,
                                     const Reader& read) {
    const std::int64_t id = nextId_++;
    std::string request = Request(id, method, params);
    // A login's request holds a password: it does not outlive the call in memory.
    struct Scrub {
        std::string& text;
        bool secret;
        ~Scrub() {
            if (secret) Wipe(text);
        }
    } scrub{request, method == SessionMethod(kLogin)};

    for (int attempt = 0;; ++attempt) {
        auto deadline = Clock::now() + options_.timeout;
        const bool reused = Stream().IsOpen();
        try {
            if (!reused) deadline = Open(deadline);
            return Send(request, id, deadline, reused, read);
        } catch (const StaleConnection&) {
            if (!reused || attempt > 0) throw;
        }
    }
}

std::optional<json> Client::Send(const std::string& request, std::int64_t id,
                                 Clock::time_point deadline, bool reused, const Reader& read) {
    const std::error_code ec = Stream().Write(request, deadline);
    if (ec == std::errc::timed_out) {
        Close();
        throw TransportError("O servidor de aplicação em " + Where() +
                             " não recebeu a chamada em " + Seconds(options_.timeout) + ".");
    }
    if (ec) {
        const std::string where = Where();
        Drop();
        throw StaleConnection("A conexão com o servidor de aplicação em " + where +
                              " foi interrompida: " + DescribeNetworkError(ec) + ".");
    }
    return ReadReply(id, deadline, reused, read);
}

std::optional<json> Client::ReadReply(std::int64_t id, Clock::time_point deadline, bool reused,
                                      const Reader& read) {
    Progress progress;
    const std::string pending = std::exchange(buffer_, std::string());
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
        window_);
    std::optional<json> envelope;
    try {
        envelope = ReadEnvelope(reply, id, read, progress.head);
    } catch (const core::JsonError&) {
        ThrowForeign(progress.head);
    } catch (...) {
        Close();  // the rest of the reply is still on its way
        throw;
    }
    buffer_.assign(reply.Rest());
    if (!envelope) return std::nullopt;
    return ResultOf(std::move(*envelope), id);
}

std::optional<json> Client::ReadEnvelope(core::JsonStreamReader& reply, std::int64_t id,
                                         const Reader& read, const std::string& head) {
    if (reply.Next() != core::JsonToken::BeginObject) ThrowForeign(head);
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
            if (envelope.contains(key)) ThrowForeign(head);
            envelope[key] = core::ReadJsonValue(reply, value);
        } else {
            reply.SkipValue(value);
        }
    }
    if (reply.Next() != core::JsonToken::End || !version) ThrowForeign(head);
    if (streamed) return std::nullopt;
    return envelope;
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
    std::size_t got = 0;
    const std::error_code ec = Stream().ReadSome(into, room, deadline, got);
    if (ec == std::errc::timed_out) {
        Close();
        throw TransportError("O servidor de aplicação em " + Where() + " não respondeu em " +
                             Seconds(options_.timeout) + ".");
    }
    if (ec) {
        const bool nothing = progress.received == 0;
        const std::string where = Where();
        Drop();
        const std::string why = DescribeNetworkError(ec);
        if (nothing && reused) {
            throw StaleConnection("A conexão com o servidor de aplicação em " + where +
                                  " foi interrompida: " + why + ".");
        }
        if (nothing) {
            throw TransportError("O programa em " + where + " encerrou a conexão sem responder (" +
                                 why +
                                 "); verifique se é o servidor de aplicação do Saldo Comercial.");
        }
        throw TransportError("A conexão com o servidor de aplicação em " + where +
                             " foi interrompida no meio da resposta: " + why + ".");
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

}  // namespace rpc

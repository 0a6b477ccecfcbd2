// The client side of the application server's JSON-RPC wire.
#include "library/TNetConnection.h"

#include <stdexcept>

#include "library/detail/LineSocket.h"
#include "platform/Exceptions.h"

namespace library {

namespace {
// Replies hold whole record packets; this bounds what one reply may take.
constexpr std::size_t kMaxReplyBytes = 64u * 1024u * 1024u;
}  // namespace

TNetConnection::TNetConnection() = default;

TNetConnection::~TNetConnection() {
    DestroyComponents();
}

bool TNetConnection::Connected() const {
    return socket_ != nullptr;
}

std::string TNetConnection::Where() const {
    return "servidor de aplicação " + ServerName + " em " + Host + ":" + std::to_string(Port);
}

void TNetConnection::SetConnected(bool connected) {
    if (!connected) {
        socket_.reset();
        return;
    }
    if (socket_) return;
    if (!Connect() && ThrowException) throw platform::Error(lastError_);
}

bool TNetConnection::Connect() {
    if (BeforeConnect) BeforeConnect(*this);
    try {
        socket_ = std::make_unique<detail::LineSocket>(Host, Port, Timeout);
        lastError_.clear();
        return true;
    } catch (const std::runtime_error& e) {
        socket_.reset();
        lastError_ = "Não foi possível conectar ao " + Where() + ": " + e.what();
        return false;
    }
}

TServerResult TNetConnection::Fail(std::string message, int code) {
    if (ThrowException) throw platform::Error(message);
    return {false, nullptr, std::move(message), code};
}

TServerResult TNetConnection::Call(const std::string& method, const nlohmann::json& arguments) {
    if (!socket_ && !Connect()) return Fail(lastError_);
    const long long id = nextId_++;
    const nlohmann::json request{{"jsonrpc", "2.0"},
                                 {"id", id},
                                 {"method", ServerName + "." + method},
                                 {"params", arguments}};
    nlohmann::json reply;
    try {
        reply = nlohmann::json::parse(socket_->Exchange(request.dump(), Timeout, kMaxReplyBytes));
    } catch (const std::exception& e) {
        // The stream is out of step after any failure here: the next call reconnects.
        socket_.reset();
        return Fail("Falha na comunicação com o " + Where() + " (" + method + "): " + e.what());
    }
    if (!reply.is_object() || reply.value("id", nlohmann::json()) != id) {
        socket_.reset();
        return Fail("Resposta inválida do " + Where() + " (" + method + ").");
    }
    if (auto error = reply.find("error"); error != reply.end()) {
        const auto message = error->is_object() ? error->value("message", std::string()) : "";
        const int code = error->is_object() ? error->value("code", 0) : 0;
        return Fail(message.empty() ? "O " + Where() + " recusou " + method + "." : message, code);
    }
    return {true, reply.value("result", nlohmann::json()), {}, 0};
}

}  // namespace library

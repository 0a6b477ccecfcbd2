// The client side of the application server's JSON-RPC wire, over rpc::Client.
#include "library/TNetConnection.h"

#include <cstdint>
#include <thread>

#include "platform/Exceptions.h"
#include "rpc/Client.h"
#include "rpc/RpcError.h"

namespace library {

TNetConnection::TNetConnection() = default;

TNetConnection::~TNetConnection() {
    DestroyComponents();
}

bool TNetConnection::Connected() const {
    return client_ && client_->IsConnected();
}

void TNetConnection::SetConnected(bool connected) {
    if (!connected) {
        if (client_) client_->Close();
        return;
    }
    if (Connected()) return;
    if (!Connect() && ThrowException) throw platform::Error(lastError_);
}

bool TNetConnection::Connect() {
    if (BeforeConnect) BeforeConnect(*this);
    // Host and port may have changed in BeforeConnect: every connect starts a fresh client.
    client_.reset();
    if (Port <= 0 || Port > 65535) {
        lastError_ = "Porta inválida para o servidor de aplicação " + ServerName + " em " + Host +
                     ":" + std::to_string(Port) + ".";
        return false;
    }
    rpc::ClientOptions options;
    options.timeout = Timeout;
    client_ = std::make_unique<rpc::Client>(Host, static_cast<std::uint16_t>(Port), options);
    try {
        client_->Connect();
        lastError_.clear();
        return true;
    } catch (const rpc::TransportError& e) {
        lastError_ = e.what();
        return false;
    }
}

TServerResult TNetConnection::Fail(std::string message, int code) {
    if (ThrowException) throw platform::Error(message);
    return {false, nullptr, std::move(message), code};
}

TServerResult TNetConnection::Send(const std::string& method, const nlohmann::json& arguments) {
    try {
        return {true, client_->Call(ServerName + "." + method, arguments), {}, 0};
    } catch (const rpc::RpcError& e) {
        return Fail(e.what(), e.Code());
    }
}

TServerResult TNetConnection::Call(const std::string& method, const nlohmann::json& arguments) {
    if (!Connected() && !Connect()) return Fail(lastError_);
    try {
        return Send(method, arguments);
    } catch (const rpc::TransportError& e) {
        // The client has closed the connection: the next call connects again.
        return Fail(e.what());
    }
}

TServerResult TNetConnection::CallWithKey(const std::string& method,
                                          const nlohmann::json& arguments) {
    if (!Connected() && !Connect()) return Fail(lastError_);
    try {
        return Send(method, arguments);
    } catch (const rpc::TransportError& e) {
        const std::string first = e.what();
        // The server may be starting again (a restart after a crash): keep trying to connect
        // for a while before giving up.
        const auto deadline = std::chrono::steady_clock::now() + RetryWindow;
        while (!Connect()) {
            if (std::chrono::steady_clock::now() >= deadline)
                return Fail(first +
                            " Não foi possível saber se a gravação foi feita: " + lastError_);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        try {
            return Send(method, arguments);
        } catch (const rpc::TransportError& again) {
            return Fail(std::string(again.what()) +
                        " Não foi possível saber se a gravação foi feita.");
        }
    }
}

}  // namespace library

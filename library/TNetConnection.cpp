// The client side of the application server's JSON-RPC wire, over rpc::Client.
#include "library/TNetConnection.h"

#include <cstdint>
#include <thread>

#include "library/Credentials.h"
#include "platform/Exceptions.h"
#include "platform/app/Application.h"
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
        if (!Connected()) return;
        client_->Close();
        Report({TNetEvent::Kind::Disconnected, {}, nullptr, nullptr, {}, {}});
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
    options.credentials = AskCredentials;
    options.timeout = Timeout;
    client_ = std::make_unique<rpc::Client>(Host, static_cast<std::uint16_t>(Port), options);
    try {
        rpc::Client& client = *client_;
        platform::Application::Instance().Jobs().Run([&client] { client.Connect(); });
        lastError_.clear();
        Report({TNetEvent::Kind::Connected, {}, nullptr, nullptr, {}, {}});
        return true;
    } catch (const rpc::TransportError& e) {
        lastError_ = e.what();
        Report({TNetEvent::Kind::ConnectFailed, {}, nullptr, nullptr, lastError_, {}});
        return false;
    }
}

std::optional<rpc::Identity> TNetConnection::WhoAmI() {
    if (!Connected() && !Connect()) return std::nullopt;
    try {
        rpc::Client& client = *client_;
        return platform::RunJob(platform::Application::Instance().Jobs(),
                                [&client]() -> rpc::Identity { return client.WhoAmI(); });
    } catch (const core::Error&) {
        return std::nullopt;
    } catch (const nlohmann::json::exception&) {
        return std::nullopt;
    }
}

void TNetConnection::Report(const TNetEvent& event) noexcept {
    if (!OnEvent) return;
    try {
        OnEvent(*this, event);
    } catch (...) {
    }
}

TServerResult TNetConnection::Fail(std::string message, int code) {
    if (ThrowException) throw platform::Error(message);
    return {false, nullptr, std::move(message), code};
}

TServerResult TNetConnection::Send(const std::string& method, const nlohmann::json& arguments) {
    try {
        rpc::Client& client = *client_;
        const std::string name = ServerName + "." + method;
        nlohmann::json result = platform::RunJob(platform::Application::Instance().Jobs(),
                                                 [&] { return client.Call(name, arguments); });
        Report({TNetEvent::Kind::CallDone, method, &arguments, &result, {}, {}});
        return {true, std::move(result), {}, 0};
    } catch (const rpc::RpcError& e) {
        Report({TNetEvent::Kind::CallFailed, method, &arguments, nullptr, e.what(), {}});
        return Fail(e.what(), e.Code());
    }
}

TServerResult TNetConnection::Attempt(const std::string& method, const nlohmann::json& arguments,
                                      const std::function<TServerResult()>& send) {
    const auto failed = [&](const std::string& why) {
        Report({TNetEvent::Kind::CallFailed, method, &arguments, nullptr, why, {}});
    };
    if (!Connected() && !Connect()) {
        failed(lastError_);
        return Fail(lastError_);
    }
    try {
        return send();
    } catch (const rpc::TransportError& e) {
        // The client has closed the connection: the next call connects again.
        Report({TNetEvent::Kind::Disconnected, {}, nullptr, nullptr, {}, {}});
        failed(e.what());
        return Fail(e.what());
    }
}

TServerResult TNetConnection::Call(const std::string& method, const nlohmann::json& arguments) {
    return Attempt(method, arguments, [&] { return Send(method, arguments); });
}

TServerResult TNetConnection::CallReading(
    const std::string& method, const nlohmann::json& arguments,
    const std::function<std::size_t(core::JsonSource&)>& read) {
    return Attempt(method, arguments, [&]() -> TServerResult {
        try {
            rpc::Client& client = *client_;
            const std::string name = ServerName + "." + method;
            std::size_t records = 0;
            platform::RunJob(platform::Application::Instance().Jobs(), [&] {
                client.CallReading(name, arguments,
                                   [&](core::JsonSource& result) { records = read(result); });
            });
            Report({TNetEvent::Kind::CallDone, method, &arguments, nullptr, {}, records});
            return {true, nullptr, {}, 0};
        } catch (const rpc::RpcError& e) {
            Report({TNetEvent::Kind::CallFailed, method, &arguments, nullptr, e.what(), {}});
            return Fail(e.what(), e.Code());
        }
    });
}

TServerResult TNetConnection::CallWithKey(const std::string& method,
                                          const nlohmann::json& arguments) {
    const auto failed = [&](const std::string& why) {
        Report({TNetEvent::Kind::CallFailed, method, &arguments, nullptr, why, {}});
        return Fail(why);
    };
    if (!Connected() && !Connect()) return failed(lastError_);
    try {
        return Send(method, arguments);
    } catch (const rpc::TransportError& e) {
        const std::string first = e.what();
        Report({TNetEvent::Kind::Reconnecting, {}, nullptr, nullptr, {}, {}});
        // The server may be starting again (a restart after a crash): keep trying to connect
        // for a while before giving up, waiting off the user-interface thread.
        const auto deadline = std::chrono::steady_clock::now() + RetryWindow;
        while (!Connect()) {
            if (std::chrono::steady_clock::now() >= deadline)
                return failed(first +
                              " Não foi possível saber se a gravação foi feita: " + lastError_);
            platform::Application::Instance().Jobs().Run(
                [] { std::this_thread::sleep_for(std::chrono::milliseconds(100)); });
        }
        try {
            return Send(method, arguments);
        } catch (const rpc::TransportError& again) {
            return failed(std::string(again.what()) +
                          " Não foi possível saber se a gravação foi feita.");
        }
    }
}

}  // namespace library

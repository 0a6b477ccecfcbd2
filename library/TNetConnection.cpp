// The client side of the application server's JSON-RPC wire, over rpc::Client.
#include "library/TNetConnection.h"

#include <algorithm>
#include <cstdint>
#include <thread>
#include <vector>

#include "library/Credentials.h"
#include "library/Orvane.h"
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

std::string TNetConnection::Where() const {
    if (Host.find(',') != std::string::npos) {
        // A list: the server connected to, else the list.
        if (Connected()) return client_->Where();
        std::string where = Host;
        for (std::size_t at = where.find(','); at != std::string::npos;
             at = where.find(',', at + 2))
            where.replace(at, 1, ", ");
        return where;
    }
    if (Host.starts_with(kLocalSocketPrefix)) return Host;
    return Host + ":" + std::to_string(Port);
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
    std::vector<ServerAddress> servers;
    if (Host.find(',') != std::string::npos) {
        try {
            servers = ParseServerList(Host, "Endereço do servidor de aplicação " + ServerName);
        } catch (const platform::Error& e) {
            lastError_ = e.what();
            client_.reset();
            return false;
        }
    } else if (!Host.starts_with(kLocalSocketPrefix) && (Port <= 0 || Port > 65535)) {
        lastError_ = "Porta inválida para o servidor de aplicação " + ServerName + " em " + Host +
                     ":" + std::to_string(Port) + ".";
        client_.reset();
        return false;
    } else {
        servers.push_back({Host, Port});
    }
    // The password must never travel in clear: off this machine, TLS or nothing. The same trust
    // holds for every server of a list.
    std::optional<rpc::TlsTrust> trust;
    const bool network = std::any_of(servers.begin(), servers.end(), [](const ServerAddress& s) {
        return !s.host.starts_with(kLocalSocketPrefix);
    });
    if (const ServerTrust configured = network ? CurrentServerTrust() : ServerTrust{};
        !configured.Empty())
        trust = rpc::TlsTrust{configured.authorityFile, configured.fingerprint};
    std::vector<rpc::Endpoint> endpoints;
    for (const ServerAddress& server : servers) {
        rpc::Endpoint endpoint;
        if (server.host.starts_with(kLocalSocketPrefix)) {
            endpoint.transport = rpc::Transport::Local;
            endpoint.path = server.host.substr(kLocalSocketPrefix.size());
        } else {
            endpoint.host = server.host;
            endpoint.port = static_cast<std::uint16_t>(server.port);
            if (trust) {
                endpoint.transport = rpc::Transport::Tls;
            } else if (!IsLoopbackHost(server.host)) {
                const std::string where =
                    servers.size() == 1 ? Where() : library::ServerWhere(server);
                lastError_ = "O servidor de aplicação em " + where +
                             " está em outra máquina e a conexão precisa de TLS: indique no "
                             "arquivo de configuração a autoridade certificadora em `ca` (o ca.pem "
                             "do servidor) ou a impressão digital do certificado em `fingerprint` "
                             "(ou SALDO_CA / SALDO_FINGERPRINT).";
                Report({TNetEvent::Kind::ConnectFailed, {}, nullptr, nullptr, lastError_, {}});
                client_.reset();
                return false;
            }
        }
        endpoints.push_back(std::move(endpoint));
    }
    // Host and port may have changed in BeforeConnect: a new place gets a fresh client, the
    // same place keeps its client, whose session token spares the user a second login.
    const std::string place = Host + "|" + std::to_string(Port) + "|" +
                              (trust ? trust->authorityFile + "|" + trust->fingerprint : "");
    if (!client_ || place != clientPlace_) {
        rpc::ClientOptions options;
        options.credentials = AskCredentials;
        options.timeout = Timeout;
        client_ = std::make_unique<rpc::Client>(std::move(endpoints), options, std::move(trust));
        clientPlace_ = place;
    }
    try {
        rpc::Client& client = *client_;
        client.SetTimeout(Timeout);
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
        client.SetTimeout(Timeout);
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
        client.SetTimeout(Timeout);
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
            client.SetTimeout(Timeout);
            client.SetTimeout(Timeout);
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

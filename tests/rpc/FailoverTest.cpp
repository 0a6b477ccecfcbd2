// A client given two real servers over one database: when the one it uses is killed between
// calls, the next call goes through the other without asking the user again, and when neither
// can be reached the error names both.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "rpc/Client.h"
#include "rpc/RpcError.h"
#include "support/ServerProcess.h"

namespace {

using nlohmann::json;
using testsupport::ServerProcess;

TEST(FailoverTest, TheNextCallGoesToTheOtherServerWhenTheFirstIsKilled) {
    ServerProcess first(SALDO_SERVER_BINARY);
    ServerProcess second(first, {});
    int prompts = 0;
    rpc::ClientOptions options;
    options.timeout = std::chrono::seconds(10);
    options.credentials = [&](const rpc::LoginPrompt&) -> std::optional<rpc::Credentials> {
        ++prompts;
        return rpc::Credentials{ServerProcess::kUser, ServerProcess::kPassword};
    };
    const auto endpoint = [](const ServerProcess& server) {
        return rpc::Endpoint{
            rpc::Transport::Tcp, "127.0.0.1", static_cast<std::uint16_t>(server.Port()), {}};
    };
    rpc::Client client(std::vector{endpoint(first), endpoint(second)}, options);
    const auto read = [&] { return client.Call("Rdq63500.rdmSaldComer.GetSaldComer", {"01", ""}); };
    EXPECT_EQ(read()["fields"].size(), 11u);
    EXPECT_EQ(client.Where(), first.TcpAddress());

    first.Kill();
    EXPECT_EQ(read()["fields"].size(), 11u);
    EXPECT_EQ(client.Where(), second.TcpAddress());
    EXPECT_EQ(prompts, 1) << "the session the first server opened is good on the second";

    second.Kill();
    try {
        read();
        ADD_FAILURE() << "answered with no server running";
    } catch (const rpc::TransportError& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find("nenhum dos servidores de aplicação (" + first.TcpAddress() + ", " +
                               second.TcpAddress() + ")"),
                  std::string::npos)
            << message;
    }
}

}  // namespace

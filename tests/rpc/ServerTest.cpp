// The server and the client over a real loopback socket: framing, limits, time-outs,
// reconnection, the connection cap and a graceful stop.
#include <gtest/gtest.h>

#include <asio.hpp>
#include <atomic>
#include <future>
#include <thread>

#include "rpc/Client.h"
#include "rpc/RpcError.h"
#include "rpc/Server.h"

namespace {

using nlohmann::json;
using namespace std::chrono_literals;

class ServerTest : public testing::Test {
  protected:
    void StartServer(rpc::ServerOptions options) {
        dispatcher_.Add("S.m", "Echo", [](const json& p) { return p.dump(); });
        dispatcher_.Add("S.m", "Sleep", [this](const json& p) {
            ++sleeping_;
            std::this_thread::sleep_for(std::chrono::milliseconds(p.at(0).get<int>()));
            return std::string("\"acordei\"");
        });
        server_ = std::make_unique<rpc::Server>(dispatcher_, options);
        server_->Listen("127.0.0.1", 0);
        server_->Start();
    }

    // A raw socket, to send exactly the bytes a test needs.
    struct Raw {
        asio::io_context io;
        asio::ip::tcp::socket socket{io};
        std::string buffer;
        explicit Raw(std::uint16_t port) {
            socket.connect({asio::ip::make_address("127.0.0.1"), port});
        }
        void Send(const std::string& text) { asio::write(socket, asio::buffer(text)); }
        json Receive() {
            const std::size_t n = asio::read_until(socket, asio::dynamic_buffer(buffer), '\n');
            json reply = json::parse(buffer.substr(0, n));
            buffer.erase(0, n);
            return reply;
        }
        bool ClosedByPeer() {
            std::error_code ec;
            char c;
            socket.read_some(asio::buffer(&c, 1), ec);
            return ec == asio::error::eof || ec == asio::error::connection_reset;
        }
    };

    rpc::Dispatcher dispatcher_;
    std::unique_ptr<rpc::Server> server_;
    std::atomic<int> sleeping_{0};
};

TEST_F(ServerTest, BadLinesGetErrorsAndTheConnectionKeepsServing) {
    rpc::ServerOptions options;
    options.maxMessageBytes = 1000;
    StartServer(options);
    Raw raw(server_->Port());
    raw.Send("{broken\n");
    EXPECT_EQ(raw.Receive()["error"]["code"], rpc::kParseError);
    raw.Send(std::string(5000, 'x') + "\n");
    const json tooLarge = raw.Receive();
    EXPECT_EQ(tooLarge["error"]["code"], rpc::kMessageTooLarge);
    EXPECT_NE(tooLarge["error"]["message"].get<std::string>().find("1000"), std::string::npos);
    // Two requests in one write, the second split across writes, CRLF accepted.
    raw.Send(R"({"jsonrpc":"2.0","id":1,"method":"S.m.Echo","params":[1]})"
             "\r\n"
             R"({"jsonrpc":"2.0","id":2,"method":"S.m.)");
    raw.Send(R"(Echo","params":["ç"]})"
             "\n");
    EXPECT_EQ(raw.Receive()["result"], json::array({1}));
    EXPECT_EQ(raw.Receive()["result"], json::array({"ç"}));
}

TEST_F(ServerTest, ClientCallsAndReportsServerErrors) {
    StartServer({});
    rpc::Client client("127.0.0.1", server_->Port());
    EXPECT_EQ(client.Call("S.m.Echo", json::array({"a", 2.5, nullptr})),
              json::array({"a", 2.5, nullptr}));
    try {
        client.Call("S.x.Echo", json::array());
        FAIL();
    } catch (const rpc::RpcError& e) {
        EXPECT_EQ(e.Code(), rpc::kMethodNotFound);
    }
    EXPECT_TRUE(client.IsConnected());
    EXPECT_EQ(client.Call("S.m.Echo", json::array({3})), json::array({3}));
    EXPECT_EQ(client.CallText("S.m.Echo", json::array({"x", 1})), R"(["x",1])");
    EXPECT_THROW(client.CallText("S.m.Nope", json::array()), rpc::RpcError);
}

TEST_F(ServerTest, ClientNamesHostAndPortWhenNothingListens) {
    std::uint16_t port = 0;
    {
        asio::io_context io;
        asio::ip::tcp::acceptor probe(io, {asio::ip::make_address("127.0.0.1"), 0});
        port = probe.local_endpoint().port();
    }
    rpc::Client client("127.0.0.1", port);
    try {
        client.Call("S.m.Echo", json::array());
        FAIL();
    } catch (const rpc::TransportError& e) {
        EXPECT_NE(std::string(e.what()).find("127.0.0.1:" + std::to_string(port)),
                  std::string::npos)
            << e.what();
    }
}

TEST_F(ServerTest, ClientTimesOutThenWorksAgain) {
    StartServer({});
    rpc::ClientOptions options;
    options.timeout = 200ms;
    rpc::Client client("127.0.0.1", server_->Port(), options);
    EXPECT_THROW(client.Call("S.m.Sleep", json::array({1000})), rpc::TransportError);
    EXPECT_FALSE(client.IsConnected());
    EXPECT_EQ(client.Call("S.m.Echo", json::array({1})), json::array({1}));
}

TEST_F(ServerTest, IdleConnectionsAreClosedAndTheClientReconnects) {
    rpc::ServerOptions options;
    options.idleTimeout = 100ms;
    options.readTimeout = 100ms;
    StartServer(options);
    rpc::Client client("127.0.0.1", server_->Port());
    EXPECT_EQ(client.Call("S.m.Echo", json::array({1})), json::array({1}));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(client.Call("S.m.Echo", json::array({2})), json::array({2}));

    Raw raw(server_->Port());
    raw.Send(R"({"jsonrpc":"2.0",)");  // a line begun and never finished
    EXPECT_TRUE(raw.ClosedByPeer());
}

TEST_F(ServerTest, ConnectionsBeyondTheCapAreRefusedWithAMessage) {
    rpc::ServerOptions options;
    options.maxConnections = 1;
    StartServer(options);
    rpc::Client first("127.0.0.1", server_->Port());
    EXPECT_EQ(first.Call("S.m.Echo", json::array()), json::array());
    rpc::Client second("127.0.0.1", server_->Port());
    try {
        second.Call("S.m.Echo", json::array());
        FAIL();
    } catch (const rpc::RpcError& e) {
        EXPECT_EQ(e.Code(), rpc::kServerBusy);
    }
}

TEST_F(ServerTest, StopFinishesTheCallUnderWay) {
    StartServer({});
    const std::uint16_t port = server_->Port();
    rpc::Client client("127.0.0.1", port);
    auto reply = std::async(std::launch::async,
                            [&] { return client.Call("S.m.Sleep", json::array({300})); });
    while (sleeping_ == 0) std::this_thread::sleep_for(5ms);
    server_->Stop();
    EXPECT_EQ(reply.get(), "acordei");
    server_->Wait();
    rpc::Client late("127.0.0.1", port);
    EXPECT_THROW(late.Call("S.m.Echo", json::array()), rpc::TransportError);
}

}  // namespace

// The server and the client over a real loopback socket: framing, every transport refusal (one
// row each), reconnection and a graceful stop.
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>

#include <asio.hpp>
#include <atomic>
#include <functional>
#include <future>
#include <ostream>
#include <thread>

#include "rpc/Client.h"
#include "rpc/RpcError.h"
#include "rpc/Server.h"

namespace {

using nlohmann::json;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A raw socket, to send exactly the bytes a test needs, from a chosen loopback address.
struct Raw {
    asio::io_context io;
    asio::ip::tcp::socket socket{io};
    std::string buffer;

    explicit Raw(std::uint16_t port, const char* from = "127.0.0.1", int receiveBuffer = 0) {
        socket.open(asio::ip::tcp::v4());
        if (receiveBuffer > 0)
            socket.set_option(asio::socket_base::receive_buffer_size(receiveBuffer));
        socket.bind({asio::ip::make_address(from), 0});
        socket.connect({asio::ip::make_address("127.0.0.1"), port});
    }
    // False when the server has closed the connection.
    bool Send(const std::string& text) {
        std::error_code ec;
        asio::write(socket, asio::buffer(text), ec);
        return !ec;
    }
    // Waits up to `time` for bytes; false on time-out, closed on end of stream.
    bool ReadSome(std::chrono::milliseconds time, bool& closed) {
        pollfd p{socket.native_handle(), POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(time.count())) <= 0) return false;
        char chunk[65536];
        std::error_code ec;
        const std::size_t n = socket.read_some(asio::buffer(chunk), ec);
        buffer.append(chunk, n);
        closed = static_cast<bool>(ec);
        return true;
    }
    // The next line as JSON; null when the connection closes or nothing comes in 10 s.
    json Receive() {
        const auto deadline = Clock::now() + 10s;
        for (;;) {
            const std::size_t end = buffer.find('\n');
            if (end != std::string::npos) {
                json reply = json::parse(buffer.substr(0, end));
                buffer.erase(0, end + 1);
                return reply;
            }
            bool closed = false;
            if (Clock::now() > deadline || (ReadSome(100ms, closed) && closed)) return nullptr;
        }
    }
    // True when the server closes the connection within `time` (bytes before the end are kept).
    bool ClosedWithin(std::chrono::milliseconds time) {
        const auto deadline = Clock::now() + time;
        while (Clock::now() < deadline) {
            bool closed = false;
            if (ReadSome(50ms, closed) && closed) return true;
        }
        return false;
    }
};

std::string Request(int id, const std::string& method, const json& params) {
    return json{{"jsonrpc", "2.0"}, {"id", id}, {"method", "S.m." + method}, {"params", params}}
               .dump() +
           "\n";
}

class ServerTest : public testing::Test {
  public:
    void StartServer(rpc::ServerOptions options) {
        dispatcher_.Add("S.m", "Echo", [](const json& p) { return p.dump(); });
        dispatcher_.Add("S.m", "Big", [](const json& p) {
            return "\"" + std::string(p.at(0).get<std::size_t>(), 'b') + "\"";
        });
        dispatcher_.Add("S.m", "Sleep", [this](const json& p) {
            ++sleeping_;
            std::this_thread::sleep_for(std::chrono::milliseconds(p.at(0).get<int>()));
            return std::string("\"acordei\"");
        });
        server_ = std::make_unique<rpc::Server>(dispatcher_, options);
        server_->Listen("127.0.0.1", 0);
        server_->Start();
    }
    std::uint16_t Port() const { return server_->Port(); }

    // A raw connection that has had one call answered, so the server has registered it.
    std::unique_ptr<Raw> Served(const char* from = "127.0.0.1") {
        auto raw = std::make_unique<Raw>(Port(), from);
        raw->Send(Request(1, "Echo", {1}));
        EXPECT_EQ(raw->Receive()["result"], json::array({1}));
        return raw;
    }
    // True when the connection still answers a call.
    static bool Answers(Raw& raw) {
        if (!raw.Send(Request(9, "Echo", {9}))) return false;
        const json reply = raw.Receive();
        return !reply.is_null() && reply["result"] == json::array({9});
    }
    // Starts `n` calls of 2 s from `from` and waits until they are under way.
    std::vector<std::unique_ptr<Raw>> Busy(int n, const char* from = "127.0.0.1") {
        std::vector<std::unique_ptr<Raw>> calls;
        const int before = sleeping_;
        for (int i = 0; i < n; ++i) {
            calls.push_back(std::make_unique<Raw>(Port(), from));
            calls.back()->Send(Request(1, "Sleep", {2000}));
        }
        while (sleeping_ < before + n) std::this_thread::sleep_for(5ms);
        return calls;
    }

    rpc::Dispatcher dispatcher_;
    std::unique_ptr<rpc::Server> server_;
    std::atomic<int> sleeping_{0};
};

struct Refusal {
    const char* name;
    std::function<void(rpc::ServerOptions&)> configure;
    std::function<void(ServerTest&)> run;
};

// Names the row in test listings.
void PrintTo(const Refusal& row, std::ostream* out) {
    *out << row.name;
}

class ServerRefusalTest : public ServerTest, public testing::WithParamInterface<Refusal> {};

TEST_P(ServerRefusalTest, RefusesAndKeepsServingTheOthers) {
    rpc::ServerOptions options;
    options.threads = 4;
    GetParam().configure(options);
    StartServer(options);
    GetParam().run(*this);
}

const Refusal kRefusals[] = {
    {"RequestOverTheLimit", [](rpc::ServerOptions& o) { o.maxRequestBytes = 1000; },
     [](ServerTest& t) {
         Raw raw(t.Port());
         raw.Send(std::string(5000, 'x') + "\n");
         const json reply = raw.Receive();
         EXPECT_EQ(reply["error"]["code"], rpc::kMessageTooLarge);
         EXPECT_NE(reply["error"]["message"].get<std::string>().find("1000"), std::string::npos);
         EXPECT_TRUE(ServerTest::Answers(raw)) << "the connection goes on";
     }},
    {"ReplyOverTheLimit", [](rpc::ServerOptions& o) { o.maxReplyBytes = 1000; },
     [](ServerTest& t) {
         Raw raw(t.Port());
         raw.Send(Request(7, "Echo", {std::string(2000, 'r')}));
         const json reply = raw.Receive();
         EXPECT_EQ(reply["id"], 7);
         EXPECT_EQ(reply["error"]["code"], rpc::kMessageTooLarge);
         EXPECT_NE(reply["error"]["message"].get<std::string>().find("1000"), std::string::npos);
         EXPECT_TRUE(ServerTest::Answers(raw));
     }},
    {"MessageDrippedPastTheReadTimeout",
     [](rpc::ServerOptions& o) {
         o.readTimeout = 300ms;
         o.idleTimeout = 30s;
     },
     [](ServerTest& t) {
         // One byte every 100 ms never finishes a line: the time-out runs from the first byte.
         Raw raw(t.Port());
         const auto start = Clock::now();
         bool closed = false;
         while (!closed && Clock::now() - start < 10s) {
             closed = !raw.Send("[") || raw.ClosedWithin(100ms);
         }
         EXPECT_TRUE(closed);
     }},
    {"IdlePastTheIdleTimeout", [](rpc::ServerOptions& o) { o.idleTimeout = 200ms; },
     [](ServerTest& t) {
         Raw raw(t.Port());
         EXPECT_TRUE(raw.ClosedWithin(10s));
     }},
    {"ReplyNeverReadPastTheWriteTimeout", [](rpc::ServerOptions& o) { o.writeTimeout = 300ms; },
     [](ServerTest& t) {
         const std::size_t size = 64 << 20;
         Raw raw(t.Port(), "127.0.0.1", 65536);
         raw.Send(Request(1, "Big", {size}));
         std::this_thread::sleep_for(1500ms);
         EXPECT_TRUE(raw.ClosedWithin(20s));
         EXPECT_LT(raw.buffer.size(), size) << "the reply was cut when the time ran out";
     }},
    {"AddressAtItsShareWithEveryConnectionInACall",
     [](rpc::ServerOptions& o) { o.maxConnectionsPerPeer = 2; },
     [](ServerTest& t) {
         const auto calls = t.Busy(2);
         Raw third(t.Port());
         const json reply = third.Receive();
         EXPECT_EQ(reply["error"]["code"], rpc::kServerBusy);
         EXPECT_NE(reply["error"]["message"].get<std::string>().find("127.0.0.1"),
                   std::string::npos);
         EXPECT_TRUE(third.ClosedWithin(10s));
         auto other = t.Served("127.0.0.2");
         EXPECT_TRUE(ServerTest::Answers(*other)) << "another address still gets in";
     }},
    {"AddressAtItsShareGivesUpItsQuietestConnection",
     [](rpc::ServerOptions& o) { o.maxConnectionsPerPeer = 2; },
     [](ServerTest& t) {
         auto oldest = t.Served();
         auto newer = t.Served();
         auto newest = t.Served();
         EXPECT_TRUE(oldest->ClosedWithin(10s));
         EXPECT_TRUE(ServerTest::Answers(*newer));
         EXPECT_TRUE(ServerTest::Answers(*newest));
     }},
    {"FullServerEvictsTheQuietestOfTheBusiestAddress",
     [](rpc::ServerOptions& o) { o.maxConnections = 3; },
     [](ServerTest& t) {
         auto lone = t.Served("127.0.0.1");
         auto first = t.Served("127.0.0.2");
         auto second = t.Served("127.0.0.2");
         auto newcomer = t.Served("127.0.0.3");
         EXPECT_TRUE(first->ClosedWithin(10s));
         EXPECT_TRUE(ServerTest::Answers(*lone)) << "quieter, but its address holds fewer";
         EXPECT_TRUE(ServerTest::Answers(*second));
         EXPECT_TRUE(ServerTest::Answers(*newcomer));
     }},
    {"FullServerWithEveryConnectionInACall", [](rpc::ServerOptions& o) { o.maxConnections = 2; },
     [](ServerTest& t) {
         const auto calls = t.Busy(2);
         Raw third(t.Port(), "127.0.0.3");
         const json reply = third.Receive();
         EXPECT_EQ(reply["error"]["code"], rpc::kServerBusy);
         EXPECT_NE(reply["error"]["message"].get<std::string>().find("limite de 2"),
                   std::string::npos);
         for (const auto& call : calls) EXPECT_EQ(call->Receive()["result"], "acordei");
     }},
    {"ProxiedClientsHaveTheirOwnShareAndAProxyMustSendItsHeader",
     [](rpc::ServerOptions& o) {
         o.maxConnectionsPerPeer = 2;
         o.proxies = rpc::ParseProxyNetworks("127.0.0.2", "--proxy-from");
     },
     [](ServerTest& t) {
         // Five connections from one proxy, for three clients: only the client with three gives
         // up its quietest, whatever the proxy's own address holds.
         const auto via = [&](const char* client) {
             auto raw = std::make_unique<Raw>(t.Port(), "127.0.0.2");
             raw->Send(std::string("PROXY TCP4 ") + client + " 127.0.0.1 40000 47630\r\n" +
                       Request(1, "Echo", {1}));
             EXPECT_EQ(raw->Receive()["result"], json::array({1})) << client;
             return raw;
         };
         auto oldest = via("192.0.2.1");
         auto newer = via("192.0.2.1");
         auto other = via("192.0.2.2");
         auto third = via("192.0.2.3");
         auto newest = via("192.0.2.1");
         EXPECT_TRUE(oldest->ClosedWithin(10s));
         for (Raw* raw : {newer.get(), other.get(), third.get(), newest.get()})
             EXPECT_TRUE(ServerTest::Answers(*raw));
         Raw bare(t.Port(), "127.0.0.2");
         bare.Send(Request(1, "Echo", {1}));
         EXPECT_TRUE(bare.ClosedWithin(10s));
         EXPECT_TRUE(bare.buffer.empty()) << "closed unanswered";
         // From anyone else the header is an ordinary line: refused, and nothing more.
         Raw direct(t.Port(), "127.0.0.1");
         direct.Send("PROXY TCP4 192.0.2.9 127.0.0.1 40000 47630\r\n");
         EXPECT_EQ(direct.Receive()["error"]["code"], rpc::kParseError);
     }},
};

INSTANTIATE_TEST_SUITE_P(Transport, ServerRefusalTest, testing::ValuesIn(kRefusals),
                         [](const testing::TestParamInfo<Refusal>& row) {
                             return std::string(row.param.name);
                         });

TEST_F(ServerTest, BadLinesGetErrorsAndTheConnectionKeepsServing) {
    StartServer({});
    Raw raw(Port());
    raw.Send("{broken\n");
    EXPECT_EQ(raw.Receive()["error"]["code"], rpc::kParseError);
    // Two requests in one write, the second split across writes, CRLF accepted.
    raw.Send(R"({"jsonrpc":"2.0","id":1,"method":"S.m.Echo","params":[1]})"
             "\r\n\n"
             R"({"jsonrpc":"2.0","id":2,"method":"S.m.)");
    raw.Send(R"(Echo","params":["ç"]})"
             "\n");
    EXPECT_EQ(raw.Receive()["result"], json::array({1}));
    EXPECT_EQ(raw.Receive()["result"], json::array({"ç"}));
}

TEST_F(ServerTest, ClientCallsAndReportsServerErrors) {
    StartServer({});
    rpc::Client client("127.0.0.1", Port());
    client.Connect();
    EXPECT_TRUE(client.IsConnected());
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
    try {
        client.Call("S.m.Echo", json::array({std::string("\xff\xfe")}));
        FAIL();
    } catch (const rpc::RpcError& e) {
        EXPECT_EQ(e.Code(), rpc::kInvalidParams);
        EXPECT_NE(std::string(e.what()).find("UTF-8"), std::string::npos) << e.what();
    }
}

TEST_F(ServerTest, ClientTimesOutThenWorksAgain) {
    StartServer({});
    rpc::ClientOptions options;
    options.timeout = 200ms;
    rpc::Client client("127.0.0.1", Port(), options);
    EXPECT_THROW(client.Call("S.m.Sleep", json::array({1000})), rpc::TransportError);
    EXPECT_FALSE(client.IsConnected());
    EXPECT_EQ(client.Call("S.m.Echo", json::array({1})), json::array({1}));
}

TEST_F(ServerTest, ClientReconnectsAfterItsConnectionWasClosedOrGivenUp) {
    rpc::ServerOptions options;
    options.idleTimeout = 100ms;
    options.maxConnections = 1;
    StartServer(options);
    rpc::Client client("127.0.0.1", Port());
    EXPECT_EQ(client.Call("S.m.Echo", json::array({1})), json::array({1}));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(client.Call("S.m.Echo", json::array({2})), json::array({2}));

    // A second client takes the only place; the first one gets in again on its next call.
    rpc::Client other("127.0.0.1", Port());
    EXPECT_EQ(other.Call("S.m.Echo", json::array({3})), json::array({3}));
    EXPECT_EQ(client.Call("S.m.Echo", json::array({4})), json::array({4}));
}

TEST_F(ServerTest, StopFinishesTheCallUnderWay) {
    StartServer({});
    const std::uint16_t port = Port();
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

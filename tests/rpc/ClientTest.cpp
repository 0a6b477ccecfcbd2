// The client against programs that are not the application server: a real listener on a
// loopback port answers garbage, HTTP, a binary greeting, or nothing. Every row must come back
// as a Portuguese message naming host and port, never as a library's text.
#include <gtest/gtest.h>

#include <asio.hpp>
#include <atomic>
#include <functional>
#include <ostream>
#include <thread>

#include "core/Json.h"
#include "rpc/Client.h"
#include "rpc/RpcError.h"

namespace {

using nlohmann::json;
using namespace std::chrono_literals;

// Accepts connections on a free loopback port; to each it sends `reply` (after reading the
// request line when `readFirst`), then closes it or keeps it open until the listener goes away.
class ForeignListener {
  public:
    ForeignListener(std::string reply, bool close, bool readFirst)
        : reply_(std::move(reply)), close_(close), readFirst_(readFirst) {
        thread_ = std::thread([this] { Run(); });
    }
    ~ForeignListener() {
        stop_ = true;
        std::error_code ignored;
        asio::ip::tcp::socket poke(io_);
        poke.connect({asio::ip::make_address("127.0.0.1"), Port()}, ignored);
        thread_.join();
    }
    std::uint16_t Port() const { return acceptor_.local_endpoint().port(); }

  private:
    void Run() {
        std::vector<asio::ip::tcp::socket> open;
        while (!stop_) {
            std::error_code ec;
            asio::ip::tcp::socket socket(io_);
            acceptor_.accept(socket, ec);
            if (ec || stop_) break;
            if (readFirst_) {
                std::string request;
                asio::read_until(socket, asio::dynamic_buffer(request), '\n', ec);
            }
            asio::write(socket, asio::buffer(reply_), ec);
            if (close_) {
                socket.shutdown(asio::ip::tcp::socket::shutdown_both, ec);
            } else {
                open.push_back(std::move(socket));
            }
        }
    }

    std::string reply_;
    bool close_;
    bool readFirst_;
    std::atomic<bool> stop_{false};
    asio::io_context io_;
    asio::ip::tcp::acceptor acceptor_{io_, {asio::ip::make_address("127.0.0.1"), 0}};
    std::thread thread_;
};

struct Foreign {
    const char* name;
    std::string reply;
    bool close;
    const char* expected;
    std::chrono::milliseconds timeout = 10s;
    std::size_t maxReplyBytes = 1 << 20;
};

// Names the row in test listings.
void PrintTo(const Foreign& row, std::ostream* out) {
    *out << row.name;
}

const std::string kHttp =
    "HTTP/1.1 400 Bad Request\r\nContent-Type: text/html\r\nContent-Length: 11\r\n\r\nBad Request";
const char* const kNotTheServer = "não é o servidor de aplicação do Saldo Comercial";

const Foreign kForeign[] = {
    {"HttpServer", kHttp, true, "(começa com \"HTTP/1.1 400 Bad Request\")"},
    {"GarbageLine", "garbage\n", true, kNotTheServer},
    {"BinaryGreetingKeptOpen",
     std::string("\x4a\x00\x00\x00\x0a"
                 "8.0.36\x00",
                 12),
     false, kNotTheServer},
    {"BannerKeptOpen", "SSH-2.0-OpenSSH_9.2p1\r\n", false, kNotTheServer},
    {"BlankLine", "\n", true, kNotTheServer},
    {"JsonThatIsNotJsonRpc", "{\"hello\":1}\n", true, kNotTheServer},
    {"ErrorOfTheWrongShape",
     R"({"jsonrpc":"2.0","id":1,"error":{"code":"x","message":1}})"
     "\n",
     true, kNotTheServer},
    {"ReplyWithoutResult",
     R"({"jsonrpc":"2.0","id":1})"
     "\n",
     true, kNotTheServer},
    {"NumberTooLarge",
     R"({"jsonrpc":"2.0","id":1,"result":1e400})"
     "\n",
     true, kNotTheServer},
    {"DeepNesting",
     R"({"jsonrpc":"2.0","id":1,"result":)" + std::string(100000, '[') + std::string(100000, ']') +
         "}\n",
     true, kNotTheServer},
    {"InvalidUtf8", "{\"jsonrpc\":\"2.0\",\"id\":1,\"result\":\"\xff\"}\n", true, kNotTheServer},
    {"ReplyToAnotherCall",
     R"({"jsonrpc":"2.0","id":99,"result":1})"
     "\n",
     true, "não corresponde à chamada"},
    {"ClosedWithoutReply", "", true, "encerrou a conexão sem responder"},
    {"ClosedInTheMiddleOfAReply", R"({"jsonrpc":"2.0",)", true, "no meio da resposta"},
    {"Silent", "", false, "não respondeu em 0,3 segundos", 300ms},
    {"ReplyOverTheLimit",
     R"({"jsonrpc":"2.0","id":1,"result":")" + std::string(5000, 'x') + "\"}\n", false,
     "excede o limite de 1000 bytes", 10s, 1000},
};

class ForeignReplyTest : public testing::TestWithParam<Foreign> {};

TEST_P(ForeignReplyTest, BecomesAPortugueseMessageNamingHostAndPort) {
    const Foreign& row = GetParam();
    ForeignListener listener(row.reply, row.close, true);
    rpc::ClientOptions options;
    options.timeout = row.timeout;
    options.maxReplyBytes = row.maxReplyBytes;
    const std::string where = "127.0.0.1:" + std::to_string(listener.Port());
    enum class Path { Call, Reading };
    for (const Path path : {Path::Call, Path::Reading}) {
        rpc::Client client("127.0.0.1", listener.Port(), options);
        try {
            const json params = {"01", ""};
            if (path == Path::Call) {
                client.Call("Rdq63500.rdmSaldComer.GetSaldComer", params);
            } else {
                client.CallReading(
                    "Rdq63500.rdmSaldComer.GetSaldComer", params,
                    [](core::JsonSource& result) { core::ReadJsonValue(result, result.Next()); });
            }
            ADD_FAILURE() << "accepted a foreign reply";
        } catch (const rpc::TransportError& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find(where), std::string::npos) << message;
            EXPECT_NE(message.find(row.expected), std::string::npos) << message;
            EXPECT_EQ(message.find("[json"), std::string::npos) << message;
            EXPECT_EQ(message.find("exception"), std::string::npos) << message;
        }
        EXPECT_FALSE(client.IsConnected()) << "a foreign connection is not kept";
    }
}

INSTANTIATE_TEST_SUITE_P(Client, ForeignReplyTest, testing::ValuesIn(kForeign),
                         [](const testing::TestParamInfo<Foreign>& row) {
                             return std::string(row.param.name);
                         });

// Another JSON-RPC server may order the members differently: the result is then read once the
// whole envelope is known, and handed over the same way.
TEST(ClientTest, ReadsAResultThatComesBeforeTheId) {
    ForeignListener listener(R"({"result":{"a":[1,2]},"jsonrpc":"2.0","extra":[[]],"id":1})"
                             "\n",
                             false, true);
    rpc::Client client("127.0.0.1", listener.Port());
    json value;
    client.CallReading("S.m.Echo", {}, [&](core::JsonSource& result) {
        value = core::ReadJsonValue(result, result.Next());
    });
    EXPECT_EQ(value, json::parse(R"({"a":[1,2]})"));
    EXPECT_TRUE(client.IsConnected());
}

TEST(ClientTest, NamesHostAndPortInPortugueseWhenNothingListens) {
    std::uint16_t port = 0;
    {
        asio::io_context io;
        asio::ip::tcp::acceptor probe(io, {asio::ip::make_address("127.0.0.1"), 0});
        port = probe.local_endpoint().port();
    }
    rpc::Client client("127.0.0.1", port);
    for (const auto& attempt : {std::function<void()>([&] { client.Connect(); }),
                                std::function<void()>([&] { client.Call("S.m.Echo", {}); })}) {
        try {
            attempt();
            FAIL();
        } catch (const rpc::TransportError& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find("127.0.0.1:" + std::to_string(port)), std::string::npos);
            EXPECT_NE(message.find("conexão recusada"), std::string::npos) << message;
            EXPECT_EQ(message.find("refused"), std::string::npos) << message;
        }
        EXPECT_FALSE(client.IsConnected());
    }
    rpc::Client nowhere("no-such-host.invalid", 1);
    try {
        nowhere.Connect();
        FAIL();
    } catch (const rpc::TransportError& e) {
        EXPECT_NE(std::string(e.what()).find("no-such-host.invalid:1"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("desconhecido"), std::string::npos) << e.what();
    }
}

}  // namespace

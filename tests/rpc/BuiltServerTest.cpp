// The transport limits of the built saldo-server, over real loopback sockets: one row per
// limit, each started with the serve options it needs.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "rpc/Client.h"
#include "rpc/RpcError.h"
#include "support/ServerProcess.h"

namespace {

using nlohmann::json;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::string kServer = "Rdq63500.rdmSaldComer.";

// A plain socket from a chosen loopback address, closed when it goes away.
class Connection {
  public:
    Connection(int port, const std::string& from) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in local{};
        local.sin_family = AF_INET;
        ::inet_pton(AF_INET, from.c_str(), &local.sin_addr);
        sockaddr_in remote{};
        remote.sin_family = AF_INET;
        remote.sin_port = htons(static_cast<std::uint16_t>(port));
        remote.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
            ::connect(fd_, reinterpret_cast<sockaddr*>(&remote), sizeof remote) != 0) {
            throw std::runtime_error("connect failed");
        }
    }
    ~Connection() { ::close(fd_); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool Send(const std::string& text) {
        return ::send(fd_, text.data(), text.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(text.size());
    }
    // The next line, or "" when the connection closes or `time` passes.
    std::string ReceiveLine(std::chrono::milliseconds time = 10s) {
        const auto deadline = Clock::now() + time;
        while (buffer_.find('\n') == std::string::npos && Clock::now() < deadline) {
            if (!ReadSome(100ms)) break;
        }
        const std::size_t end = buffer_.find('\n');
        if (end == std::string::npos) return "";
        std::string line = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        return line;
    }
    // True when the server closes the connection within `time`.
    bool ClosedWithin(std::chrono::milliseconds time) {
        const auto deadline = Clock::now() + time;
        while (Clock::now() < deadline) {
            if (!ReadSome(50ms)) return true;
        }
        return false;
    }

  private:
    // False on end of stream or error; true when bytes came or the wait passed.
    bool ReadSome(std::chrono::milliseconds wait) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(wait.count())) <= 0) return true;
        char chunk[4096];
        const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
        if (n <= 0) return false;
        buffer_.append(chunk, static_cast<std::size_t>(n));
        return true;
    }

    int fd_;
    std::string buffer_;
};

std::string Request(int id, const std::string& method, const json& params) {
    return json{{"jsonrpc", "2.0"}, {"id", id}, {"method", kServer + method}, {"params", params}}
               .dump() +
           "\n";
}

// Signs in as the fixture's user on the connection, then reads a company.
bool AnswersGetSaldComer(Connection& connection) {
    using testsupport::ServerProcess;
    const json login = {{"jsonrpc", "2.0"},
                        {"id", 4},
                        {"method", "Sessao.Entrar"},
                        {"params", {ServerProcess::kUser, ServerProcess::kPassword}}};
    if (!connection.Send(login.dump() + "\n") || connection.ReceiveLine().empty()) return false;
    if (!connection.Send(Request(5, "GetSaldComer", {"01", ""}))) return false;
    const std::string line = connection.ReceiveLine();
    return !line.empty() && json::parse(line).contains("result");
}

struct Limit {
    const char* name;
    std::vector<std::string> serveOptions;
    std::function<void(int port)> run;
};

// Names the row in test listings.
void PrintTo(const Limit& row, std::ostream* out) {
    *out << row.name;
}

const Limit kLimits[] = {
    {"RequestOverTheLimit",
     {"--max-request", "65536"},
     [](int port) {
         Connection connection(port, "127.0.0.1");
         connection.Send(Request(1, "GetSaldComer", {"01", std::string(100000, 'x')}));
         const json reply = json::parse(connection.ReceiveLine());
         EXPECT_EQ(reply["error"]["code"], rpc::kMessageTooLarge);
         EXPECT_NE(reply["error"]["message"].get<std::string>().find("65536"), std::string::npos);
         EXPECT_TRUE(AnswersGetSaldComer(connection)) << "the connection goes on";
     }},
    {"OneByteEveryOneAndAHalfSecondsAgainstATwoSecondReadTimeout",
     {"--read-timeout", "2"},
     [](int port) {
         Connection connection(port, "127.0.0.1");
         const std::string request = Request(1, "GetSaldComer", {"01", ""});
         bool closed = false;
         for (std::size_t i = 0; i < request.size() - 1 && !closed; ++i) {
             closed = !connection.Send(request.substr(i, 1)) || connection.ClosedWithin(1500ms);
         }
         EXPECT_TRUE(closed) << "a message dripped byte by byte was kept open";
     }},
    {"SixtyFourIdleAndFiveHundredHalfOpenConnections",
     {},
     [](int port) {
         // Idle connections from four addresses, then connections that begin a request and
         // stop, from ten more; a client from yet another address must still be answered.
         std::vector<std::unique_ptr<Connection>> held;
         for (int i = 0; i < 64; ++i) {
             held.push_back(
                 std::make_unique<Connection>(port, "127.0.0." + std::to_string(2 + i % 4)));
         }
         for (int i = 0; i < 500; ++i) {
             held.push_back(
                 std::make_unique<Connection>(port, "127.0.0." + std::to_string(6 + i % 10)));
             held.back()->Send(R"({"jsonrpc":"2.0","id":1,"method":")");
         }
         rpc::ClientOptions options;
         options.timeout = 10s;
         rpc::Client client("127.0.0.1", static_cast<std::uint16_t>(port), options);
         client.Call("Sessao.Entrar",
                     {testsupport::ServerProcess::kUser, testsupport::ServerProcess::kPassword});
         EXPECT_FALSE(client.Call(kServer + "GetSaldComer", {"01", ""})["rows"].empty());
     }},
};

class BuiltServerLimitTest : public testing::TestWithParam<Limit> {};

TEST_P(BuiltServerLimitTest, RefusesOrClosesAndKeepsServing) {
    testsupport::ServerProcess server(SALDO_SERVER_BINARY, "sqlite", GetParam().serveOptions);
    GetParam().run(server.Port());
    Connection after(server.Port(), "127.0.0.1");
    EXPECT_TRUE(AnswersGetSaldComer(after)) << "the server keeps serving";
}

INSTANTIATE_TEST_SUITE_P(Transport, BuiltServerLimitTest, testing::ValuesIn(kLimits),
                         [](const testing::TestParamInfo<Limit>& row) {
                             return std::string(row.param.name);
                         });

}  // namespace

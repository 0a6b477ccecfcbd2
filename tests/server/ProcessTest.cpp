// The built saldo-server program: init with demo data, serve on a loopback port, answer the
// three methods to a plain client, keep serving after bad input, stop cleanly on SIGTERM.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "db/Connection.h"
#include "rpc/Client.h"
#include "rpc/RpcError.h"
#include "support/TestDatabase.h"

namespace {

using nlohmann::json;
using namespace std::chrono_literals;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A bare connection to the server: writes lines, reads reply lines.
class RawConnection {
  public:
    explicit RawConnection(int port) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            throw std::runtime_error("connect failed");
    }
    ~RawConnection() { ::close(fd_); }
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    void Send(const std::string& line) {
        const std::string text = line + "\n";
        for (std::size_t sent = 0; sent < text.size();) {
            const ssize_t n = ::send(fd_, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) throw std::runtime_error("send failed");
            sent += static_cast<std::size_t>(n);
        }
    }
    // The next reply line; "" when the server closed the connection.
    std::string Receive() {
        for (;;) {
            const std::size_t end = buffer_.find('\n');
            if (end != std::string::npos) {
                std::string line = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                return line;
            }
            char chunk[65536];
            const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
            if (n <= 0) return "";
            buffer_.append(chunk, static_cast<std::size_t>(n));
        }
    }

  private:
    int fd_ = -1;
    std::string buffer_;
};

// A user the fixture creates through the command line; calls sign in as it first.
constexpr const char* kPassword = "senha-de-teste";

void SignIn(rpc::Client& client) {
    client.Call("Sessao.Entrar", {"teste", kPassword});
}

class ProcessTest : public testing::Test {
  protected:
    void SetUp() override {
        const std::string init = std::string(SALDO_SERVER_PATH) + " init --db '" + database_.Url() +
                                 "' --demo 2>/dev/null";
        ASSERT_EQ(std::system(init.c_str()), 0);
        const std::string user = "echo '" + std::string(kPassword) + "' | " + SALDO_SERVER_PATH +
                                 " user add teste --password-stdin --right '*=lançamento' --db '" +
                                 database_.Url() + "' >/dev/null";
        ASSERT_EQ(std::system(user.c_str()), 0);
        log_ = std::filesystem::temp_directory_path() /
               ("saldo_server_" + std::to_string(::getpid()) + ".log");
        pid_ = ::fork();
        ASSERT_GE(pid_, 0);
        if (pid_ == 0) {
            const std::string url = database_.Url();
            if (std::freopen(log_.c_str(), "w", stderr) == nullptr) std::_Exit(127);
            ::execl(SALDO_SERVER_PATH, "saldo-server", "serve", "--db", url.c_str(), "--listen",
                    "127.0.0.1:0", static_cast<char*>(nullptr));
            std::_Exit(127);
        }
        const std::regex ready(R"(em 127\.0\.0\.1:(\d+))");
        for (int i = 0; i < 500 && port_ == 0; ++i) {
            std::smatch match;
            const std::string text = ReadFile(log_);
            if (std::regex_search(text, match, ready)) port_ = std::stoi(match[1]);
            std::this_thread::sleep_for(10ms);
        }
        ASSERT_NE(port_, 0) << ReadFile(log_);
    }

    void TearDown() override {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        std::filesystem::remove(log_);
    }

    // Sends SIGTERM and returns the exit status.
    int Terminate() {
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    testsupport::TestDatabase database_{"sqlite"};
    std::filesystem::path log_;
    pid_t pid_ = -1;
    int port_ = 0;
};

TEST_F(ProcessTest, AnswersTheThreeMethodsAndStopsOnSigterm) {
    rpc::Client client("127.0.0.1", static_cast<std::uint16_t>(port_));
    SignIn(client);
    const std::string server = "Rdq63500.rdmSaldComer.";
    const json packet = client.Call(server + "GetSaldComer", {"01", ""});
    ASSERT_FALSE(packet["rows"].empty());
    EXPECT_TRUE(client.Call(server + "GetVdSaldoContCtbl", {"01", "2.1.1.01.0001", "08/2025", 1.0})
                    .get<bool>());
    json row = {"2025-08-31",
                "2.1.1.01.0001",
                "Fornecedores Nacionais",
                "",
                1.0,
                "Sim",
                "01",
                "F",
                "000004",
                nullptr,
                nullptr};
    const json delta = {{"fields", packet["fields"]},
                        {"changes", json::array({{{"kind", "inserted"}, {"new", row}}})}};
    EXPECT_TRUE(client.Call(server + "SetSaldComer", {"01", "", delta}).is_null());
    try {
        client.Call(server + "SetSaldComer", {"01", "", delta});
        FAIL();
    } catch (const rpc::RpcError& e) {
        EXPECT_STREQ(e.what(), "Conta comercial já cadastrada.");
    }
    EXPECT_THROW(client.Call("Outro.Servidor.GetSaldComer", {"01", ""}), rpc::RpcError);
    EXPECT_EQ(client.Call(server + "GetSaldComer", {"01", ""})["rows"].size(),
              packet["rows"].size() + 1);

    EXPECT_EQ(Terminate(), 0);
    const std::string log = ReadFile(log_);
    EXPECT_NE(log.find("GetSaldComer empresa=01 "), std::string::npos) << log;
    EXPECT_NE(log.find("SetSaldComer empresa=01 "), std::string::npos) << log;
    EXPECT_NE(log.find("erro: Conta comercial já cadastrada."), std::string::npos) << log;
    EXPECT_NE(log.find("encerrado"), std::string::npos) << log;
}

// Each line that used to stop the server or drop the connection, sent on one connection: each
// gets its error reply and the connection goes on serving.
TEST_F(ProcessTest, RefusedLinesAreAnsweredAndTheConnectionKeepsServing) {
    const std::string call = R"({"jsonrpc":"2.0","method":"Rdq63500.rdmSaldComer.)";
    const auto nested = [](std::size_t depth) {
        return std::string(depth, '[') + std::string(depth, ']');
    };
    const std::string packet = R"({"fields":[{"name":"DTIMPSALDO","type":"datetime"}],"changes":[)";
    const std::vector<std::tuple<std::string, int, std::string>> lines = {
        {call + R"(GetSaldComer","id":1,"params":[)" + nested(200000) + "]}", rpc::kParseError,
         "64 níveis"},
        {R"({"jsonrpc":"2.0","id":)" + nested(200000) + "}", rpc::kParseError, "64 níveis"},
        {call + R"(GetVdSaldoContCtbl","id":2,"params":["01","x","01/2024",1e400]})",
         rpc::kParseError, "1e400"},
        {call + R"(GetSaldComer","id":1e400,"params":["01",""]})", rpc::kParseError,
         "fora do alcance"},
        {call + R"(SetSaldComer","id":3,"params":["01","",)" + packet +
             R"({"kind":"inserted","new":[1e400]}]}]})",
         rpc::kParseError, "fora do alcance"},
        {call + R"(SetSaldComer","id":4,"params":["01","",)" + packet +
             R"({"kind":"deleted","kind":"inserted","new":[]}]}]})",
         rpc::kParseError, "'kind' aparece duas vezes"},
        {call + R"(GetSaldComer","method":"x","id":5,"params":["01",""]})", rpc::kParseError,
         "'method' aparece duas vezes"},
        {call + R"(GetSaldComer","id":6,"params":[{"a\u0000b":1},""]})", rpc::kParseError,
         "caractere nulo"},
        {call + "GetSaldComer\",\"id\":7,\"params\":[\"0\xC3\",\"\"]}", rpc::kParseError, "UTF-8"},
    };
    RawConnection connection(port_);
    connection.Send(R"({"jsonrpc":"2.0","id":0,"method":"Sessao.Entrar","params":["teste",")" +
                    std::string(kPassword) + "\"]}");
    ASSERT_TRUE(json::parse(connection.Receive()).contains("result"));
    for (const auto& [line, code, part] : lines) {
        connection.Send(line);
        const std::string text = connection.Receive();
        ASSERT_FALSE(text.empty()) << "connection dropped after " << line.substr(0, 80);
        const json reply = json::parse(text);
        EXPECT_EQ(reply["error"]["code"], code) << text;
        EXPECT_NE(reply["error"]["message"].get<std::string>().find(part), std::string::npos)
            << text;
    }
    connection.Send(call +
                    R"(GetVdSaldoContCtbl","id":9,"params":["01","2.1.1.01.0001","08/2025",1]})");
    EXPECT_EQ(json::parse(connection.Receive())["result"], true);

    // The call log stays short whatever the company argument holds.
    connection.Send(call + R"(GetSaldComer","id":10,"params":[")" + std::string(100000, 'x') +
                    R"(",""]})");
    EXPECT_TRUE(json::parse(connection.Receive())["result"]["rows"].empty());
    EXPECT_EQ(Terminate(), 0);
    std::istringstream log(ReadFile(log_));
    for (std::string line; std::getline(log, line);) EXPECT_LT(line.size(), 300u) << line;
}

// A value on the half-cent boundary travels as the screen sends it and is stored as shown.
TEST_F(ProcessTest, HalfCentValuesAreStoredAsShown) {
    rpc::Client client("127.0.0.1", static_cast<std::uint16_t>(port_));
    SignIn(client);
    const std::string server = "Rdq63500.rdmSaldComer.";
    const json fields = client.Call(server + "GetSaldComer", {"01", ""})["fields"];
    const std::vector<std::pair<double, long long>> values = {
        {1.005, 101}, {-1.005, -101}, {0.285, 29}, {-0.285, -29}, {2.675, 268}, {0.004, 0}};
    json changes = json::array();
    for (std::size_t i = 0; i < values.size(); ++i) {
        const json row = {"2030-0" + std::to_string(i + 1) + "-" +
                              (i == 1  ? "28"
                               : i % 2 ? "30"
                                       : "31"),
                          "2.1.1.01.0001",
                          "",
                          "",
                          values[i].first,
                          "Não",
                          "01",
                          "F",
                          "000001",
                          nullptr,
                          nullptr};
        changes.push_back({{"kind", "inserted"}, {"new", row}});
    }
    client.Call(server + "SetSaldComer", {"01", "", {{"fields", fields}, {"changes", changes}}});
    const auto stored = db::Connection::Open(database_.Url())
                            ->Select(
                                "SELECT VRIMPSALDO FROM SALDCOME WHERE CDEMPRESA = '01' AND"
                                " DTIMPSALDO >= '2030-01-01' ORDER BY DTIMPSALDO");
    ASSERT_EQ(stored.rows.size(), values.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(std::stoll(*stored.rows[i][0]), values[i].second) << values[i].first;
    const json packet = client.Call(server + "GetSaldComer", {"01", ""});
    for (const json& row : packet["rows"]) {
        if (row[0] == "2030-01-31") {
            EXPECT_EQ(row[4].dump(), "1.01");
        } else if (row[0] == "2030-04-30") {
            EXPECT_EQ(row[4].dump(), "-0.29");
        }
    }
}

TEST(ProcessCliTest, ABadDatabaseUrlFailsWithAMessage) {
    const std::string command =
        std::string(SALDO_SERVER_PATH) + " init --db mysql://x 2>&1 | grep -q 'não reconhecido'";
    EXPECT_EQ(std::system(command.c_str()), 0);
}

}  // namespace

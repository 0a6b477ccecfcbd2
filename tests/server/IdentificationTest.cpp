// Identification and rights at the dispatcher, on every backend: the gate in front of every
// method, the rights per company, the login's one refusal, session tokens, locks taking effect
// at once; and the throttle's delays and the password hashes on their own.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "db/Connection.h"
#include "db/ConnectionPool.h"
#include "rpc/Dispatcher.h"
#include "rpc/RpcError.h"
#include "server/Identification.h"
#include "server/LoginThrottle.h"
#include "server/Methods.h"
#include "server/PasswordHash.h"
#include "server/SaldoService.h"
#include "server/Users.h"
#include "support/TestDatabase.h"

namespace {

using nlohmann::json;
using server::Right;

constexpr const char* kPassword = "senha-correta";

class IdentificationTest : public testsupport::PopulatedDatabaseTest {
  protected:
    void SetUp() override {
        PopulatedDatabaseTest::SetUp();
        if (IsSkipped()) return;
        pool_ = std::make_unique<db::ConnectionPool>(database_->Url(), 2);
        service_ = std::make_unique<server::SaldoService>(*pool_);
        identification_ = std::make_unique<server::Identification>(
            *pool_, [this](const std::string& line) { log_ += line + "\n"; });
        identification_->Register(dispatcher_);
        server::RegisterMethods(dispatcher_, *service_, *identification_, nullptr);
    }

    // A user with a password and the rights given.
    void AddUser(const std::string& name, const server::Rights& rights) {
        server::Users(*connection_).Add(name, server::HashPassword(kPassword), rights);
    }
    static rpc::Connection Tcp(const std::string& peer = "192.0.2.1") {
        return {rpc::Transport::Tcp, peer, std::nullopt, {}};
    }
    json Call(rpc::Connection* origin, const std::string& method, const json& params) {
        const json request = {
            {"jsonrpc", "2.0"}, {"id", 1}, {"method", method}, {"params", params}};
        return json::parse(dispatcher_.Handle(request.dump(), origin));
    }
    json Method(rpc::Connection* origin, const std::string& method, const json& params) {
        return Call(origin, "Rdq63500.rdmSaldComer." + method, params);
    }
    // A connection signed in as `name`.
    rpc::Connection SignedIn(const std::string& name) {
        rpc::Connection origin = Tcp();
        const json reply = Call(&origin, "Sessao.Entrar", {name, kPassword});
        EXPECT_TRUE(reply.contains("result")) << reply;
        return origin;
    }
    static int Code(const json& reply) {
        return reply.contains("error") ? reply["error"]["code"].get<int>() : 0;
    }
    // Rows of the balances and of the audit trail: what a refused call must leave alone.
    std::string Stored() {
        return *connection_->Select("SELECT COUNT(*) FROM SALDCOME").rows.at(0).at(0) + "/" +
               *connection_->Select("SELECT COUNT(*) FROM SALDAUDI").rows.at(0).at(0);
    }
    // A save inserting one supplier balance of the company.
    json InsertPacket(const std::string& company) {
        rpc::Connection admin = SignedIn("admin");
        const json fields = Method(&admin, "GetSaldComer", {"01", ""})["result"]["fields"];
        const json row = {"2030-01-31", "2.1.1.01.0002", "x",     "x",    1.0, "Não", company,
                          "F",          "000001",        nullptr, nullptr};
        return {{"fields", fields}, {"changes", {{{"kind", "inserted"}, {"new", row}}}}};
    }

    std::unique_ptr<db::ConnectionPool> pool_;
    std::unique_ptr<server::SaldoService> service_;
    std::unique_ptr<server::Identification> identification_;
    rpc::Dispatcher dispatcher_;
    std::string log_;
};

TEST_P(IdentificationTest, EveryMethodRefusesACallerNotIdentifiedAndTouchesNothing) {
    AddUser("admin", {{"*", Right::Write}});
    const json packet = InsertPacket("01");
    const std::string before = Stored();
    const std::vector<std::pair<std::string, json>> calls = {
        {"GetSaldComer", {"01", ""}},
        {"SetSaldComer", {"01", "", packet, "chave-1", "admin"}},
        {"GetHistSaldComer", {"01", "", "2030-01-31", "2.1.1.01.0002", "000001"}},
        {"GetVdSaldoContCtbl", {"01", "2.1.1.01.0001", "08/2025", 1.0}},
        {"GetConfContabil", {"01", "F"}},
        {"ImportSaldComer", {"01", "F", "TcOqcztDb250YQo=", false}},
    };
    // The operating-system user "root" (uid 0) is no application user here.
    rpc::Connection local{rpc::Transport::Local, "local", 0, {}};
    for (const auto& [method, params] : calls) {
        rpc::Connection tcp = Tcp();
        for (rpc::Connection* origin : {static_cast<rpc::Connection*>(nullptr), &tcp, &local}) {
            const json reply = Method(origin, method, params);
            EXPECT_EQ(Code(reply), rpc::kUnidentified) << method << reply;
            const std::string message = reply["error"]["message"];
            EXPECT_NE(message.find(origin == &local ? "usuário do sistema 'root' não tem acesso"
                                                    : server::kUnidentifiedMessage),
                      std::string::npos)
                << message;
        }
    }
    EXPECT_EQ(Stored(), before);
    EXPECT_NE(log_.find("chamada sem identificação recusada (192.0.2.1)"), std::string::npos);

    // The local socket's user is identified as the application user of the same name.
    server::Users(*connection_).Add("root", std::nullopt, {{"01", Right::Read}});
    EXPECT_EQ(Code(Method(&local, "GetConfContabil", {"01", "F"})), 0);
    EXPECT_EQ(Call(&local, "Sessao.Quem", json::array())["result"],
              json({{"usuario", "root"}, {"direitos", {{"01", "consulta"}}}}));
}

TEST_P(IdentificationTest, RightsCoverTheCallsCompanyAndAWriteNeedsLancamento) {
    AddUser("admin", {{"*", Right::Write}});
    AddUser("leitor", {{"*", Right::Read}});
    AddUser("de01", {{"01", Right::Write}});
    AddUser("quase", {{"*", Right::Write}, {"02", Right::Read}});
    const json insert01 = InsertPacket("01"), insert02 = InsertPacket("02");
    struct Row {
        const char* user;
        const char* method;
        json params;
        const char* refusal;  // empty: served
    };
    const Row rows[] = {
        {"leitor", "GetSaldComer", {"02", ""}, ""},
        {"leitor",
         "SetSaldComer",
         {"01", "", insert01},
         "O usuário leitor não tem direito de lançamento na empresa 01."},
        {"leitor",
         "ImportSaldComer",
         {"01", "F", "TcOqcztDb250YQo=", true},
         "O usuário leitor não tem direito de lançamento na empresa 01."},
        {"de01", "GetConfContabil", {"01", ""}, ""},
        {"de01",
         "GetSaldComer",
         {"02", ""},
         "O usuário de01 não tem direito de consulta na empresa 02."},
        {"de01",
         "GetVdSaldoContCtbl",
         {"02", "2.1.1.01.0001", "08/2025", 1.0},
         "O usuário de01 não tem direito de consulta na empresa 02."},
        {"quase",
         "SetSaldComer",
         {"02", "", insert02},
         "O usuário quase não tem direito de lançamento na empresa 02."},
        {"quase", "GetHistSaldComer", {"02", "", "2030-01-31", "2.1.1.01.0002", "000001"}, ""},
        {"quase", "SetSaldComer", {"01", "", insert01}, ""},
    };
    for (const Row& row : rows) {
        rpc::Connection origin = SignedIn(row.user);
        const std::string before = Stored();
        const json reply = Method(&origin, row.method, row.params);
        if (*row.refusal == '\0') {
            EXPECT_EQ(Code(reply), 0) << row.user << " " << row.method << reply;
            continue;
        }
        EXPECT_EQ(Code(reply), rpc::kForbidden) << row.user << " " << row.method << reply;
        EXPECT_EQ(reply["error"]["message"], row.refusal);
        EXPECT_EQ(Stored(), before);
    }
    EXPECT_NE(log_.find("direito recusado: O usuário de01 não tem direito de consulta"),
              std::string::npos)
        << log_;
}

TEST_P(IdentificationTest, EveryRefusedLoginGetsTheSameAnswerAndIdentifiesNobody) {
    AddUser("maria", {{"*", Right::Write}});
    AddUser("presa", {{"*", Right::Write}});
    server::Users users(*connection_);
    users.SetLocked("presa", true);
    users.Add("semsenha", std::nullopt, {{"*", Right::Write}});
    const std::vector<std::pair<std::string, json>> attempts = {
        {"Sessao.Entrar", {"ninguem", kPassword}},
        {"Sessao.Entrar", {"maria", "senha-errada"}},
        {"Sessao.Entrar", {"maria", std::string(5000, 'x')}},
        {"Sessao.Entrar", {"presa", kPassword}},
        {"Sessao.Entrar", {"semsenha", ""}},
        {"Sessao.Retomar", {std::string(64, 'a')}},
        {"Sessao.Retomar", {"curto"}},
    };
    int i = 0;
    for (const auto& [method, params] : attempts) {
        rpc::Connection origin = Tcp("192.0.2." + std::to_string(++i));
        const json reply = Call(&origin, method, params);
        EXPECT_EQ(Code(reply), rpc::kLoginRefused) << params;
        EXPECT_EQ(reply["error"]["message"], "Usuário ou senha inválidos.");
        EXPECT_FALSE(origin.identity.has_value());
    }
    EXPECT_NE(log_.find("usuário bloqueado tentou entrar: presa de 192.0.2.4"), std::string::npos)
        << log_;
    EXPECT_NE(log_.find("entrada recusada: usuário maria de 192.0.2.2"), std::string::npos);
}

TEST_P(IdentificationTest, ASessionResumesElsewhereUntilLogoutOrExpiry) {
    AddUser("maria", {{"01", Right::Write}, {"*", Right::Read}});
    rpc::Connection first = Tcp();
    const json login = Call(&first, "Sessao.Entrar", {"maria", kPassword})["result"];
    const std::string token = login["token"];
    EXPECT_EQ(token.size(), 64u);
    EXPECT_EQ(login["direitos"], json({{"01", "lançamento"}, {"*", "consulta"}}));
    EXPECT_EQ(Call(&first, "Sessao.Quem", json::array())["result"]["usuario"], "maria");
    // Only the token's hash is stored.
    EXPECT_EQ(connection_->Select("SELECT CHSESSAO FROM SALDSESS").rows.at(0).at(0),
              server::Sha256Hex(token));

    rpc::Connection second = Tcp();
    const json resumed = Call(&second, "Sessao.Retomar", {token});
    EXPECT_EQ(resumed["result"]["usuario"], "maria") << resumed;
    EXPECT_EQ(Code(Method(&second, "GetSaldComer", {"01", ""})), 0);

    EXPECT_TRUE(Call(&first, "Sessao.Sair", json::array())["result"].is_null());
    EXPECT_EQ(Code(Method(&first, "GetSaldComer", {"01", ""})), rpc::kUnidentified);
    rpc::Connection third = Tcp();
    EXPECT_EQ(Code(Call(&third, "Sessao.Retomar", {token})), rpc::kLoginRefused);

    rpc::Connection fourth = Tcp();
    const std::string another =
        Call(&fourth, "Sessao.Entrar", {"maria", kPassword})["result"]["token"];
    connection_->Execute("UPDATE SALDSESS SET NRVALIDADE = 1");
    EXPECT_EQ(Code(Call(&third, "Sessao.Retomar", {another})), rpc::kLoginRefused);
}

TEST_P(IdentificationTest, ALockOrAChangeOfRightsTakesEffectOnTheNextCall) {
    AddUser("maria", {{"*", Right::Write}});
    rpc::Connection origin = SignedIn("maria");
    const json read = {"01", ""};
    EXPECT_EQ(Code(Method(&origin, "GetSaldComer", read)), 0);
    server::Users users(*connection_);
    users.SetLocked("maria", true);
    EXPECT_EQ(Code(Method(&origin, "GetSaldComer", read)), rpc::kUnidentified);
    users.SetLocked("maria", false);
    users.SetRights("maria", {{"02", Right::Read}});
    EXPECT_EQ(Code(Method(&origin, "GetSaldComer", read)), rpc::kForbidden);
    users.Remove("maria");
    EXPECT_EQ(Code(Method(&origin, "GetSaldComer", {"02", ""})), rpc::kUnidentified);
}

INSTANTIATE_TEST_SUITE_P(Backends, IdentificationTest, testsupport::Backends());

TEST(LoginThrottleTest, FromTheThirdFailureEachAttemptWaitsTwiceAsLongUpToEightSeconds) {
    using std::chrono::milliseconds;
    auto now = std::chrono::steady_clock::time_point{};
    server::LoginThrottle throttle([&] { return now; });
    const long long expected[] = {0, 0, 0, 250, 500, 1000, 2000, 4000, 8000, 8000, 8000};
    for (const long long wait : expected) {
        EXPECT_EQ(throttle.Delay("192.0.2.1", "maria").count(), wait);
        throttle.Failed("192.0.2.1", "maria");
    }
    // The user's count follows the user to another address, and the address's to another user.
    EXPECT_EQ(throttle.Delay("192.0.2.9", "maria"), milliseconds(8000));
    EXPECT_EQ(throttle.Delay("192.0.2.1", "ana"), milliseconds(8000));
    EXPECT_EQ(throttle.Delay("192.0.2.9", "ana"), milliseconds(0));
    throttle.Succeeded("192.0.2.1", "maria");
    EXPECT_EQ(throttle.Delay("192.0.2.1", "maria"), milliseconds(0));

    for (int i = 0; i < 5; ++i) throttle.Failed("192.0.2.2", "");
    EXPECT_EQ(throttle.Delay("192.0.2.2", ""), milliseconds(1000));
    now += server::LoginThrottle::kForgetAfter + std::chrono::seconds(1);
    EXPECT_EQ(throttle.Delay("192.0.2.2", ""), milliseconds(0));

    // A full table forgets the entry idle longest.
    for (int i = 0; i < 4; ++i) throttle.Failed("first", "");
    for (std::size_t i = 0; i < server::LoginThrottle::kMaxEntries; ++i) {
        now += std::chrono::milliseconds(1);
        throttle.Failed("a" + std::to_string(i), "");
    }
    EXPECT_EQ(throttle.Delay("first", ""), milliseconds(0));

    // One delayed attempt per address at a time.
    EXPECT_TRUE(throttle.BeginWait("192.0.2.3"));
    EXPECT_FALSE(throttle.BeginWait("192.0.2.3"));
    EXPECT_TRUE(throttle.BeginWait("192.0.2.4"));
    throttle.EndWait("192.0.2.3");
    EXPECT_TRUE(throttle.BeginWait("192.0.2.3"));
}

TEST(PasswordHashTest, Argon2idHashesVerifyTheirPasswordOnly) {
    const std::string hash = server::HashPassword("senha-correta");
    EXPECT_EQ(hash.rfind("$argon2id$", 0), 0u) << hash;
    EXPECT_NE(server::HashPassword("senha-correta"), hash);
    EXPECT_TRUE(server::VerifyPassword(hash, "senha-correta"));
    EXPECT_FALSE(server::VerifyPassword(hash, "senha-errada"));
    EXPECT_FALSE(server::VerifyPassword("não é um resumo", "senha-correta"));
    EXPECT_FALSE(server::VerifyNobody("senha-correta"));
    EXPECT_NE(server::NewToken(), server::NewToken());
}

}  // namespace

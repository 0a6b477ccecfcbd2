// The client's side of identification against a small server that keeps its own sessions: the
// user is asked once, the session token then carries every new connection, an expired session
// asks again, and refusals end after a few tries with the server's message.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>

#include "rpc/Client.h"
#include "rpc/Identification.h"
#include "rpc/RpcError.h"
#include "rpc/Server.h"

namespace {

using nlohmann::json;

class ClientLoginTest : public testing::Test {
  protected:
    ClientLoginTest() {
        const auto identity = [](const std::string& user, const std::string& token) {
            json answer{{"usuario", user}, {"direitos", {{"01", "lançamento"}, {"*", "consulta"}}}};
            if (!token.empty()) answer["token"] = token;
            return answer.dump();
        };
        dispatcher_.AddMethod("Sessao", "Entrar", [=, this](const rpc::Arguments& a) {
            ++logins_;
            if (a.String(1) != "certa")
                throw rpc::RpcError(rpc::kLoginRefused, "Usuário ou senha inválidos.");
            const std::string token = "sessao-" + std::to_string(logins_);
            Remember(token);
            a.Origin()->identity = a.String(0);
            return identity(a.String(0), token);
        });
        dispatcher_.AddMethod("Sessao", "Retomar", [=, this](const rpc::Arguments& a) {
            ++resumes_;
            const std::lock_guard lock(mutex_);
            if (!tokens_.contains(a.String(0)))
                throw rpc::RpcError(rpc::kLoginRefused, "Usuário ou senha inválidos.");
            a.Origin()->identity = std::string("maria");
            return identity("maria", a.String(0));
        });
        dispatcher_.AddMethod("Sessao", "Quem", [=](const rpc::Arguments& a) {
            if (!a.Origin()->identity.has_value()) throw Unidentified();
            return identity(std::any_cast<std::string>(a.Origin()->identity), {});
        });
        dispatcher_.AddMethod("S", "Saldo", [this](const rpc::Arguments& a) {
            if (!a.Origin()->identity.has_value()) throw Unidentified();
            ++served_;
            return json(std::any_cast<std::string>(a.Origin()->identity)).dump();
        });
        server_ = std::make_unique<rpc::Server>(dispatcher_);
        server_->Listen("127.0.0.1", 0);
        server_->Start();
    }

    static rpc::RpcError Unidentified() {
        return rpc::RpcError(rpc::kUnidentified, "Identificação necessária.");
    }
    void Remember(const std::string& token) {
        const std::lock_guard lock(mutex_);
        tokens_.insert(token);
    }
    void ForgetSessions() {
        const std::lock_guard lock(mutex_);
        tokens_.clear();
    }

    // A client whose user answers the prompts with these passwords in turn, then gives up.
    std::unique_ptr<rpc::Client> ClientAnswering(std::vector<std::string> passwords) {
        rpc::ClientOptions options;
        options.credentials =
            [this, passwords = std::move(passwords)](
                const rpc::LoginPrompt& prompt) -> std::optional<rpc::Credentials> {
            prompts_.push_back(prompt);
            if (prompts_.size() > passwords.size()) return std::nullopt;
            return rpc::Credentials{"maria", passwords[prompts_.size() - 1]};
        };
        return std::make_unique<rpc::Client>(
            rpc::Endpoint{rpc::Transport::Tcp, "127.0.0.1", server_->Port(), {}}, options);
    }

    rpc::Dispatcher dispatcher_;
    std::unique_ptr<rpc::Server> server_;
    std::mutex mutex_;
    std::set<std::string> tokens_;
    std::atomic<int> logins_{0}, resumes_{0}, served_{0};
    std::vector<rpc::LoginPrompt> prompts_;
};

TEST_F(ClientLoginTest, AsksOnceThenTheTokenCarriesEveryNewConnection) {
    auto client = ClientAnswering({"errada", "certa", "certa"});
    EXPECT_EQ(client->Call("S.Saldo", json::array()), "maria");
    ASSERT_EQ(prompts_.size(), 2u);
    EXPECT_EQ(prompts_[0].server, "127.0.0.1:" + std::to_string(server_->Port()));
    EXPECT_EQ(prompts_[0].refusal, "");
    EXPECT_EQ(prompts_[1].refusal, "Usuário ou senha inválidos.");
    EXPECT_EQ(client->WhoAmI().user, "maria");
    EXPECT_EQ(client->WhoAmI().rights.at("01"), "lançamento");

    client->Close();  // a new connection presents the token first: nobody is asked
    EXPECT_EQ(client->Call("S.Saldo", json::array()), "maria");
    EXPECT_EQ(prompts_.size(), 2u);
    EXPECT_EQ(resumes_, 1);

    ForgetSessions();  // the session expired: the next connection asks again
    client->Close();
    EXPECT_EQ(client->Call("S.Saldo", json::array()), "maria");
    EXPECT_EQ(prompts_.size(), 3u);
    EXPECT_EQ(logins_, 3);
    EXPECT_EQ(served_, 3);
}

TEST_F(ClientLoginTest, GivesUpWithTheServersRefusal) {
    struct Row {
        std::vector<std::string> passwords;
        bool askable;
        int code;
        std::size_t prompts;
    };
    const Row rows[] = {
        {{"a", "b", "c", "certa"}, true, rpc::kLoginRefused, 3},  // refused three times
        {{"a"}, true, rpc::kLoginRefused, 2},                     // gave up after a refusal
        {{}, true, rpc::kUnidentified, 1},                        // gave up at once
        {{}, false, rpc::kUnidentified, 0},                       // nobody to ask
    };
    for (const Row& row : rows) {
        prompts_.clear();
        auto client = ClientAnswering(row.passwords);
        if (!row.askable) client = std::make_unique<rpc::Client>("127.0.0.1", server_->Port());
        try {
            client->Call("S.Saldo", json::array());
            ADD_FAILURE() << "served without identification";
        } catch (const rpc::RpcError& e) {
            EXPECT_EQ(e.Code(), row.code) << e.what();
        }
        EXPECT_EQ(prompts_.size(), row.prompts);
    }
    EXPECT_EQ(served_, 0);
}

}  // namespace

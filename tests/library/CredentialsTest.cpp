// The credentials file's refusals, and what the reported rights let the desktop offer.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "library/Credentials.h"
#include "library/RequestKey.h"
#include "library/Rights.h"
#include "platform/app/Application.h"
#include "platform/app/DialogPort.h"
#include "rpc/RpcError.h"

namespace {

struct FileCase {
    const char* name;
    std::string text;
    mode_t mode;
    const char* refusal;  // a part of the message, or null when the file is fine
};

TEST(CredentialsFileTest, OnlyTheTwoLinesInAFileOnlyItsOwnerReadsAreTaken) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("credenciais-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::vector<FileCase> cases = {
        {"fine", "usuario=maria\nsenha=s3=gr3do\n", 0600, nullptr},
        {"crlf, either order", "senha=x\r\nusuario=joão\r\n", 0400, nullptr},
        {"group-readable", "usuario=maria\nsenha=x\n", 0640, "chmod 600"},
        {"other-readable", "usuario=maria\nsenha=x\n", 0604, "chmod 600"},
        {"no password", "usuario=maria\n", 0600, "usuario=NOME e senha=SENHA"},
        {"unknown key", "usuario=maria\nsenha=x\nporta=1\n", 0600, "usuario=NOME e senha=SENHA"},
        {"twice", "usuario=a\nusuario=b\nsenha=x\n", 0600, "usuario=NOME e senha=SENHA"},
        {"not utf-8", "usuario=jo\xe3o\nsenha=x\n", 0600, "UTF-8"},
        {"too big", "usuario=maria\nsenha=" + std::string(5000, 'x') + "\n", 0600, "grande demais"},
    };
    for (const FileCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::filesystem::path file = dir / "credenciais";
        std::filesystem::remove(file);
        std::ofstream(file, std::ios::binary) << c.text;
        ASSERT_EQ(::chmod(file.c_str(), c.mode), 0);
        if (c.refusal == nullptr) {
            const auto credentials = library::ReadCredentialsFile(file);
            ASSERT_TRUE(credentials.has_value());
            EXPECT_FALSE(credentials->user.empty());
            EXPECT_FALSE(credentials->password.empty());
            continue;
        }
        try {
            library::ReadCredentialsFile(file);
            ADD_FAILURE() << "taken";
        } catch (const library::CredentialsError& e) {
            EXPECT_NE(std::string(e.what()).find(file.string()), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.refusal), std::string::npos) << e.what();
        }
    }
    const auto fine = library::ParseCredentials("usuario=maria\nsenha=s3=gr3do\n", "f");
    EXPECT_EQ(fine.user, "maria");
    EXPECT_EQ(fine.password, "s3=gr3do");
    EXPECT_FALSE(library::ReadCredentialsFile(dir / "ausente").has_value());
    std::filesystem::remove_all(dir);
}

// A login window that answers from a script and remembers what it was asked.
class ScriptedLogin : public platform::DialogPort {
  public:
    void ShowError(const std::string&) override {}
    int Ask(const std::string&, platform::DialogType, platform::DialogButtons, int) override {
        return platform::mrNo;
    }
    std::optional<std::size_t> PickRow(const std::string&, const std::vector<std::string>&,
                                       const std::vector<std::vector<std::string>>&) override {
        return std::nullopt;
    }
    void StartBusy(int) override {}
    void StopBusy() override {}
    std::optional<platform::LoginAnswer> AskLogin(const platform::LoginRequest& request) override {
        asked.push_back(request);
        return platform::LoginAnswer{"joao", "digitada"};
    }
    std::vector<platform::LoginRequest> asked;
};

// The file answers the first ask; once its password was refused only the window may do better,
// so a wrong file never makes the client ask the same thing again.
TEST(AskCredentialsTest, TheFileFirstThenTheWindowWithTheRefusal) {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("credenciais-ask-" + std::to_string(::getpid()));
    std::ofstream(file) << "usuario=maria\nsenha=do-arquivo\n";
    ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
    ::setenv("SALDO_CREDENCIAIS", file.c_str(), 1);
    ScriptedLogin window;
    platform::Application& app = platform::Application::Instance();
    platform::DialogPort* previous = app.Dialogs();
    app.SetDialogs(&window);

    const auto first = library::AskCredentials({"127.0.0.1:47630", "", ""});
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->password, "do-arquivo");
    EXPECT_TRUE(window.asked.empty());

    const auto again =
        library::AskCredentials({"127.0.0.1:47630", "AB:CD", "Usuário ou senha inválidos."});
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(again->user, "joao");
    ASSERT_EQ(window.asked.size(), 1u);
    EXPECT_EQ(window.asked[0].refusal, "Usuário ou senha inválidos.");
    EXPECT_EQ(window.asked[0].fingerprint, "AB:CD");
    EXPECT_EQ(window.asked[0].user, library::DesktopUserName());

    // A file others may read stops the login with the file's refusal, asking nothing.
    ASSERT_EQ(::chmod(file.c_str(), 0644), 0);
    EXPECT_THROW(library::AskCredentials({"127.0.0.1:47630", "", ""}), rpc::RpcError);
    EXPECT_EQ(window.asked.size(), 1u);

    app.SetDialogs(previous);
    ::unsetenv("SALDO_CREDENCIAIS");
    std::filesystem::remove(file);
}

TEST(RightsTest, ACompanysOwnRightOverridesTheOneOnEveryCompany) {
    const rpc::Identity identity{"maria",
                                 {{"01", "lançamento"}, {"02", "consulta"}, {"*", "consulta"}}};
    EXPECT_TRUE(library::MayChangeBalances(identity, "01"));
    EXPECT_FALSE(library::MayChangeBalances(identity, "02"));
    EXPECT_FALSE(library::MayChangeBalances(identity, "03"));
    const rpc::Identity admin{"root", {{"*", "lançamento"}, {"02", "consulta"}}};
    EXPECT_TRUE(library::MayChangeBalances(admin, "03"));
    EXPECT_FALSE(library::MayChangeBalances(admin, "02"));
    EXPECT_FALSE(library::MayChangeBalances(rpc::Identity{"ana", {}}, "01"));
}

}  // namespace

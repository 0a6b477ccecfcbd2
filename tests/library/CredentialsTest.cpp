// The credentials file's refusals, and what the reported rights let the desktop offer.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "library/Credentials.h"
#include "library/Rights.h"

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

// The report windows' company chooser over a database that cannot be read: the window opens
// with an empty list and the status line says why, in Portuguese.
#include <QComboBox>
#include <cstdlib>
#include <optional>
#include <string>

#include "ShellFixture.h"
#include "host/TieOutWindow.h"
#include "library/dtmDBGeral.h"

namespace {

class CompaniesTest : public hosttest::ShellFixture {
  protected:
    CompaniesTest() {
        if (const char* url = std::getenv("SALDO_DB")) saved_ = url;
        setenv("SALDO_DB", "sqlite:/dev/null/saldo.db", 1);
    }
    ~CompaniesTest() override {
        library::dtmDBGeral().Disconnect();
        platform::Application::Instance().ShowStatus(platform::StatusPart::Message, "");
        if (saved_)
            setenv("SALDO_DB", saved_->c_str(), 1);
        else
            unsetenv("SALDO_DB");
    }

  private:
    std::optional<std::string> saved_;
};

TEST_F(CompaniesTest, AnUnreadableDatabaseIsToldOnTheStatusLine) {
    hosttest::ModalAnswer none;
    host::TieOutWindow* tieOut = window.OpenTieOut();
    ASSERT_NE(tieOut, nullptr);
    EXPECT_EQ(tieOut->Company()->count(), 0);
    EXPECT_EQ(none.Seen(), 0);
    // The shell shows the framework's status line (the module's own application).
    const std::string message =
        platform::Application::Instance().StatusText(platform::StatusPart::Message);
    EXPECT_NE(message.find("Não foi possível ler a lista de empresas"), std::string::npos)
        << message;
    EXPECT_NE(message.find("/dev/null/saldo.db"), std::string::npos) << message;
}

}  // namespace

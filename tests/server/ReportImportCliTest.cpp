// The built saldo-server's report and import commands on a demo SQLite file: what they print,
// their exit codes, and that a refused or simulated import leaves the file as it was.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <fstream>

#include "support/RunCommand.h"
#include "support/TestDatabase.h"

namespace {

using Outcome = testsupport::CommandOutcome;

Outcome Command(const std::string& arguments) {
    return testsupport::RunCommand(std::string(SALDO_SERVER_PATH) + " " + arguments + " 2>&1");
}

class ReportImportCliTest : public testing::Test {
  protected:
    void SetUp() override {
        database_.Populate();
        file_ = database_.Url().substr(7) + ".csv";
    }
    void Write(const std::string& text) { std::ofstream(file_, std::ios::binary) << text; }
    std::string Db() const { return "--db '" + database_.Url() + "' --company 01 "; }

    testsupport::TestDatabase database_{"sqlite"};
    std::string file_;
};

TEST_F(ReportImportCliTest, ImportRefusesSimulatesThenWritesAndTheTieOutShowsIt) {
    Write(
        "Mês;Conta;Código;Valor\n"
        "01/2025;2.1.1.01.0001;000001;1.234,50\n"
        "01/2025;2.1.1.01.0001;999999;1,00\n");
    Outcome refused = Command("import " + Db() + "--kind F --file '" + file_ + "'");
    EXPECT_EQ(refused.status, 3) << refused.output;
    EXPECT_NE(refused.output.find("linha 3: Fornecedor não cadastrado."), std::string::npos)
        << refused.output;
    EXPECT_NE(refused.output.find("nada foi gravado"), std::string::npos);

    Write("Mês;Conta;Código;Valor\n01/2025;2.1.1.01.0001;000001;1.234,50\n");
    Outcome dry = Command("import " + Db() + "--kind F --dry-run --file '" + file_ + "'");
    EXPECT_EQ(dry.status, 0) << dry.output;
    EXPECT_NE(dry.output.find("1 saldo(s) seriam importados"), std::string::npos) << dry.output;
    Outcome before = Command("report conferencia " + Db() + "--kind F --format csv");
    EXPECT_EQ(before.output.find("01/2025;1.234,50;"), std::string::npos) << before.output;

    Outcome done = Command("import " + Db() + "--kind F --file '" + file_ + "'");
    EXPECT_EQ(done.status, 0) << done.output;
    EXPECT_NE(done.output.find("1 saldo(s) importado(s)."), std::string::npos);
    Outcome csv = Command("report conferencia " + Db() + "--kind F --format csv");
    EXPECT_EQ(csv.status, 0) << csv.output;
    EXPECT_TRUE(
        csv.output.starts_with("Conta Contábil;Nome;Mês;Implantado;Contábil;Diferença;"
                               "Situação\r\n"));
    EXPECT_NE(csv.output.find("2.1.1.01.0001;Fornecedores Nacionais;01/2025;1.234,50;"),
              std::string::npos)
        << csv.output;
    Outcome table = Command("report conferencia " + Db());
    EXPECT_NE(table.output.find("1.234,50 CR"), std::string::npos) << table.output;
}

TEST_F(ReportImportCliTest, BadArgumentsAndFilesFailWithAMessage) {
    EXPECT_NE(Command("report conferencia " + Db() + "--kind X").status, 0);
    const Outcome missing = Command("import " + Db() + "--kind F --file /nonexistent/x.csv");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.output.find("Não foi possível abrir o arquivo"), std::string::npos)
        << missing.output;
    Write("a,b,c\n");
    const Outcome header = Command("import " + Db() + "--kind F --file '" + file_ + "'");
    EXPECT_EQ(header.status, 1);
    EXPECT_NE(header.output.find("não tem a(s) coluna(s)"), std::string::npos) << header.output;
    const Outcome company =
        Command("report conferencia --db '" + database_.Url() + "' --company 77");
    EXPECT_EQ(company.status, 1);
    EXPECT_NE(company.output.find("Empresa não cadastrada."), std::string::npos);
}

}  // namespace

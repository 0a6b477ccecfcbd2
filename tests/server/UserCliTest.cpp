// The built saldo-server's user administration, run as an administrator would: each command's
// line, exit code and effect, passwords read from standard input only; and `serve` refusing the
// network without TLS.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>

#include "support/RunCommand.h"
#include "support/TestDatabase.h"

namespace {

// Runs saldo-server with the arguments and `input` on its standard input.
testsupport::CommandOutcome RunServer(const std::string& arguments, const std::string& input = "") {
    return testsupport::RunCommand("printf '%s' '" + input + "' | " + SALDO_SERVER_PATH + " " +
                                   arguments + " 2>&1");
}

TEST(UserCliTest, AnAdministratorManagesUsersFromTheServersMachine) {
    testsupport::TestDatabase database("sqlite");
    const std::string db = " --db '" + database.Url() + "'";
    struct Step {
        std::string arguments, input;
        int status;
        std::string output;  // a part of what it prints
    };
    const Step steps[] = {
        {"init --admin chefe", "", 0, "administrador chefe criado"},
        {"init --admin outro", "", 0, "tabelas criadas"},
        {"user add maria --password-stdin --right 01=consulta", "curta\n", 1,
         "Senha curta demais: use ao menos 8 caracteres."},
        {"user add maria --password-stdin --right 01=consulta --right '*=lançamento'",
         "senha-da-maria\n", 0, "Usuário maria criado; direitos: *=lançamento 01=consulta."},
        {"user add maria", "", 1, "O usuário 'maria' já existe."},
        {"user add joao --right 01=dono", "", 1, "Direito inválido: '01=dono'."},
        {"user rights maria 02=consulta", "", 0, "Direitos do usuário maria: 02=consulta."},
        {"user lock maria", "", 0, "Usuário maria bloqueado."},
        {"user password maria", "outra-senha\n", 0, "Senha do usuário maria alterada."},
        {"user list", "", 0, "maria\tcom senha\tbloqueado\t"},
        {"user unlock maria", "", 0, "Usuário maria desbloqueado."},
        {"user list", "", 0, "chefe\tsem senha\tativo\t"},
        {"user remove maria", "", 0, "Usuário maria removido."},
        {"user remove maria", "", 1, "O usuário 'maria' não existe."},
        {"serve --listen 0.0.0.0:0", "", 2, "scripts/make-certificates.sh"},
    };
    for (const Step& step : steps) {
        const testsupport::CommandOutcome run = RunServer(step.arguments + db, step.input);
        EXPECT_EQ(run.status, step.status) << step.arguments << "\n" << run.output;
        EXPECT_NE(run.output.find(step.output), std::string::npos) << step.arguments << "\n"
                                                                   << run.output;
    }
    EXPECT_EQ(RunServer("user list" + db).output.find("outro"), std::string::npos);
}

}  // namespace

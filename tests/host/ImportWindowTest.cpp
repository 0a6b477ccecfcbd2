// The "Sistema" menu's import window: the dry run's lines and refusals in the preview grid,
// "Importar" only after a clean dry run of the same file and a "Sim", files refused before
// they are sent, and the window against a real server over its demo data.
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <cstdlib>
#include <nlohmann/json.hpp>

#include "ShellFixture.h"
#include "core/Error.h"
#include "db/Connection.h"
#include "host/ImportWindow.h"
#include "library/dtmDBGeral.h"

#ifdef SALDO_MODULE_DIR
#include "tests/support/ServerProcess.h"
#endif

namespace {

using nlohmann::json;

struct Call {
    std::string company;
    core::BalanceKind kind;
    QByteArray file;
    bool dryRun;
};

class ImportWindowTest : public hosttest::ShellFixture {
  protected:
    host::ImportWindow* Open() {
        QAction* action = Widget<QAction>("mnuImportar");
        EXPECT_NE(action, nullptr);
        if (action != nullptr) action->trigger();
        return window.findChild<host::ImportWindow*>();
    }
    // A fake server answering `dry` to dry runs and `real` to imports.
    void Answer(json dry, json real = {}) {
        window.importRun = [this, dry, real](const std::string& company, core::BalanceKind kind,
                                             const QByteArray& file, bool dryRun) {
            calls.push_back({company, kind, file, dryRun});
            return host::ImportOutcomeFromJson(dryRun ? dry : real);
        };
    }
    QString Write(const QByteArray& text, const QString& name = "saldos.csv") {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
        return path;
    }
    QString Cell(host::ImportWindow* w, int row, int column) const {
        const QTableWidgetItem* item = w->Grid()->item(row, column);
        return item != nullptr ? item->text() : QString("<vazio>");
    }

    QTemporaryDir dir;
    std::vector<Call> calls;
};

const json kAccepted = {2, "01/2025", "2.1.1.01.0001", "000001", 123450, true};

TEST_F(ImportWindowTest, ADryRunWithRefusalsShowsEveryLineWithItsReasonAndLeavesImportOff) {
    Answer({{"gravado", false},
            {"aceitas", {kAccepted}},
            {"recusadas",
             {{3, "Mês inválido: \"13/2025\" (use MM/AAAA).", "13/2025", "2.1.1.01.0001", "000002",
               "1,00"}}}});
    host::ImportWindow* import = Open();
    ASSERT_NE(import, nullptr);
    EXPECT_EQ(window.MdiArea()->currentSubWindow()->windowTitle(), "Importar saldos");
    import->Company()->setEditText("02 - Distribuidora");
    import->Kind()->setCurrentIndex(1);
    import->SetFile(Write("Mês;Conta;Código;Valor\n"));
    ASSERT_TRUE(import->Simulate());
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].company, "02");
    EXPECT_EQ(calls[0].kind, core::BalanceKind::Clients);
    EXPECT_TRUE(calls[0].dryRun);
    ASSERT_EQ(import->Grid()->rowCount(), 2);
    const QStringList first = {"2", "01/2025", "2.1.1.01.0001", "000001", "1.234,50 CR", ""};
    const QStringList second = {"3",      "13/2025", "2.1.1.01.0001",
                                "000002", "1,00",    "Mês inválido: \"13/2025\" (use MM/AAAA)."};
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(Cell(import, 0, c), first[c]) << c;
        EXPECT_EQ(Cell(import, 1, c), second[c]) << c;
    }
    EXPECT_TRUE(import->Summary()->text().startsWith("1 linha aceita, 1 recusada."));
    EXPECT_EQ(window.Message(), import->Summary()->text());
    EXPECT_FALSE(import->ImportButton()->isEnabled());
    EXPECT_FALSE(import->Import());
    EXPECT_EQ(calls.size(), 1u);
    // The menu again brings the same window forward.
    EXPECT_EQ(Open(), import);
    EXPECT_EQ(window.MdiArea()->subWindowList().size(), 1);
}

TEST_F(ImportWindowTest, ImportRunsOnlyAfterACleanDryRunOfTheSameFileAndASim) {
    const json clean = {
        {"gravado", false},
        {"aceitas", {kAccepted, {3, "02/2025", "2.1.1.01.0001", "000002", -5000, false}}},
        {"recusadas", json::array()}};
    json written = clean;
    written["gravado"] = true;
    Answer(clean, written);
    host::ImportWindow* import = Open();
    ASSERT_NE(import, nullptr);
    import->Company()->setEditText("01");
    const QString path = Write("Mês;Conta;Código;Valor\n01/2025;2.1.1.01.0001;000001;1,00\n");
    import->SetFile(path);
    ASSERT_TRUE(import->Simulate());
    EXPECT_EQ(Cell(import, 1, 4), "50,00 DB");
    EXPECT_TRUE(import->Summary()->text().startsWith("2 linhas aceitas, 0 recusadas."));
    EXPECT_TRUE(import->ImportButton()->isEnabled());

    // Another kind (or company, or file) calls for a new dry run.
    import->Kind()->setCurrentIndex(2);
    EXPECT_FALSE(import->ImportButton()->isEnabled());
    import->Kind()->setCurrentIndex(0);
    ASSERT_TRUE(import->Simulate());

    {
        hosttest::ModalAnswer no("Não");
        EXPECT_FALSE(import->Import());
        EXPECT_EQ(no.Seen(), 1);
        EXPECT_TRUE(no.Text().startsWith("Importar 2 saldos de fornecedores para a empresa 01?"))
            << no.Text().toStdString();
    }
    EXPECT_EQ(calls.size(), 2u);
    EXPECT_TRUE(import->ImportButton()->isEnabled());
    {
        hosttest::ModalAnswer yes("Sim");
        EXPECT_TRUE(import->Import());
    }
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_FALSE(calls[2].dryRun);
    EXPECT_EQ(calls[2].file, calls[1].file);
    EXPECT_EQ(import->Summary()->text(), "2 saldos importados.");
    EXPECT_EQ(window.Message(), "2 saldos importados.");
    // One import per dry run.
    EXPECT_FALSE(import->ImportButton()->isEnabled());
    EXPECT_FALSE(import->Import());

    // A file edited after its dry run is not sent.
    ASSERT_TRUE(import->Simulate());
    Write("Mês;Conta;Código;Valor\n01/2025;2.1.1.01.0001;000001;9.999,00\n");
    hosttest::ModalAnswer changed;
    EXPECT_FALSE(import->Import());
    EXPECT_TRUE(changed.Text().startsWith("O arquivo mudou depois da simulação."));
    EXPECT_FALSE(import->ImportButton()->isEnabled());
    EXPECT_EQ(calls.size(), 4u);
}

TEST_F(ImportWindowTest, FilesThatCannotBeSentAreRefusedBeforeAnyCall) {
    Answer({{"gravado", false}, {"aceitas", json::array()}, {"recusadas", json::array()}});
    host::ImportWindow* import = Open();
    ASSERT_NE(import, nullptr);
    const auto refusal = [&]() {
        hosttest::ModalAnswer answer;
        EXPECT_FALSE(import->Simulate());
        EXPECT_EQ(answer.Seen(), 1);
        return answer.Text();
    };
    import->Company()->setEditText("");
    import->SetFile(Write("Mês;Conta;Código;Valor\n"));
    EXPECT_EQ(refusal(), "Empresa deve ser informada.");
    import->Company()->setEditText("01");
    import->SetFile(dir.filePath("nao-existe.csv"));
    EXPECT_TRUE(refusal().startsWith("Não foi possível ler o arquivo "));
    {
        QFile big(dir.filePath("grande.csv"));
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        ASSERT_TRUE(big.resize(host::ImportWindow::kMaxFileBytes + 1));
    }
    import->SetFile(dir.filePath("grande.csv"));
    EXPECT_EQ(refusal(), "Arquivo grande demais: o limite é de 48 MB. Divida-o em partes.");
    EXPECT_TRUE(calls.empty());

    // A server's refusal of the whole file is shown and leaves the grid empty.
    host::ImportWindow refusing(
        [](const std::string&, core::BalanceKind, const QByteArray&, bool) -> host::ImportOutcome {
            throw core::Error("Arquivo vazio: nenhum cabeçalho encontrado.");
        });
    import = &refusing;
    import->Company()->setEditText("01");
    import->SetFile(Write(""));
    EXPECT_EQ(refusal(), "Arquivo vazio: nenhum cabeçalho encontrado.");
    EXPECT_EQ(import->Grid()->rowCount(), 0);
    EXPECT_FALSE(import->ImportButton()->isEnabled());
}

#ifdef SALDO_MODULE_DIR
TEST_F(ImportWindowTest, ChecksThenImportsIntoTheRealServer) {
    if (std::string(SALDO_SERVER_BINARY).empty()) GTEST_SKIP() << "saldo-server is not built";
    testsupport::ServerProcess server(SALDO_SERVER_BINARY);
    setenv("SALDO_SERVER", server.Address().c_str(), 1);
    setenv("SALDO_DB", server.DatabaseURL().c_str(), 1);
    const auto stored = [] {
        const auto result = library::dtmDBGeral().Connection().Select(
            "SELECT COUNT(*) FROM SALDCOME WHERE CDEMPRESA = '01'");
        return std::stoll(result.rows.at(0).at(0).value_or("-1"));
    };
    const long long before = stored();
    window.importRun = host::ImportWindow::FromServer(window.server);
    host::ImportWindow* import = Open();
    ASSERT_NE(import, nullptr);
    ASSERT_GE(import->Company()->count(), 1);
    EXPECT_TRUE(import->Company()->itemText(0).startsWith("01 - "));
    import->Company()->setCurrentIndex(0);

    import->SetFile(
        Write("Mês;Conta;Código;Valor\n"
              "01/2025;2.1.1.01.0001;000001;1.234,50\n"
              "13/2025;2.1.1.01.0001;000001;1,00\n"
              "01/2025;2.1.1.01.0001;999999;1,00\n",
              "erros.csv"));
    ASSERT_TRUE(import->Simulate());
    ASSERT_EQ(import->Grid()->rowCount(), 3);
    EXPECT_EQ(Cell(import, 0, 4), "1.234,50 CR");
    EXPECT_EQ(Cell(import, 0, 5), "");
    EXPECT_TRUE(Cell(import, 1, 5).startsWith("Mês inválido")) << Cell(import, 1, 5).toStdString();
    EXPECT_EQ(Cell(import, 2, 3), "999999");
    EXPECT_FALSE(Cell(import, 2, 5).isEmpty());
    EXPECT_TRUE(import->Summary()->text().startsWith("1 linha aceita, 2 recusadas."));
    EXPECT_FALSE(import->ImportButton()->isEnabled());
    EXPECT_EQ(stored(), before);

    import->SetFile(
        Write("Mês;Conta;Código;Valor\n01/2025;2.1.1.01.0001;000001;1.234,50\n", "limpo.csv"));
    ASSERT_TRUE(import->Simulate());
    EXPECT_TRUE(import->ImportButton()->isEnabled());
    EXPECT_EQ(stored(), before);
    {
        hosttest::ModalAnswer yes("Sim");
        EXPECT_TRUE(import->Import());
        EXPECT_EQ(yes.Seen(), 1);
    }
    EXPECT_EQ(import->Summary()->text(), "1 saldo importado.");
    EXPECT_EQ(stored(), before + 1);
    library::dtmDBGeral().Disconnect();
}
#endif

}  // namespace

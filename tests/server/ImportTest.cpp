// Importing balance files: the reading of Brazilian CSV (encodings, quoting, amounts, bounds),
// then on each backend every rule a save applies, a file with errors writing nothing, the dry
// run writing nothing, and a clean file written whole.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <vector>

#include "core/Base64.h"
#include "db/ConnectionPool.h"
#include "rpc/Dispatcher.h"
#include "rpc/RpcError.h"
#include "server/AuditTrail.h"
#include "server/Errors.h"
#include "server/Import.h"
#include "server/ImportFile.h"
#include "server/Methods.h"
#include "server/SaldoService.h"
#include "support/Identified.h"
#include "support/TestDatabase.h"

namespace {

using core::BalanceKind;

TEST(ImportFileTest, ReadsLatin1AndUtf8WithTheirAccentsAndLineEnds) {
    // "Mês;Conta Contábil;Código;Valor;Implantado" and "Não" in Latin-1, CRLF line ends.
    const std::string latin1 =
        "M\xEAs;Conta Cont\xE1"
        "bil;C\xF3"
        "digo;Valor;Implantado\r\n"
        "01/2025;2.1.1.01.0001;000001;1.234,50;N\xE3o\r\n";
    const server::ImportFile a = server::ReadImportFile(latin1, BalanceKind::Suppliers);
    EXPECT_EQ(a.encoding, "Latin-1");
    ASSERT_EQ(a.lines.size(), 1u) << (a.refusals.empty() ? "" : a.refusals[0].reason);
    EXPECT_FALSE(a.lines[0].row.implanted);
    EXPECT_EQ(a.lines[0].row.cents, 123450);
    EXPECT_EQ(a.lines[0].row.month, "2025-01-31");
    EXPECT_EQ(a.lines[0].number, 2u);

    const std::string utf8 =
        "\xEF\xBB\xBF"
        "CONTA;mes;Fornecedor;Nome;SALDO\n\n"
        "2.1.1.01.0001;02/2024;000001;\"Metalúrgica; \"\"Sul\"\"\";-0,005\n";
    const server::ImportFile b = server::ReadImportFile(utf8, BalanceKind::Suppliers);
    EXPECT_EQ(b.encoding, "UTF-8");
    ASSERT_EQ(b.lines.size(), 1u);
    EXPECT_EQ(b.lines[0].number, 3u);
    EXPECT_EQ(b.lines[0].row.month, "2024-02-29");
    EXPECT_EQ(b.lines[0].row.cents, -1);  // half a cent rounds away from zero
    EXPECT_TRUE(b.lines[0].row.implanted);
}

TEST(ImportFileTest, AmountsTakeASignOrACreditDebitMark) {
    const std::pair<const char*, long long> good[] = {
        {"1.234,50", 123450},    {"-1.234,50", -123450},
        {"1.234,50 CR", 123450}, {"1.234,50 DB", -123450},
        {"1234,5db", -123450},   {"+7", 700},
        {"0,00 DB", 0}};
    for (const auto& [text, cents] : good) {
        const server::ImportFile f = server::ReadImportFile(
            std::string("Mês;Conta;Código;Valor\n01/2024;1;2;") + text + "\n",
            BalanceKind::Clients);
        ASSERT_EQ(f.lines.size(), 1u) << text << ": " << f.refusals.at(0).reason;
        EXPECT_EQ(f.lines[0].row.cents, cents) << text;
    }
    for (const char* text : {"1234.50", "1,234.50", "-1,00 DB", "R$ 1,00", "1,00 CC", "abc",
                             "99.999.999.999.999.999,00"}) {
        const server::ImportFile f = server::ReadImportFile(
            std::string("Mês;Conta;Código;Valor\n01/2024;1;2;") + text + "\n",
            BalanceKind::Clients);
        ASSERT_EQ(f.refusals.size(), 1u) << text;
        EXPECT_TRUE(f.refusals[0].reason.starts_with("Valor")) << f.refusals[0].reason;
    }
}

TEST(ImportFileTest, BadLinesAreRefusedOneByOneWithTheirNumbers) {
    const std::string file =
        "Mês;Conta;Código;Valor;Implantado\n"
        "13/2024;2.1.1.01.0001;000001;1,00\n"
        "1/2024;2.1.1.01.0001;000001;1,00\n"
        "01/2024;;000001;1,00\n"
        "01/2024;2.1.1.02.0001.001;000001;1,00\n"
        "01/2024;2.1.1.01.0001;;1,00\n"
        "01/2024;2.1.1.01.0001;000001;\n"
        "01/2024;2.1.1.01.0001;000001;1,00;Talvez\n"
        "01/2024;\"2.1.1.01.0001;000001;1,00\n"
        "01/2024;2.1.1.01.0001;00\x01;1,00\n" +
        std::string(2000, 'x') + "\n" + "01/2024;2.1.1.01.0001;000001;1,00\n";
    const server::ImportFile f = server::ReadImportFile(file, BalanceKind::Suppliers);
    ASSERT_EQ(f.lines.size(), 1u);
    EXPECT_EQ(f.lines[0].number, 12u);
    ASSERT_EQ(f.refusals.size(), 10u);
    const char* const starts[] = {"Mês inválido",
                                  "Mês inválido",
                                  "Conta Contábil deve ser informada",
                                  "Conta contábil com mais de 16",
                                  "Código do fornecedor deve ser informado",
                                  "Valor de Saldo deve ser informado",
                                  "Implantado deve ser Sim ou Não",
                                  "Aspas sem fechamento",
                                  "A linha contém caracteres de controle",
                                  "Linha longa demais"};
    for (std::size_t i = 0; i < 10; ++i) {
        EXPECT_EQ(f.refusals[i].number, i + 2);
        EXPECT_TRUE(f.refusals[i].reason.starts_with(starts[i])) << f.refusals[i].reason;
    }
    // What could be read travels with the reason, for a preview.
    EXPECT_EQ(f.refusals[0].cells,
              (std::array<std::string, 4>{"13/2024", "2.1.1.01.0001", "000001", "1,00"}));
    EXPECT_EQ(f.refusals[5].cells[3], "");
    EXPECT_EQ(f.refusals[7].cells[0], "");
    EXPECT_EQ(f.dataLines, 11u);
}

TEST(ImportFileTest, FilesThatCannotBeReadAreRefusedWhole) {
    const auto refusal = [](const std::string& bytes) {
        try {
            server::ReadImportFile(bytes, BalanceKind::Banks);
        } catch (const server::ArgumentError& e) {
            return std::string(e.what());
        }
        return std::string("accepted");
    };
    EXPECT_TRUE(refusal("").starts_with("Arquivo vazio"));
    EXPECT_TRUE(refusal("\n \n").starts_with("Arquivo vazio"));
    EXPECT_NE(refusal("Mês,Conta,Código,Valor\n").find("não tem a(s) coluna(s)"),
              std::string::npos);
    EXPECT_NE(refusal("Mês;Conta;Valor\n").find("Código"), std::string::npos);
    EXPECT_TRUE(refusal("Mês;Mes;Conta;Código;Valor\n").starts_with("Coluna repetida"));
    EXPECT_TRUE(refusal(std::string("Mês;Conta;Código;Valor\n") + '\0')
                    .starts_with("O arquivo não é texto"));
    EXPECT_TRUE(
        refusal(std::string(server::kMaxImportBytes + 1, 'a')).starts_with("Arquivo grande"));
    std::string many = "Mês;Conta;Código;Valor\n";
    for (std::size_t i = 0; i <= server::kMaxImportLines; ++i) many += "x\n";
    EXPECT_TRUE(refusal(many).starts_with("Arquivo com linhas demais"));
}

TEST(ImportFileTest, Base64DecodesOnlyWellFormedText) {
    EXPECT_EQ(core::DecodeBase64(""), "");
    EXPECT_EQ(core::DecodeBase64("TcOqcw=="), "M\xC3\xAAs");
    EXPECT_EQ(core::DecodeBase64("YWJj"), "abc");
    EXPECT_EQ(core::DecodeBase64("YWI="), "ab");
    EXPECT_EQ(core::DecodeBase64("YWJjYQ=="), "abca");
    // Blanks and line breaks, which the library itself would skip, and padding inside.
    for (const char* bad : {"YWJ", "YW=j", "Y===", "YWJj\n", "YW Jj", "=WJj", "YWI=YWJj",
                            "YQ==YQ==", "YWJj\r\n", "YW-j", "YW_j"})
        EXPECT_FALSE(core::DecodeBase64(bad).has_value()) << bad;
}

class ImportTest : public testsupport::PopulatedDatabaseTest {
  protected:
    void SetUp() override {
        PopulatedDatabaseTest::SetUp();
        if (IsSkipped()) return;
        connection_->Execute("INSERT INTO EMPRESA (CDEMPRESA, NMEMPRESA) VALUES ('09', 'Teste')");
        connection_->Execute(
            "INSERT INTO SALDCTBL (CDEMPRESA, CDCONTCTBL, DTSALDO, VRSALDO) VALUES"
            " ('09', '2.1.1.01.0001', '2025-01-31', 100000)");
        connection_->Execute(
            "INSERT INTO SALDCTBL (CDEMPRESA, CDCONTCTBL, DTSALDO, VRSALDO) VALUES"
            " ('09', '1.1.2.01.0001', '2025-01-31', -50000)");
        connection_->Execute(
            "INSERT INTO SALDCOME (CDEMPRESA, IDSALDCOME, DTIMPSALDO, CDCONTCTBL, CDSALDCOME,"
            " VRIMPSALDO, TIPSALDO) VALUES ('09', 'F', '2025-01-31', '2.1.1.01.0001', '000001',"
            " 60000, 'S')");
    }

    long long Count() {
        return std::stoll(
            *connection_->Select("SELECT COUNT(*) AS N FROM SALDCOME WHERE CDEMPRESA = '09'")
                 .rows.at(0)
                 .at(0));
    }

    server::ImportReport Import(const std::string& file, bool dryRun,
                                BalanceKind kind = BalanceKind::Suppliers) {
        return server::ImportBalances(*connection_, "09", kind, "Mês;Conta;Código;Valor\n" + file,
                                      dryRun);
    }
};

TEST_P(ImportTest, EveryRuleOfASaveRefusesItsLineAndNothingIsWritten) {
    const std::string file =
        "01/2025;2.1.1.01.0001;000002;100,00\n"  // 2: fine alone
        "01/2025;9.9.9;000002;1,00\n"            // 3: unknown account
        "01/2025;2.1.1;000002;1,00\n"            // 4: synthetic
        "01/2025;1.1.1.01.0001;000002;1,00\n"    // 5: analytic without commercial type
        "01/2025;2.1.1.01.0002;999999;1,00\n"    // 6: unknown supplier
        "01/2025;2.1.1.01.0001;000001;1,00\n"    // 7: key already stored
        "01/2025;2.1.1.01.0001;000002;5,00\n"    // 8: same key as line 2
        "03/2025;2.1.1.01.0002;000003;1,00\n"    // 9: no ledger balance that month
        "13/2025;2.1.1.01.0001;000004;1,00\n";   // 10: no month
    for (const bool dryRun : {true, false}) {
        const server::ImportReport r = Import(file, dryRun);
        EXPECT_FALSE(r.written);
        ASSERT_EQ(r.refusals.size(), 8u) << server::ImportReportText(r);
        const char* const reasons[] = {"Conta contábil não cadastrada.",
                                       "Conta contábil deve ser analítica e ter tipo comercial.",
                                       "Conta contábil deve ser analítica e ter tipo comercial.",
                                       "Fornecedor não cadastrado.",
                                       "Conta comercial já cadastrada.",
                                       "Saldo repetido no arquivo",
                                       "Não é possível implantar saldo!",
                                       "Mês inválido"};
        for (std::size_t i = 0; i < 8; ++i) {
            EXPECT_EQ(r.refusals[i].number, i + 3);
            EXPECT_TRUE(r.refusals[i].reason.starts_with(reasons[i])) << r.refusals[i].reason;
        }
        ASSERT_EQ(r.accepted.size(), 1u);
        EXPECT_EQ(r.accepted[0].number, 2u);
        EXPECT_EQ(Count(), 1);
    }
}

TEST_P(ImportTest, TheLedgerRuleCountsStoredBalancesAndTheWholeFile) {
    // 600,00 stored of 1.000,00: two lines of 250,00 fit alone, not together.
    const std::string file =
        "01/2025;2.1.1.01.0001;000002;250,00\n"
        "01/2025;2.1.1.01.0001;000003;250,00\n"
        "01/2025;2.1.1.01.0001;000004;9.999,00;Não\n";
    const server::ImportReport r =
        server::ImportBalances(*connection_, "09", BalanceKind::Suppliers,
                               "Mês;Conta;Código;Valor;Implantado\n" + file, false);
    ASSERT_EQ(r.refusals.size(), 2u);
    EXPECT_EQ(r.refusals[0].number, 2u);
    EXPECT_EQ(r.refusals[1].number, 3u);
    EXPECT_NE(r.refusals[0].reason.find("já implantado 600,00 CR, no arquivo 500,00 CR, saldo "
                                        "contábil 1.000,00 CR"),
              std::string::npos)
        << r.refusals[0].reason;
    EXPECT_EQ(Count(), 1);
}

TEST_P(ImportTest, ACleanFileIsSimulatedThenWrittenWhole) {
    const std::string file =
        "01/2025;2.1.1.01.0001;000002;250,00 CR\n"
        "01/2025;2.1.1.01.0001;000003;150,00\n"
        "01/2025;2.1.1.01.0001;000004;-10,00;\n";
    const server::ImportReport dry = Import(file, true);
    EXPECT_TRUE(dry.refusals.empty()) << server::ImportReportText(dry);
    EXPECT_EQ(dry.accepted.size(), 3u);
    EXPECT_FALSE(dry.written);
    EXPECT_EQ(Count(), 1);
    EXPECT_NE(server::ImportReportText(dry).find("3 saldo(s) seriam importados"),
              std::string::npos);

    const server::ImportReport done = Import(file, false);
    EXPECT_TRUE(done.written);
    EXPECT_EQ(Count(), 4);
    // The audit trail holds the written lines as one packet of inserts; the dry run left none.
    std::vector<server::AuditRecord> audited;
    server::AuditTrail(*connection_)
        .Read({std::string("09"), std::nullopt},
              [&](const server::AuditRecord& r) { audited.push_back(r); });
    ASSERT_EQ(audited.size(), 3u);
    for (const server::AuditRecord& r : audited) {
        EXPECT_EQ(r.sequence, audited[0].sequence);
        EXPECT_EQ(r.change, 'I');
        EXPECT_FALSE(r.before.has_value());
        EXPECT_FALSE(r.origin.time.empty());
    }
    EXPECT_EQ(audited[1].after->owner, "000003");
    EXPECT_EQ(audited[1].after->cents, 15000);
    const auto total = connection_->Select(
        "SELECT CAST(SUM(VRIMPSALDO) AS BIGINT) AS T FROM SALDCOME WHERE CDEMPRESA = '09'");
    EXPECT_EQ(*total.rows.at(0).at(0), "99000");

    // Clients carry debit balances against a debit ledger.
    const server::ImportReport clients =
        Import("01/2025;1.1.2.01.0001;C00001;500,00 DB\n", false, BalanceKind::Clients);
    EXPECT_TRUE(clients.written) << server::ImportReportText(clients);
    EXPECT_EQ(Count(), 5);
}

TEST_P(ImportTest, AnUnknownCompanyIsRefused) {
    EXPECT_THROW(server::ImportBalances(*connection_, "77", BalanceKind::Suppliers,
                                        "Mês;Conta;Código;Valor\n", true),
                 server::RuleError);
}

TEST_P(ImportTest, TheMethodSimulatesAndImportsAFileSentInBase64) {
    using nlohmann::json;
    db::ConnectionPool pool(database_->Url(), 1);
    server::SaldoService service(pool);
    rpc::Dispatcher dispatcher;
    server::Identification identification(pool, nullptr);
    server::RegisterMethods(dispatcher, service, identification, nullptr);
    rpc::Connection origin = testsupport::Identified(database_->Url());
    const auto call = [&](const json& params) {
        return json::parse(
            dispatcher.Handle(json{{"jsonrpc", "2.0"},
                                   {"id", 1},
                                   {"method", "Rdq63500.rdmSaldComer.ImportSaldComer"},
                                   {"params", params}}
                                  .dump(),
                              &origin));
    };
    // "Mês;Conta;Código;Valor\n01/2025;2.1.1.01.0001;000002;1,00\n" in Latin-1.
    const std::string file =
        "TepzO0NvbnRhO0PzZGlnbztWYWxvcgowMS8yMDI1OzIuMS4xLjAxLjAwMDE7MDAwMDAyOzEsMDAK";
    const json dry = call({"09", "F", file, true});
    ASSERT_TRUE(dry.contains("result")) << dry;
    EXPECT_EQ(dry["result"]["codificacao"], "Latin-1");
    EXPECT_EQ(dry["result"]["gravado"], false);
    EXPECT_EQ(dry["result"]["aceitas"].size(), 1u);
    EXPECT_EQ(Count(), 1);
    const json done = call({"09", "F", file, false});
    EXPECT_EQ(done["result"]["gravado"], true) << done;
    EXPECT_EQ(Count(), 2);
    const json again = call({"09", "F", file, false});
    EXPECT_EQ(again["result"]["recusadas"][0][1], "Conta comercial já cadastrada.") << again;
    EXPECT_EQ(again["result"]["recusadas"][0], json({2, "Conta comercial já cadastrada.", "01/2025",
                                                     "2.1.1.01.0001", "000002", "1,00 CR"}));

    EXPECT_EQ(call({"09", "", file, true})["error"]["code"], rpc::kInvalidParams);
    EXPECT_EQ(call({"09", "F", "não é base64", true})["error"]["code"], rpc::kInvalidParams);
    EXPECT_EQ(call({"09", "F", file, "sim"})["error"]["code"], rpc::kInvalidParams);
}

INSTANTIATE_TEST_SUITE_P(Backends, ImportTest, testsupport::Backends(), testsupport::BackendName);

}  // namespace

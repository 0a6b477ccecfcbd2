// The database layer on each backend: opening by URL, the look-up helpers, the screen's look-up
// texts against the demonstration data, binding of named parameters, schema and data loading.
#include <gtest/gtest.h>

#include <algorithm>

#include "db/Connection.h"
#include "db/DbError.h"
#include "db/DemoData.h"
#include "db/Schema.h"
#include "support/TestDatabase.h"

namespace {

using db::Connection;
using db::Params;
using testsupport::TestDatabase;

class DatabaseTest : public testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        SALDO_SKIP_UNAVAILABLE_BACKEND();
        database_ = std::make_unique<TestDatabase>(GetParam());
        database_->Populate();
        connection_ = Connection::Open(database_->Url());
    }

    std::vector<std::string> Column(const db::QueryResult& result, const std::string& name) {
        std::vector<std::string> values;
        const std::size_t index = result.Column(name);
        for (const auto& row : result.rows) values.push_back(row[index].value_or("<null>"));
        return values;
    }

    std::unique_ptr<TestDatabase> database_;
    std::unique_ptr<Connection> connection_;
};

// The texts exactly as the screen's queries hold them.
const char* const kCompanyText =
    "SELECT CDEMPRESA, NMEMPRESA FROM EMPRESA "
    "WHERE (CDEMPRESA = :P_CDEMPRESA OR :P_TCDEMPRESA = 'T') ORDER BY CDEMPRESA";
const char* const kAccountText =
    "SELECT CDCONTCTBL,   CDCONTREDU,\n       NMCONTCTBL,   CDRATEIO,\n"
    "       CDNVCONTCTBL, IDTIPOCONT,\n       IDCONTCCUS,   IDTIPOCOME, IDTIPOCOME IDLANCCOME\n"
    "  FROM CONTCTBL\n WHERE IDTIPOCONT = 'A'\n   AND IDTIPOCOME IS NOT NULL\n"
    " ORDER BY CDCONTCTBL, CDNVCONTCTBL";
const char* const kSupplierText =
    "SELECT CDFORNECED, IDTPIJURFORN, NRINSJURFORN, NMRAZSOCFORN\n"
    "  FROM FORNECEDOR, PARAM(:CDFORNECED) CDFORNECED, PARAM(:NRINSJURFORN) NRINSJURFORN\n"
    " WHERE CDFORNECED   = NVLSTR(CDFORNECED.PARAM, CDFORNECED)\n"
    "   AND NRINSJURFORN = NVLSTR(NRINSJURFORN.PARAM, NRINSJURFORN)\n"
    " ORDER BY NRINSJURFORN";
const char* const kClientText =
    "SELECT CDCLIENTE, IDTPIJURCLIE, NRINSJURCLIE, NMRAZSOCCLIE\n"
    "  FROM CLIENTE, PARAM(:CDCLIENTE) CDCLIENTE, PARAM(:NRINSJURCLIE) NRINSJURCLIE\n"
    " WHERE CDCLIENTE    = NVLSTR(CDCLIENTE.PARAM, CDCLIENTE)\n"
    "   AND NRINSJURCLIE = NVLSTR(NRINSJURCLIE.PARAM, NRINSJURCLIE)\n"
    " ORDER BY NRINSJURCLIE\n ";
const char* const kBankText =
    "SELECT CONTCORR.CDBANCO,\n       CONTCORR.CDAGENCIA,\n       CONTCORR.CDCONTCORR,\n"
    "       CONTCORR.DSCONTCORR,\n       CONTCORR.CDREDUCONT,\n       BANCO.NMBANCO\n"
    "FROM CONTCORR, BANCO\n"
    "WHERE (CONTCORR.CDREDUCONT = :P_CDREDUCONT OR :P_TCDREDUCONT = 'T') AND\n"
    "   (CONTCORR.CDBANCO = BANCO.CDBANCO)\n"
    "ORDER BY CONTCORR.CDBANCO, CONTCORR.CDAGENCIA, CONTCORR.CDCONTCORR";

TEST_P(DatabaseTest, HelpersReturnTheirArgumentAndCoalesceNulls) {
    EXPECT_EQ(connection_->DialectName(), GetParam());
    auto r = connection_->Select("SELECT X.PARAM FROM PARAM(:V) X", {{"V", "abc"}});
    ASSERT_EQ(r.rows.size(), 1u);
    EXPECT_EQ(r.columns, std::vector<std::string>{"PARAM"});
    EXPECT_EQ(r.rows[0][0], "abc");
    r = connection_->Select("SELECT X.PARAM FROM PARAM(:V) X", {{"V", std::nullopt}});
    ASSERT_EQ(r.rows.size(), 1u);
    EXPECT_FALSE(r.rows[0][0].has_value());
    r = connection_->Select(
        "SELECT NVLSTR(:A, 'b') AS A1, NVLSTR(:N, 'b') AS A2, NVL(:N, 'c') AS A3",
        {{"A", "a"}, {"N", std::nullopt}});
    EXPECT_EQ(r.rows[0][0], "a");
    EXPECT_EQ(r.rows[0][1], "b");
    EXPECT_EQ(r.rows[0][2], "c");
}

TEST_P(DatabaseTest, CompanyTextFindsOneOrAllCompanies) {
    auto one = connection_->Select(kCompanyText, {{"P_CDEMPRESA", "02"}, {"P_TCDEMPRESA", ""}});
    EXPECT_EQ(one.columns, (std::vector<std::string>{"CDEMPRESA", "NMEMPRESA"}));
    EXPECT_EQ(Column(one, "NMEMPRESA"), std::vector<std::string>{"Distribuidora Serra Azul S.A."});
    auto all = connection_->Select(kCompanyText, {{"p_cdempresa", ""}, {"p_tcdempresa", "T"}});
    EXPECT_EQ(Column(all, "CDEMPRESA"), (std::vector<std::string>{"01", "02", "03"}));
    auto none = connection_->Select(kCompanyText, {{"P_CDEMPRESA", "9"}, {"P_TCDEMPRESA", ""}});
    EXPECT_TRUE(none.rows.empty());
}

TEST_P(DatabaseTest, AccountTextListsAnalyticCommercialAccountsInCodeOrder) {
    auto r = connection_->Select(kAccountText);
    const auto codes = Column(r, "CDCONTCTBL");
    EXPECT_TRUE(std::is_sorted(codes.begin(), codes.end()));
    EXPECT_EQ(codes.size(), 8u);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), "1.1.1.01.0001"), 0);  // no commercial type
    EXPECT_EQ(std::count(codes.begin(), codes.end(), "2.1.1"), 0);          // synthetic
    EXPECT_EQ(std::count(codes.begin(), codes.end(), "2.1.1.02.0001.001"), 1);
    EXPECT_EQ(Column(r, "IDLANCCOME"), Column(r, "IDTIPOCOME"));
}

TEST_P(DatabaseTest, SupplierAndClientTextsListAllWithANumberAndFilterByParameters) {
    auto all = connection_->Select(kSupplierText,
                                   {{"CDFORNECED", std::nullopt}, {"NRINSJURFORN", std::nullopt}});
    EXPECT_EQ(all.columns, (std::vector<std::string>{"CDFORNECED", "IDTPIJURFORN", "NRINSJURFORN",
                                                     "NMRAZSOCFORN"}));
    const auto codes = Column(all, "CDFORNECED");
    EXPECT_EQ(codes.size(), 9u);  // the supplier without a number matches nothing
    EXPECT_EQ(std::count(codes.begin(), codes.end(), "000006"), 0);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), "000005"), 1);  // inactive, still listed
    const auto numbers = Column(all, "NRINSJURFORN");
    EXPECT_TRUE(std::is_sorted(numbers.begin(), numbers.end()));

    auto one = connection_->Select(kSupplierText,
                                   {{"CDFORNECED", "000003"}, {"NRINSJURFORN", std::nullopt}});
    EXPECT_EQ(Column(one, "NMRAZSOCFORN"),
              std::vector<std::string>{"Transportadora Rápido Sul S.A."});
    auto byNumber = connection_->Select(
        kSupplierText, {{"CDFORNECED", std::nullopt}, {"NRINSJURFORN", "123.456.789-09"}});
    EXPECT_EQ(Column(byNumber, "CDFORNECED"), std::vector<std::string>{"000004"});

    auto clients = connection_->Select(
        kClientText, {{"CDCLIENTE", std::nullopt}, {"NRINSJURCLIE", std::nullopt}});
    EXPECT_EQ(Column(clients, "CDCLIENTE").size(), 9u);
}

TEST_P(DatabaseTest, BankTextJoinsEveryCurrentAccountWithItsBank) {
    auto r =
        connection_->Select(kBankText, {{"P_CDREDUCONT", std::nullopt}, {"P_TCDREDUCONT", "T"}});
    EXPECT_EQ(r.columns, (std::vector<std::string>{"CDBANCO", "CDAGENCIA", "CDCONTCORR",
                                                   "DSCONTCORR", "CDREDUCONT", "NMBANCO"}));
    EXPECT_EQ(r.rows.size(), 6u);
    EXPECT_EQ(r.rows[0][r.Column("NMBANCO")], "Banco do Brasil S.A.");
    auto one = connection_->Select(kBankText, {{"P_CDREDUCONT", "003"}, {"P_TCDREDUCONT", ""}});
    EXPECT_EQ(Column(one, "NMBANCO"), std::vector<std::string>{"Caixa Econômica Federal"});
}

TEST_P(DatabaseTest, ValuesAreBoundNeverSpliced) {
    const std::string hostile = "01' OR '1'='1";
    auto r = connection_->Select(kCompanyText, {{"P_CDEMPRESA", hostile}, {"P_TCDEMPRESA", ""}});
    EXPECT_TRUE(r.rows.empty());
    // A colon inside a quoted text is no parameter; a name used twice is bound twice.
    r = connection_->Select("SELECT ':X' AS A, :Y AS B, :Y AS C", {{"Y", "y"}});
    EXPECT_EQ(r.rows[0][0], ":X");
    EXPECT_EQ(r.rows[0][1], "y");
    EXPECT_EQ(r.rows[0][2], "y");
    EXPECT_THROW(connection_->Select("SELECT :MISSING AS A"), db::DbError);
    EXPECT_THROW(connection_->Select("SELECT * FROM NO_SUCH_TABLE"), db::DbError);
}

TEST_P(DatabaseTest, SchemaAndDemoDataCanBeAppliedAgain) {
    db::CreateSchema(*connection_);
    EXPECT_FALSE(db::LoadDemoData(*connection_));
    auto r = connection_->Select("SELECT COUNT(*) AS N FROM EMPRESA");
    EXPECT_EQ(r.rows[0][0], "3");
}

TEST_P(DatabaseTest, LedgerCoversEveryMonthAndEveryImplantedTotal) {
    auto months = connection_->Select(
        "SELECT COUNT(DISTINCT DTSALDO) AS N FROM SALDCTBL WHERE CDEMPRESA = :C", {{"C", "01"}});
    EXPECT_EQ(months.rows[0][0], "48");
    // Implanted totals within their ledger balance, with the ledger's sign.
    auto bad = connection_->Select(
        "SELECT S.CDEMPRESA FROM SALDCTBL L JOIN (SELECT CDEMPRESA, CDCONTCTBL, DTIMPSALDO,"
        " SUM(VRIMPSALDO) AS T FROM SALDCOME WHERE TIPSALDO = 'S'"
        " GROUP BY CDEMPRESA, CDCONTCTBL, DTIMPSALDO) S ON S.CDEMPRESA = L.CDEMPRESA AND"
        " S.CDCONTCTBL = L.CDCONTCTBL AND S.DTIMPSALDO = L.DTSALDO"
        " WHERE NOT ((L.VRSALDO >= 0 AND S.T >= 0 AND S.T <= L.VRSALDO) OR"
        "            (L.VRSALDO < 0 AND S.T <= 0 AND S.T >= L.VRSALDO))");
    EXPECT_TRUE(bad.rows.empty());
    auto kinds = connection_->Select(
        "SELECT IDSALDCOME, TIPSALDO, COUNT(*) AS N FROM SALDCOME GROUP BY IDSALDCOME, TIPSALDO");
    EXPECT_EQ(kinds.rows.size(), 6u);  // implanted and not implanted rows of every kind
}

TEST_P(DatabaseTest, ScaleCompanyHoldsTheRequestedRows) {
    db::LoadScaleCompany(*connection_, "98", "Empresa de Teste", 1000);
    auto r = connection_->Select("SELECT COUNT(*) AS N FROM SALDCOME WHERE CDEMPRESA = '98'");
    EXPECT_EQ(r.rows[0][0], "1000");
    db::LoadScaleCompany(*connection_, "97", "Outra Empresa de Teste", 10);  // reuses suppliers
    r = connection_->Select("SELECT COUNT(*) AS N FROM SALDCOME WHERE CDEMPRESA = '97'");
    EXPECT_EQ(r.rows[0][0], "10");
}

INSTANTIATE_TEST_SUITE_P(Backends, DatabaseTest, testing::Values("sqlite", "postgresql"),
                         testsupport::BackendName);

TEST(SqliteConnectionTest, UsesWalAndFullSynchronous) {
    TestDatabase database("sqlite");
    auto connection = Connection::Open(database.Url());
    EXPECT_EQ(connection->Select("PRAGMA journal_mode").rows[0][0], "wal");
    EXPECT_EQ(connection->Select("PRAGMA synchronous").rows[0][0], "2");
}

TEST(ConnectionTest, BadUrlsGiveAClearError) {
    try {
        Connection::Open("mysql://x");
        FAIL();
    } catch (const db::DbError& e) {
        EXPECT_NE(std::string(e.what()).find("não reconhecido"), std::string::npos);
    }
    try {
        Connection::Open("postgresql://host=127.0.0.1 port=1 password=segredo connect_timeout=2");
        FAIL();
    } catch (const db::DbError& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find("Não foi possível abrir"), std::string::npos);
        EXPECT_EQ(message.find("segredo"), std::string::npos);
    }
    EXPECT_THROW(Connection::Open("sqlite:/nonexistent/dir/x.db"), db::DbError);
}

}  // namespace

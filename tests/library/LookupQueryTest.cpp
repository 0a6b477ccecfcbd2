// TADOIBQuery on a real business database (SQLite, Firebird, and PostgreSQL when SALDO_TEST_PG
// names a server): which text runs, parameters, and the rows the screen's look-up queries
// select, built from the screen's own definitions, the same on every backend.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "db/Connection.h"
#include "library/TADOIBQuery.h"
#include "library/dtmDBGeral.h"
#include "platform/Exceptions.h"
#include "screen/LookupQueries.h"
#include "tests/support/TestDatabase.h"

using library::SqlDialect;
using library::TADOIBQuery;

namespace {

std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const platform::Error& e) {
        return e.what();
    }
    return "no error";
}

// Every value of a column of the query's rows, in order.
std::vector<std::string> Column(TADOIBQuery& query, const std::string& field) {
    std::vector<std::string> values;
    for (query.Query.First(); !query.Query.Eof(); query.Query.Next())
        values.push_back(query.Query.FieldByName(field).AsString());
    return values;
}

std::vector<std::string> Reference(db::Connection& c, const std::string& sql) {
    std::vector<std::string> values;
    for (const auto& row : c.Select(sql).rows) values.push_back(row[0].value_or("<null>"));
    return values;
}

bool Has(const std::vector<std::string>& v, const std::string& x) {
    return std::find(v.begin(), v.end(), x) != v.end();
}

// Points the client library's connection at a database for one scope.
class UseDatabase {
  public:
    explicit UseDatabase(const std::string& url) {
        if (const char* old = std::getenv("SALDO_DB")) old_ = old;
        setenv("SALDO_DB", url.c_str(), 1);
    }
    ~UseDatabase() {
        library::dtmDBGeral().Disconnect();
        if (old_)
            setenv("SALDO_DB", old_->c_str(), 1);
        else
            unsetenv("SALDO_DB");
    }
    UseDatabase(const UseDatabase&) = delete;
    UseDatabase& operator=(const UseDatabase&) = delete;

  private:
    std::optional<std::string> old_;
};

}  // namespace

TEST(QueryDialectTest, EachDialectRunsItsOwnTextElseSqlElseInterBase) {
    TADOIBQuery q;
    q.SetName("qryTeste");
    q.SQL = {"generic"};
    q.SQL_IB = {"ib"};
    q.SQL_ORACLE = {"oracle"};
    EXPECT_EQ(q.TextFor(SqlDialect::InterBase).front(), "ib");
    EXPECT_EQ(q.TextFor(SqlDialect::Oracle).front(), "oracle");
    EXPECT_EQ(q.TextFor(SqlDialect::MsSql).front(), "generic");
    EXPECT_EQ(q.TextFor(SqlDialect::Sqlite).front(), "generic");
    EXPECT_EQ(q.TextFor(SqlDialect::Postgresql).front(), "generic");
    q.SQL = {"  ", ""};  // blank lines are no text
    EXPECT_EQ(q.TextFor(SqlDialect::Sqlite).front(), "ib");
    EXPECT_EQ(q.TextFor(SqlDialect::MsSql).front(), "ib");
    q.SQL_IB.clear();
    const auto error = ErrorOf([&] { q.TextFor(SqlDialect::Sqlite); });
    EXPECT_NE(error.find("qryTeste"), std::string::npos) << error;
    EXPECT_NE(error.find("SQLite"), std::string::npos) << error;
}

TEST(QueryDialectTest, ParametersStartNullAndTakeText) {
    TADOIBQuery q;
    q.SetName("qryTeste");
    q.AddParam("P_CDEMPRESA");
    auto& p = q.ParamByName("p_cdempresa");
    EXPECT_TRUE(p.IsNull());
    p.SetAsString("");
    EXPECT_FALSE(p.IsNull());
    EXPECT_EQ(p.AsString(), "");
    p.Clear();
    EXPECT_TRUE(p.IsNull());
    const auto error = ErrorOf([&] { q.ParamByName("P_OUTRO"); });
    EXPECT_NE(error.find("P_OUTRO"), std::string::npos);
    EXPECT_NE(error.find("qryTeste"), std::string::npos);
}

class LookupQueryTest : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        SALDO_SKIP_UNAVAILABLE_BACKEND();
        database_ = std::make_unique<testsupport::TestDatabase>(GetParam());
        database_->Populate();
        use_ = std::make_unique<UseDatabase>(database_->Url());
        reference_ = db::Connection::Open(database_->Url());
    }
    void TearDown() override {
        use_.reset();
        reference_.reset();
        database_.reset();
    }

    std::unique_ptr<testsupport::TestDatabase> database_;
    std::unique_ptr<UseDatabase> use_;
    std::unique_ptr<db::Connection> reference_;
};

TEST_P(LookupQueryTest, SupplierListIncludesInactiveRowsAndLeavesOutNulls) {
    TADOIBQuery q;
    screen::DefineQryFornecedor(q);
    q.ParamByName("CDFORNECED").Clear();
    q.ParamByName("NRINSJURFORN").Clear();
    q.Open();
    const auto codes = Column(q, "CDFORNECED");
    EXPECT_EQ(codes, Reference(*reference_,
                               "SELECT CDFORNECED FROM FORNECEDOR WHERE CDFORNECED IS NOT NULL"
                               " AND NRINSJURFORN IS NOT NULL ORDER BY NRINSJURFORN"));
    EXPECT_TRUE(Has(codes, "000005"));   // inactive
    EXPECT_FALSE(Has(codes, "000006"));  // no registration number
    EXPECT_EQ(q.Query.FieldByName("NRINSJURFORN").DisplayLabel(), "Inscrição");

    q.ParamByName("CDFORNECED").SetAsString("000003");
    q.Open();
    EXPECT_EQ(Column(q, "CDFORNECED"), std::vector<std::string>{"000003"});
}

TEST_P(LookupQueryTest, ClientListIncludesInactiveRowsAndLeavesOutNulls) {
    TADOIBQuery q;
    screen::DefineQryCliente(q);
    q.Open();
    const auto codes = Column(q, "CDCLIENTE");
    EXPECT_EQ(codes, Reference(*reference_,
                               "SELECT CDCLIENTE FROM CLIENTE WHERE CDCLIENTE IS NOT NULL"
                               " AND NRINSJURCLIE IS NOT NULL ORDER BY NRINSJURCLIE"));
    EXPECT_TRUE(Has(codes, "C00004"));   // not active
    EXPECT_FALSE(Has(codes, "C00005"));  // no registration number
}

TEST_P(LookupQueryTest, BankListJoinsTheBanksName) {
    TADOIBQuery q;
    screen::DefineQryBanco(q);
    q.ParamByName("P_CDREDUCONT").Clear();
    q.ParamByName("P_TCDREDUCONT").SetAsString("T");
    q.Open();
    const auto reduced = Column(q, "CDREDUCONT");
    const auto names = Column(q, "NMBANCO");
    ASSERT_EQ(reduced.size(), 6u);
    EXPECT_EQ(reduced.front(), "001");
    EXPECT_EQ(names[0], "Banco do Brasil S.A.");
    EXPECT_EQ(names[1], "Banco do Brasil S.A.");  // two accounts of one bank
    EXPECT_EQ(names.back(), "Itaú Unibanco S.A.");

    q.ParamByName("P_TCDREDUCONT").SetAsString("");
    q.ParamByName("P_CDREDUCONT").SetAsString("004");
    q.Open();
    EXPECT_EQ(Column(q, "NMBANCO"), std::vector<std::string>{"Banco Bradesco S.A."});
}

TEST_P(LookupQueryTest, AccountListHoldsAnalyticCommercialAccountsInCodeOrder) {
    TADOIBQuery q;
    screen::DefineQryContCtbl(q);
    q.Open();
    const auto codes = Column(q, "CDCONTCTBL");
    EXPECT_EQ(codes, Reference(*reference_,
                               "SELECT CDCONTCTBL FROM CONTCTBL WHERE IDTIPOCONT = 'A'"
                               " AND IDTIPOCOME IS NOT NULL ORDER BY CDCONTCTBL"));
    EXPECT_FALSE(codes.empty());
    EXPECT_TRUE(std::is_sorted(codes.begin(), codes.end()));
    for (const auto& type : Column(q, "IDTIPOCONT")) EXPECT_EQ(type, "A");
    for (const auto& type : Column(q, "IDTIPOCOME")) EXPECT_FALSE(type.empty());
    EXPECT_FALSE(Has(codes, "1.1.1.01.0001"));  // analytic, but no commercial type
}

TEST_P(LookupQueryTest, CompanyQueryFindsOneOrLists) {
    TADOIBQuery q;
    screen::DefineQryEmpresa(q);
    q.ParamByName("P_CDEMPRESA").SetAsString("");
    q.ParamByName("P_TCDEMPRESA").SetAsString("T");
    q.Open();
    EXPECT_EQ(Column(q, "CDEMPRESA"), (std::vector<std::string>{"01", "02", "03"}));
    q.Close();
    EXPECT_FALSE(q.Active());
    q.ParamByName("P_CDEMPRESA").SetAsString("02");
    q.ParamByName("P_TCDEMPRESA").SetAsString("");
    q.Open();
    EXPECT_EQ(Column(q, "NMEMPRESA"), std::vector<std::string>{"Distribuidora Serra Azul S.A."});
    q.ParamByName("P_CDEMPRESA").SetAsString("99");
    q.Open();
    EXPECT_TRUE(q.IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Backends, LookupQueryTest, ::testsupport::Backends(),
                         testsupport::BackendName);

namespace {

using ParamValues = std::vector<std::pair<std::string, std::optional<std::string>>>;

struct LookupCases {
    void (*make)(TADOIBQuery&);
    std::vector<ParamValues> cases;
};

// Each look-up with the parameters the screen gives it, and with values a typed code could
// carry: empty, short, too long for the column, hostile, or null where the screen sets text.
std::vector<LookupCases> AllLookups() {
    const std::optional<std::string> null;
    return {
        {screen::DefineQryEmpresa,
         {{{"P_CDEMPRESA", ""}, {"P_TCDEMPRESA", "T"}},
          {{"P_CDEMPRESA", "02"}, {"P_TCDEMPRESA", ""}},
          {{"P_CDEMPRESA", "2"}, {"P_TCDEMPRESA", ""}},
          {{"P_CDEMPRESA", "99"}, {"P_TCDEMPRESA", ""}},
          {{"P_CDEMPRESA", "0123456789"}, {"P_TCDEMPRESA", "TT"}},
          {{"P_CDEMPRESA", "01' OR '1'='1"}, {"P_TCDEMPRESA", ""}},
          {{"P_CDEMPRESA", null}, {"P_TCDEMPRESA", "T"}},
          {{"P_CDEMPRESA", null}, {"P_TCDEMPRESA", null}}}},
        {screen::DefineQryContCtbl, {{}}},
        {screen::DefineQryFornecedor,
         {{{"CDFORNECED", null}, {"NRINSJURFORN", null}},
          {{"CDFORNECED", "000003"}, {"NRINSJURFORN", null}},
          {{"CDFORNECED", null}, {"NRINSJURFORN", "123.456.789-09"}},
          {{"CDFORNECED", "000004"}, {"NRINSJURFORN", "123.456.789-09"}},
          {{"CDFORNECED", "000006"}, {"NRINSJURFORN", null}},
          {{"CDFORNECED", ""}, {"NRINSJURFORN", null}},
          {{"CDFORNECED", std::string(40, '9')}, {"NRINSJURFORN", null}}}},
        {screen::DefineQryCliente,
         {{{"CDCLIENTE", null}, {"NRINSJURCLIE", null}},
          {{"CDCLIENTE", "C00004"}, {"NRINSJURCLIE", null}},
          {{"CDCLIENTE", null}, {"NRINSJURCLIE", "111.222.333-96"}},
          {{"CDCLIENTE", "C00005"}, {"NRINSJURCLIE", null}}}},
        {screen::DefineQryBanco,
         {{{"P_CDREDUCONT", null}, {"P_TCDREDUCONT", "T"}},
          {{"P_CDREDUCONT", "003"}, {"P_TCDREDUCONT", ""}},
          {{"P_CDREDUCONT", "0030"}, {"P_TCDREDUCONT", ""}},
          {{"P_CDREDUCONT", ""}, {"P_TCDREDUCONT", "T"}},
          {{"P_CDREDUCONT", null}, {"P_TCDREDUCONT", ""}},
          {{"P_CDREDUCONT", null}, {"P_TCDREDUCONT", null}}}},
    };
}

// Every row of every case, as "query case: field|field|...", sorted within a case so that a
// backend's collation cannot tell two equal answers apart.
std::vector<std::string> RowsOf(const std::string& url) {
    UseDatabase use(url);
    std::vector<std::string> out;
    for (const auto& lookup : AllLookups()) {
        for (std::size_t c = 0; c < lookup.cases.size(); ++c) {
            TADOIBQuery q;
            lookup.make(q);
            for (const auto& [name, value] : lookup.cases[c]) {
                if (value)
                    q.ParamByName(name).SetAsString(*value);
                else
                    q.ParamByName(name).Clear();
            }
            q.Open();
            std::vector<std::string> rows;
            for (q.Query.First(); !q.Query.Eof(); q.Query.Next()) {
                std::string row = q.Name() + " " + std::to_string(c) + ":";
                for (int f = 0; f < q.Query.FieldCount(); ++f)
                    row += q.Query.Fields(f).AsString() + "|";
                rows.push_back(row);
            }
            if (rows.empty()) rows.push_back(q.Name() + " " + std::to_string(c) + ": none");
            std::sort(rows.begin(), rows.end());
            out.insert(out.end(), rows.begin(), rows.end());
        }
    }
    return out;
}

}  // namespace

// The screen's look-up texts run as they are on each backend (SQL_IB on Firebird) and must
// list the same rows everywhere, nulls and odd values included.
TEST(LookupAcrossBackendsTest, EveryLookupListsTheSameRowsOnEveryBackend) {
    std::map<std::string, std::vector<std::string>> rows;
    for (const std::string backend : {"sqlite", "postgresql", "firebird"}) {
        if (testsupport::SkipUnavailable(backend)) continue;
        testsupport::TestDatabase database(backend);
        database.Populate();
        rows[backend] = RowsOf(database.Url());
    }
    const auto& reference = rows.at("sqlite");
    for (const auto& [backend, list] : rows) EXPECT_EQ(list, reference) << backend;

    // The bank look-up as the screen opens it lists every current account on Firebird.
    const std::string bankAll = "qryBanco 0:";
    EXPECT_EQ(std::count_if(rows.at("firebird").begin(), rows.at("firebird").end(),
                            [&](const std::string& r) { return r.starts_with(bankAll); }),
              6);
}

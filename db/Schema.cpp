// Table definitions, common to SQLite, PostgreSQL and Firebird but for a few dialect details.
// Names are unquoted so that PostgreSQL and Firebird fold them and the look-up texts find them in
// any letter case. Money is stored in integer cents.
#include "db/Schema.h"

#include <soci/soci.h>

#include <string>
#include <vector>

#include "db/Connection.h"
#include "db/DbError.h"
#include "db/detail/Firebird.h"

namespace db {

namespace {

const char* const kTables[] = {
    R"(CREATE TABLE IF NOT EXISTS EMPRESA (
        CDEMPRESA VARCHAR(2) NOT NULL PRIMARY KEY,
        NMEMPRESA VARCHAR(50) NOT NULL))",
    R"(CREATE TABLE IF NOT EXISTS CONTCTBL (
        CDCONTCTBL   VARCHAR(20) NOT NULL PRIMARY KEY,
        CDCONTREDU   VARCHAR(20),
        CDRATEIO     VARCHAR(3),
        NMCONTCTBL   VARCHAR(40) NOT NULL,
        CDNVCONTCTBL VARCHAR(1),
        IDTIPOCONT   VARCHAR(1) NOT NULL CHECK (IDTIPOCONT IN ('A', 'S')),
        IDCONTCCUS   VARCHAR(1),
        IDTIPOCOME   VARCHAR(1)))",
    R"(CREATE TABLE IF NOT EXISTS FORNECEDOR (
        CDFORNECED   VARCHAR(21) NOT NULL PRIMARY KEY,
        IDTPIJURFORN VARCHAR(1),
        NRINSJURFORN VARCHAR(20),
        NMRAZSOCFORN VARCHAR(50) NOT NULL,
        IDSITUCADA   VARCHAR(1)))",
    R"(CREATE TABLE IF NOT EXISTS CLIENTE (
        CDCLIENTE    VARCHAR(21) NOT NULL PRIMARY KEY,
        IDTPIJURCLIE VARCHAR(1),
        NRINSJURCLIE VARCHAR(20),
        NMRAZSOCCLIE VARCHAR(50) NOT NULL,
        IDCLIEATIV   VARCHAR(1)))",
    R"(CREATE TABLE IF NOT EXISTS BANCO (
        CDBANCO VARCHAR(3) NOT NULL PRIMARY KEY,
        NMBANCO VARCHAR(30) NOT NULL))",
    R"(CREATE TABLE IF NOT EXISTS CONTCORR (
        CDREDUCONT VARCHAR(3) NOT NULL PRIMARY KEY,
        CDBANCO    VARCHAR(3) NOT NULL REFERENCES BANCO (CDBANCO),
        CDAGENCIA  VARCHAR(5) NOT NULL,
        CDCONTCORR VARCHAR(10) NOT NULL,
        DSCONTCORR VARCHAR(20)))",
    // One opening balance: company, kind (F supplier, C client, B bank), owner, ledger
    // account, month (its last day). The key's order serves the read of one company's kind.
    R"(CREATE TABLE IF NOT EXISTS SALDCOME (
        CDEMPRESA  VARCHAR(2) NOT NULL REFERENCES EMPRESA (CDEMPRESA),
        IDSALDCOME VARCHAR(1) NOT NULL CHECK (IDSALDCOME IN ('F', 'C', 'B')),
        DTIMPSALDO DATE NOT NULL,
        CDCONTCTBL VARCHAR(16) NOT NULL REFERENCES CONTCTBL (CDCONTCTBL),
        CDSALDCOME VARCHAR(21) NOT NULL,
        VRIMPSALDO BIGINT NOT NULL,
        TIPSALDO   VARCHAR(1) NOT NULL CHECK (TIPSALDO IN ('S', 'N')),
        PRIMARY KEY (CDEMPRESA, IDSALDCOME, DTIMPSALDO, CDCONTCTBL, CDSALDCOME)))",
    // The balance check sums one account's and month's implanted balances from this index alone
    // (it holds the flag and the value), whatever the company's size; it also serves the
    // tie-out's totals per account and month. It replaces SALDCOME_CONTA (its first three
    // columns), which databases made before it keep.
    R"(CREATE INDEX IF NOT EXISTS SALDCOME_IMPLANTADO ON SALDCOME
        (CDEMPRESA, CDCONTCTBL, DTIMPSALDO, TIPSALDO, VRIMPSALDO))",
    // The ledger account's balance at the end of a month; credit positive.
    R"(CREATE TABLE IF NOT EXISTS SALDCTBL (
        CDEMPRESA  VARCHAR(2) NOT NULL REFERENCES EMPRESA (CDEMPRESA),
        CDCONTCTBL VARCHAR(20) NOT NULL REFERENCES CONTCTBL (CDCONTCTBL),
        DTSALDO    DATE NOT NULL,
        VRSALDO    BIGINT NOT NULL,
        PRIMARY KEY (CDEMPRESA, CDCONTCTBL, DTSALDO)))",
    // The outcome of every save that came with a request key, so that the same save sent
    // again is answered with it instead of being applied twice: S stored, R refused by a
    // rule, C refused for a conflict. NRMOMENTO (UTC seconds since 1970) lets old keys go.
    R"(CREATE TABLE IF NOT EXISTS SALDREQU (
        CHREQUISICAO VARCHAR(64) NOT NULL PRIMARY KEY,
        CDEMPRESA    VARCHAR(2) NOT NULL,
        IDSALDCOME   VARCHAR(1) NOT NULL,
        NRMOMENTO    BIGINT NOT NULL,
        IDRESULTADO  VARCHAR(1) NOT NULL CHECK (IDRESULTADO IN ('S', 'R', 'C')),
        DSRESULTADO  VARCHAR(1000)))",
    R"(CREATE INDEX IF NOT EXISTS SALDREQU_MOMENTO ON SALDREQU (NRMOMENTO))",
    // The audit trail: one line per changed row of every accepted change packet, written in
    // the packet's transaction and never changed afterwards. NRSEQUENCIA numbers the packets
    // in the order the server accepted them; the values before and after are the row's stored
    // ones (null on the side an insertion or a deletion lacks).
    R"(CREATE TABLE IF NOT EXISTS SALDAUDI (
        NRSEQUENCIA  BIGINT NOT NULL,
        NRITEM       INTEGER NOT NULL,
        DTREGISTRO   VARCHAR(20) NOT NULL,
        CDEMPRESA    VARCHAR(2) NOT NULL,
        IDSALDCOME   VARCHAR(1) NOT NULL,
        DSENDERECO   VARCHAR(64),
        NMUSUARIO    VARCHAR(64),
        CHREQUISICAO VARCHAR(64),
        IDALTERACAO  VARCHAR(1) NOT NULL CHECK (IDALTERACAO IN ('I', 'M', 'D')),
        DTANTES      VARCHAR(10),
        CDCONTANTES  VARCHAR(16),
        CDSALDANTES  VARCHAR(21),
        VRANTES      BIGINT,
        TIPANTES     VARCHAR(1),
        DTDEPOIS     VARCHAR(10),
        CDCONTDEPOIS VARCHAR(16),
        CDSALDDEPOIS VARCHAR(21),
        VRDEPOIS     BIGINT,
        TIPDEPOIS    VARCHAR(1),
        PRIMARY KEY (NRSEQUENCIA, NRITEM)))",
    R"(CREATE INDEX IF NOT EXISTS SALDAUDI_EMPRESA ON SALDAUDI (CDEMPRESA, IDSALDCOME))",
};

// PostgreSQL's PARAM returns a one-column composite, so that "PARAM(:X) ALIAS" keeps the
// column name PARAM instead of taking the alias as a scalar function's column would.
const char* const kPostgresHelpers[] = {
    R"(DO $$ BEGIN
         IF to_regtype('param_row') IS NULL THEN CREATE TYPE param_row AS (param text); END IF;
       END $$)",
    R"(CREATE OR REPLACE FUNCTION param(text) RETURNS SETOF param_row
         LANGUAGE sql IMMUTABLE AS $$ SELECT $1 $$)",
    R"(CREATE OR REPLACE FUNCTION nvlstr(text, text) RETURNS text
         LANGUAGE sql IMMUTABLE AS $$ SELECT COALESCE($1, $2) $$)",
    R"(CREATE OR REPLACE FUNCTION nvl(anycompatible, anycompatible) RETURNS anycompatible
         LANGUAGE sql IMMUTABLE AS $$ SELECT COALESCE($1, $2) $$)",
};

// Firebird's PARAM is a selectable procedure and NVLSTR and NVL are PSQL functions, all on
// texts of the size every statement parameter is cast to. Each is created when missing.
struct FirebirdHelper {
    const char* name;
    const char* catalogue;  // the system table listing objects of its kind
    const char* column;
    std::string definition;
};

std::vector<FirebirdHelper> FirebirdHelpers() {
    const std::string text = "VARCHAR(" + std::to_string(detail::kFirebirdParamChars) + ")";
    return {
        {"PARAM", "RDB$PROCEDURES", "RDB$PROCEDURE_NAME",
         "CREATE PROCEDURE PARAM (P " + text + ") RETURNS (PARAM " + text +
             ") AS BEGIN PARAM = P; SUSPEND; END"},
        {"NVLSTR", "RDB$FUNCTIONS", "RDB$FUNCTION_NAME",
         "CREATE FUNCTION NVLSTR (A " + text + ", B " + text + ") RETURNS " + text +
             " AS BEGIN RETURN COALESCE(A, B); END"},
        {"NVL", "RDB$FUNCTIONS", "RDB$FUNCTION_NAME",
         "CREATE FUNCTION NVL (A " + text + ", B " + text + ") RETURNS " + text +
             " AS BEGIN RETURN COALESCE(A, B); END"},
    };
}

bool FirebirdHas(Connection& connection, const std::string& catalogue, const std::string& column,
                 const std::string& name) {
    const auto found = connection.Select(
        "SELECT COUNT(*) FROM " + catalogue + " WHERE " + column + " = :NAME", {{"NAME", name}});
    return found.rows.at(0).at(0) != "0";
}

// Firebird 3 has no CREATE ... IF NOT EXISTS: the object is looked up in the catalogue first.
// Returns the statement to run, or an empty text when the object is there.
std::string FirebirdStatement(Connection& connection, const std::string& sql) {
    const std::string marker = "IF NOT EXISTS ";
    const std::size_t at = sql.find(marker);
    if (at == std::string::npos) return sql;
    const std::size_t start = at + marker.size();
    const std::string name = sql.substr(start, sql.find_first_of(" (", start) - start);
    const bool index = sql.find("CREATE INDEX") == 0;
    if (FirebirdHas(connection, index ? "RDB$INDICES" : "RDB$RELATIONS",
                    index ? "RDB$INDEX_NAME" : "RDB$RELATION_NAME", name)) {
        return "";
    }
    return sql.substr(0, at) + sql.substr(start);
}

}  // namespace

void CreateSchema(Connection& connection) {
    try {
        WriteTransaction transaction(connection);
        if (connection.GetDialect() == Dialect::Firebird) {
            for (const char* sql : kTables) {
                const std::string text = FirebirdStatement(connection, sql);
                if (!text.empty()) connection.Session() << text;
            }
            if (!FirebirdHas(connection, "RDB$GENERATORS", "RDB$GENERATOR_NAME",
                             kAuditSequence.name)) {
                connection.Session() << "CREATE SEQUENCE " << kAuditSequence.name;
            }
            for (const auto& helper : FirebirdHelpers()) {
                if (!FirebirdHas(connection, helper.catalogue, helper.column, helper.name)) {
                    connection.Session() << helper.definition;
                }
            }
            transaction.Commit();
            return;
        }
        // "already exists, skipping" for every table would fill a server's log at each start.
        if (connection.GetDialect() == Dialect::Postgresql)
            connection.Session() << "SET LOCAL client_min_messages = warning";
        for (const char* sql : kTables) {
            std::string text = sql;
            if (connection.GetDialect() == Dialect::Sqlite &&
                text.find("TABLE") != std::string::npos &&
                text.find("PRIMARY KEY (") != std::string::npos) {
                text += " WITHOUT ROWID";
            }
            connection.Session() << text;
        }
        if (connection.GetDialect() == Dialect::Postgresql) {
            for (const char* sql : kPostgresHelpers) connection.Session() << sql;
            connection.Session() << "CREATE SEQUENCE IF NOT EXISTS " << kAuditSequence.name;
        }
        transaction.Commit();
    } catch (const soci::soci_error& e) {
        throw DbError(std::string("Não foi possível criar as tabelas: ") + e.what());
    }
}

}  // namespace db

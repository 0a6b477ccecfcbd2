// Table definitions, common to SQLite and PostgreSQL but for a few dialect details. Names are
// unquoted so that PostgreSQL folds them and the look-up texts find them in any letter case.
// Money is stored in integer cents.
#include "db/Schema.h"

#include <soci/soci.h>

#include <string>

#include "db/Connection.h"
#include "db/DbError.h"

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
    R"(CREATE INDEX IF NOT EXISTS SALDCOME_CONTA ON SALDCOME (CDEMPRESA, CDCONTCTBL, DTIMPSALDO))",
    // The ledger account's balance at the end of a month; credit positive.
    R"(CREATE TABLE IF NOT EXISTS SALDCTBL (
        CDEMPRESA  VARCHAR(2) NOT NULL REFERENCES EMPRESA (CDEMPRESA),
        CDCONTCTBL VARCHAR(20) NOT NULL REFERENCES CONTCTBL (CDCONTCTBL),
        DTSALDO    DATE NOT NULL,
        VRSALDO    BIGINT NOT NULL,
        PRIMARY KEY (CDEMPRESA, CDCONTCTBL, DTSALDO)))",
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

}  // namespace

void CreateSchema(Connection& connection) {
    try {
        WriteTransaction transaction(connection);
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
        }
        transaction.Commit();
    } catch (const soci::soci_error& e) {
        throw DbError(std::string("Não foi possível criar as tabelas: ") + e.what());
    }
}

}  // namespace db

// Table definitions, common to SQLite, PostgreSQL and Firebird; each dialect object adds its own
// details when it creates them.
// Names are unquoted so that PostgreSQL and Firebird fold them and the look-up texts find them in
// any letter case. Money is stored in integer cents.
#include "db/Schema.h"

#include <soci/soci.h>

#include <string>

#include "db/Connection.h"
#include "db/DbError.h"
#include "db/detail/Backend.h"

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
    // The tie-out sums a company's balances per account and month from this index alone (it
    // holds the flag and the value). It replaces SALDCOME_CONTA (its first three columns), which
    // databases made before it keep.
    R"(CREATE INDEX IF NOT EXISTS SALDCOME_IMPLANTADO ON SALDCOME
        (CDEMPRESA, CDCONTCTBL, DTIMPSALDO, TIPSALDO, VRIMPSALDO))",
    // The implanted balances' total per company, ledger account and month, kept by triggers on
    // SALDCOME in every writer's transaction, so that the balance check reads one row instead of
    // summing a group that grows with the company.
    R"(CREATE TABLE IF NOT EXISTS SALDTOTA (
        CDEMPRESA  VARCHAR(2) NOT NULL,
        CDCONTCTBL VARCHAR(16) NOT NULL,
        DTIMPSALDO DATE NOT NULL,
        VRIMPTOTAL BIGINT NOT NULL,
        PRIMARY KEY (CDEMPRESA, CDCONTCTBL, DTIMPSALDO)))",
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
    // The people the server serves: a password kept only as its Argon2id hash (null: none set,
    // so only the local socket identifies the user), locked (S) or not (N), created when (UTC).
    R"(CREATE TABLE IF NOT EXISTS SALDUSUA (
        NMUSUARIO   VARCHAR(64) NOT NULL PRIMARY KEY,
        DSSENHA     VARCHAR(255),
        IDBLOQUEIO  VARCHAR(1) NOT NULL CHECK (IDBLOQUEIO IN ('S', 'N')),
        DTCRIACAO   VARCHAR(20) NOT NULL))",
    // A user's right on one company's balances ("*": every company): C consulta, L lançamento.
    R"(CREATE TABLE IF NOT EXISTS SALDDIRE (
        NMUSUARIO  VARCHAR(64) NOT NULL REFERENCES SALDUSUA (NMUSUARIO),
        CDEMPRESA  VARCHAR(2) NOT NULL,
        IDDIREITO  VARCHAR(1) NOT NULL CHECK (IDDIREITO IN ('C', 'L')),
        PRIMARY KEY (NMUSUARIO, CDEMPRESA)))",
    // Open sessions, by the SHA-256 (hex) of their token, so that the table gives no usable
    // token; NRCRIACAO and NRVALIDADE in UTC seconds since 1970.
    R"(CREATE TABLE IF NOT EXISTS SALDSESS (
        CHSESSAO   VARCHAR(64) NOT NULL PRIMARY KEY,
        NMUSUARIO  VARCHAR(64) NOT NULL REFERENCES SALDUSUA (NMUSUARIO),
        NRCRIACAO  BIGINT NOT NULL,
        NRVALIDADE BIGINT NOT NULL))",
    R"(CREATE INDEX IF NOT EXISTS SALDSESS_USUARIO ON SALDSESS (NMUSUARIO))",
};

}  // namespace

void RebuildImplantedTotals(Connection& connection, const std::string& company) {
    const std::string oneCompany = company.empty() ? "" : " AND CDEMPRESA = :company";
    const Params params = company.empty() ? Params{} : Params{{"company", company}};
    connection.Execute(company.empty() ? "DELETE FROM SALDTOTA"
                                       : "DELETE FROM SALDTOTA WHERE CDEMPRESA = :company",
                       params);
    connection.Execute(
        "INSERT INTO SALDTOTA (CDEMPRESA, CDCONTCTBL, DTIMPSALDO, VRIMPTOTAL)"
        " SELECT CDEMPRESA, CDCONTCTBL, DTIMPSALDO, CAST(SUM(VRIMPSALDO) AS BIGINT) FROM SALDCOME"
        " WHERE TIPSALDO = 'S'" +
            oneCompany + " GROUP BY CDEMPRESA, CDCONTCTBL, DTIMPSALDO",
        params);
}

void CreateSchema(Connection& connection) {
    try {
        {
            WriteTransaction transaction(connection);
            connection.backend_->CreateSchema(kTables, kAuditSequence);
            transaction.Commit();
        }
        // A transaction of its own: Firebird lets a new table be written only once its creation
        // is committed. A database made before the totals gets them filled in the transaction
        // that creates their triggers, so that no balance is missed between the two (on
        // Firebird, where triggers take effect at the commit, only with no other writer).
        WriteTransaction transaction(connection);
        if (connection.backend_->CreateKeptSum(kImplantedTotals))
            RebuildImplantedTotals(connection);
        transaction.Commit();
    } catch (const soci::soci_error& e) {
        throw DbError(std::string("Não foi possível criar as tabelas: ") + e.what());
    }
}

}  // namespace db

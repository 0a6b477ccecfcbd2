// The look-up queries' texts, parameters and fields.
#include "screen/LookupQueries.h"

#include <string>
#include <vector>

namespace screen {

namespace {

using Lines = std::vector<std::string>;

Lines EmpresaSQL() {
    return {
        "SELECT CDEMPRESA, NMEMPRESA",
        "  FROM EMPRESA",
        " WHERE (CDEMPRESA = :P_CDEMPRESA OR :P_TCDEMPRESA = 'T')",
        " ORDER BY CDEMPRESA",
    };
}

Lines ContCtblSQL() {
    return {
        "SELECT CDCONTCTBL,   CDCONTREDU,",
        "       NMCONTCTBL,   CDRATEIO,",
        "       CDNVCONTCTBL, IDTIPOCONT,",
        "       IDCONTCCUS,   IDTIPOCOME, IDTIPOCOME IDLANCCOME",
        "  FROM CONTCTBL",
        " WHERE IDTIPOCONT = 'A'",
        "   AND IDTIPOCOME IS NOT NULL",
        " ORDER BY CDCONTCTBL, CDNVCONTCTBL",
    };
}

Lines FornecedorSQL_ORACLE() {
    return {
        "SELECT CDFORNECED, IDTPIJURFORN, ",
        "       REPLACE(REPLACE(REPLACE(REPLACE(NRINSJURFORN, '.'), '/'), '-'), '') AS "
        "NRINSJURFORN, ",
        "       NMRAZSOCFORN",
        "  FROM FORNECEDOR",
        " WHERE CDFORNECED   = NVL(:CDFORNECED, CDFORNECED)",
        "   AND NRINSJURFORN = NVL(:NRINSJURFORN, NRINSJURFORN)",
        "   AND IDSITUCADA <> 'I'",
        " ORDER BY NRINSJURFORN",
    };
}

Lines FornecedorSQL_MSSQL() {
    return {
        "SELECT CDFORNECED, IDTPIJURFORN, NRINSJURFORN, NMRAZSOCFORN",
        "  FROM FORNECEDOR",
        " WHERE CDFORNECED   = ISNULL(:CDFORNECED, CDFORNECED)",
        "   AND NRINSJURFORN = ISNULL(:NRINSJURFORN, NRINSJURFORN)",
        " ORDER BY NRINSJURFORN",
        " ",
        " ",
    };
}

Lines FornecedorSQL_IB() {
    return {
        "SELECT CDFORNECED, IDTPIJURFORN, NRINSJURFORN, NMRAZSOCFORN",
        "  FROM FORNECEDOR, PARAM(:CDFORNECED) CDFORNECED, PARAM(:NRINSJURFORN) NRINSJURFORN",
        " WHERE CDFORNECED   = NVLSTR(CDFORNECED.PARAM, CDFORNECED)",
        "   AND NRINSJURFORN = NVLSTR(NRINSJURFORN.PARAM, NRINSJURFORN)",
        " ORDER BY NRINSJURFORN",
    };
}

Lines ClienteSQL_ORACLE() {
    return {
        "SELECT CDCLIENTE, IDTPIJURCLIE, ",
        "       REPLACE(REPLACE(REPLACE(REPLACE(NRINSJURCLIE, '.'), '/'), '-'), '') AS "
        "NRINSJURCLIE,",
        "       NMRAZSOCCLIE",
        "  FROM CLIENTE",
        " WHERE CDCLIENTE    = NVL(:CDCLIENTE, CDCLIENTE)",
        "   AND NRINSJURCLIE = NVL(:NRINSJURCLIE, NRINSJURCLIE)",
        "   AND IDCLIEATIV <> 'N'",
        " ORDER BY NRINSJURCLIE",
    };
}

Lines ClienteSQL_IB() {
    return {
        "SELECT CDCLIENTE, IDTPIJURCLIE, NRINSJURCLIE, NMRAZSOCCLIE",
        "  FROM CLIENTE, PARAM(:CDCLIENTE) CDCLIENTE, PARAM(:NRINSJURCLIE) NRINSJURCLIE",
        " WHERE CDCLIENTE    = NVLSTR(CDCLIENTE.PARAM, CDCLIENTE)",
        "   AND NRINSJURCLIE = NVLSTR(NRINSJURCLIE.PARAM, NRINSJURCLIE)",
        " ORDER BY NRINSJURCLIE",
        " ",
    };
}

Lines BancoSQL() {
    return {
        "SELECT CONTCORR.CDBANCO,",
        "       CONTCORR.CDAGENCIA,",
        "       CONTCORR.CDCONTCORR,",
        "       CONTCORR.DSCONTCORR,",
        "       CONTCORR.CDREDUCONT,",
        "       BANCO.NMBANCO",
        "FROM CONTCORR, BANCO",
        "WHERE (CONTCORR.CDREDUCONT = :P_CDREDUCONT OR :P_TCDREDUCONT = 'T') AND",
        "   (CONTCORR.CDBANCO = BANCO.CDBANCO)",
        "ORDER BY CONTCORR.CDBANCO, CONTCORR.CDAGENCIA, CONTCORR.CDCONTCORR",
    };
}

}  // namespace

void DefineQryEmpresa(library::TADOIBQuery& query) {
    query.SetName("qryEmpresa");
    query.SQL = query.SQL_ORACLE = query.SQL_MSSQL = query.SQL_IB = EmpresaSQL();
    query.AddParam("P_CDEMPRESA");
    query.AddParam("P_TCDEMPRESA");
    query.AddField("CDEMPRESA", 2, "Código", 0, true);
    query.AddField("NMEMPRESA", 50, "Nome", 0, true);
}

void DefineQryContCtbl(library::TADOIBQuery& query) {
    query.SetName("qryContCtbl");
    query.SQL = ContCtblSQL();
    query.AddField("CDCONTREDU", 20, "Cód. Reduzido", 20, true);
    query.AddField("CDCONTCTBL", 20, "Código", 20, true);
    query.AddField("CDRATEIO", 3, "", 3, false);
    query.AddField("NMCONTCTBL", 40, "Nome", 40, true);
    query.AddField("CDNVCONTCTBL", 1, "", 1, false);
    query.AddField("IDTIPOCONT", 1, "", 1, false);
    query.AddField("IDCONTCCUS", 1, "", 1, false);
    query.AddField("IDTIPOCOME", 1, "", 1, false);
}

void DefineQryFornecedor(library::TADOIBQuery& query) {
    query.SetName("qryFornecedor");
    query.SQL_ORACLE = FornecedorSQL_ORACLE();
    query.SQL_MSSQL = FornecedorSQL_MSSQL();
    query.SQL_IB = FornecedorSQL_IB();
    query.AddParam("CDFORNECED");
    query.AddParam("NRINSJURFORN");
    query.AddField("CDFORNECED", 21, "Código", 21, false);
    query.AddField("IDTPIJURFORN", 1, "", 1, false);
    query.AddField("NRINSJURFORN", 20, "Inscrição", 20, true);
    query.AddField("NMRAZSOCFORN", 40, "Razão Social", 40, true);
}

void DefineQryCliente(library::TADOIBQuery& query) {
    query.SetName("qryCliente");
    query.SQL_ORACLE = ClienteSQL_ORACLE();
    query.SQL_IB = ClienteSQL_IB();
    query.AddParam("CDCLIENTE");
    query.AddParam("NRINSJURCLIE");
    query.AddField("CDCLIENTE", 21, "Código", 21, false);
    query.AddField("IDTPIJURCLIE", 1, "", 1, false);
    query.AddField("NRINSJURCLIE", 20, "Inscrição", 20, true);
    query.AddField("NMRAZSOCCLIE", 40, "Razão Social", 40, true);
}

void DefineQryBanco(library::TADOIBQuery& query) {
    query.SetName("qryBanco");
    query.SQL = BancoSQL();
    query.AddParam("P_CDREDUCONT");
    query.AddParam("P_TCDREDUCONT");
    query.AddField("CDREDUCONT", 3, "Cód. Red.", 3, true);
    query.AddField("NMBANCO", 30, "Banco", 30, true);
    query.AddField("CDAGENCIA", 5, "Agência", 5, true);
    query.AddField("CDCONTCORR", 10, "Conta", 10, true);
    query.AddField("CDBANCO", 3, "Cód. Banco", 3, true);
    query.AddField("DSCONTCORR", 20, "", 20, false);
}

}  // namespace screen

// The look-up texts, line by line as the queries hold them (trailing blank lines included).
#include "screen/QueryTexts.h"

namespace screen {

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

}  // namespace screen

// The balance screen's look-up queries as the screen declares them: name, one text per
// dialect (line by line, trailing blank lines included), parameters and result fields. The
// screen builds its queries with these, and the library's tests run the same definitions.
#pragma once

#include "library/TADOIBQuery.h"

namespace screen {

// Companies, one by code or all of them (P_TCDEMPRESA 'T'); the same text for every dialect.
void DefineQryEmpresa(library::TADOIBQuery& query);
// Analytic ledger accounts that have a commercial type.
void DefineQryContCtbl(library::TADOIBQuery& query);
// Suppliers: Oracle strips the registration punctuation and leaves inactive ones out.
void DefineQryFornecedor(library::TADOIBQuery& query);
// Clients: the same split as the suppliers, with no MSSQL text.
void DefineQryCliente(library::TADOIBQuery& query);
// Bank current accounts with their bank's name, one by reduced code or all (P_TCDREDUCONT 'T').
void DefineQryBanco(library::TADOIBQuery& query);

}  // namespace screen

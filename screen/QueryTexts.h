// The SQL texts of the balance screen's look-up queries, one list of lines per dialect text.
#pragma once

#include <string>
#include <vector>

namespace screen {

using Lines = std::vector<std::string>;

// Companies; the same statement serves every dialect.
Lines EmpresaSQL();
// Analytic ledger accounts that have a commercial type.
Lines ContCtblSQL();
// Suppliers: Oracle strips the registration punctuation and leaves inactive ones out.
Lines FornecedorSQL_ORACLE();
Lines FornecedorSQL_MSSQL();
Lines FornecedorSQL_IB();
// Clients: the same split as the suppliers, with no MSSQL text.
Lines ClienteSQL_ORACLE();
Lines ClienteSQL_IB();
// Bank current accounts with their bank's name.
Lines BancoSQL();

}  // namespace screen

// Demonstration data in Portuguese: companies, a chart of accounts, suppliers, clients, banks and
// current accounts, ledger balances for 2023 to 2026, and opening balances of every kind.
#pragma once

#include <cstdint>
#include <string>

namespace db {

class Connection;

// Loads the demonstration data into an empty schema. Returns false, loading nothing, when the
// database already holds companies.
bool LoadDemoData(Connection& connection);

// Adds a large company (code and name given) holding `rows` supplier balances spread over the
// 48 months of 2023 to 2026, creating the suppliers it needs. For benchmarks.
void LoadScaleCompany(Connection& connection, const std::string& company, const std::string& name,
                      std::int64_t rows);

}  // namespace db

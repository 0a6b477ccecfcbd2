// The business database's tables: the look-up tables the screen's lists read, the commercial
// balances, and the ledger-account balances that bound them.
#pragma once

namespace db {

class Connection;

// Creates every table, index and helper function that is missing; safe to run again.
void CreateSchema(Connection& connection);

}  // namespace db

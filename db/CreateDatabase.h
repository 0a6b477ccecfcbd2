// Making the database a URL names, where making it is the application's part.
#pragma once

#include <string>

namespace db {

// Makes sure the database exists before it is opened: creates an SQLite file's folder (the file
// itself appears when first opened) and an empty UTF-8 Firebird database when none answers at the
// URL; PostgreSQL databases are made by their administrator. Returns true when it created a
// database. Throws DbError when one is missing and cannot be created.
bool CreateDatabaseIfMissing(const std::string& url);

}  // namespace db

// Firebird through SOCI's firebird backend: opening, creating and dropping databases, the
// transactions of a session, and the places where that backend needs help to behave like the
// other two (blank-padded CHAR results, a session whose server is gone).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/detail/Failure.h"
#include "db/detail/FirebirdUrl.h"

namespace soci {
class session;
class statement;
class soci_error;
struct firebird_session_backend;
}  // namespace soci

namespace db::detail {

// Longest text a statement parameter takes on Firebird, in characters. Parameters are cast to
// VARCHAR of this size so that their type never comes from where they stand (a code column's
// size, a literal's length) and PARAM and NVLSTR take and give the same size.
constexpr int kFirebirdParamChars = 1000;

// Attaches in UTF-8 and refuses a database whose character set is not UTF8, naming it.
std::unique_ptr<soci::session> OpenFirebird(const FirebirdTarget& target);

// Creates an empty database (dialect 3, forced writes) with the given default character set;
// an embedded file's folder is created too. Throws DbError when it cannot be created, for
// instance because it already exists.
void CreateFirebirdDatabase(const FirebirdTarget& target, const std::string& charset = "UTF8");

// True when the database can be attached to, false when its file does not exist (or, on a
// server, could not be opened); throws DbError with the reason for any other failure (a
// refused login, an unreachable server).
bool FirebirdDatabaseExists(const FirebirdTarget& target);

// Deletes the database with everything in it (tests' throw-away databases).
void DropFirebirdDatabase(const FirebirdTarget& target);

// Ends a session whose transaction was ended (SOCI commits one left open). A session whose
// server is gone is detached by hand and its SOCI object left undestroyed, because SOCI would
// throw from its destructor.
void CloseFirebird(std::unique_ptr<soci::session> session);

// For each result column of an executed statement, whether it is a blank-padded CHAR.
std::vector<bool> FirebirdFixedColumns(soci::statement& statement);

// What kind of failure the error's status vector reports: a lock conflict (the row was changed
// or locked by a transaction that has since committed: the whole transaction may be run again),
// a lost server, a full disk, ...
FailureKind FirebirdFailureKind(const soci::soci_error& error);
// Throws the error for a failure met while `doing`.
[[noreturn]] void ThrowFirebirdFailure(const soci::soci_error& error, std::string_view doing);

// The transactions of one session. SOCI starts one on a statement's first use and keeps it
// open until a commit, so a connection would read one snapshot for good: instead every statement
// outside a write runs in a transaction of its own. Transactions are Firebird's default
// (snapshot, waiting for locks).
class FirebirdTransactions {
  public:
    explicit FirebirdTransactions(soci::session& session);

    void BeginWrite();
    void Commit();
    void Rollback();
    bool Writing() const { return writing_; }

    // A statement outside a write: BeginStatement before it, EndStatement(true) after its
    // success (commits), EndStatement(false) after its failure. Inside a write both do nothing.
    void BeginStatement();
    void EndStatement(bool succeeded);

    // A transaction opened by direct use of the session is committed, so that the next
    // statement sees what others committed since.
    void EndStray();

    // Rolls back whatever is open and forgets the error (the connection is being closed).
    void Abandon();

  private:
    void Begin();

    soci::session& session_;
    bool writing_ = false;
    bool statement_ = false;
};

}  // namespace db::detail

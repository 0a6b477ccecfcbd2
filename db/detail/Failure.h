// The one place where a database failure becomes the message a user reads: each dialect sorts
// its library's error into a kind, and the kind says what happened and what to do, while the
// library's own words go to DbError::Detail for the server's log.
#pragma once

#include <string>
#include <string_view>

namespace db::detail {

enum class FailureKind {
    Other,        // anything else: the message keeps the library's text, the only clue
    DiskFull,     // no room left for the database's files
    Disk,         // reading or writing the database's files failed
    Unreachable,  // the database cannot be opened, or the connection to it was lost
    Busy,         // a lock or a statement waited longer than the database allows
    ReadOnly,     // the database, the file or the transaction takes no writes
    Conflict,     // a concurrent change of a locked row, or a deadlock: run the work again
};

// What was being done, as the messages begin.
inline constexpr std::string_view kQueryFailed = "Falha na consulta ao banco de dados";
inline constexpr std::string_view kCommandFailed = "Falha no comando ao banco de dados";
inline constexpr std::string_view kBeginFailed = "Falha ao iniciar a transação";
inline constexpr std::string_view kCommitFailed = "Falha ao confirmar a transação";
inline constexpr std::string_view kRollbackFailed = "Falha ao desfazer a transação";

// Throws the error for a failure of `kind` met while `doing` ("Falha ao confirmar a transação"),
// with `library` (the library's text) as its detail: a LockConflict for a Conflict, a
// ConnectionLost for Unreachable, a DbError otherwise.
[[noreturn]] void ThrowFailure(FailureKind kind, std::string_view doing, std::string library);

}  // namespace db::detail

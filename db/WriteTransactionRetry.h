// Running a write again when the database refused it for a concurrent change of a row it locks.
#pragma once

#include "db/Connection.h"
#include "db/DbError.h"

namespace db {

// Runs `work` in a write transaction and commits it. When the work meets a LockConflict, the
// transaction is rolled back and the work runs again from the start, up to `attempts` times in
// all; any other failure rolls back and passes on. `work` must not keep anything of a failed
// attempt.
template <typename Work>
void RunWriteTransaction(Connection& connection, Work&& work, int attempts = 20) {
    for (int attempt = 1;; ++attempt) {
        try {
            WriteTransaction transaction(connection);
            work();
            transaction.Commit();
            return;
        } catch (const LockConflict&) {
            if (attempt >= attempts) throw;
        }
    }
}

}  // namespace db

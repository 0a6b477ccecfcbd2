// One transaction per save: the company's lock, the key's look-up, and behind a savepoint the
// changes, so that a refusal is rolled back and kept under its key in the same commit.
#include "server/RequestKeyPolicy.h"

#include <exception>
#include <optional>

#include "db/DbError.h"
#include "db/Savepoint.h"
#include "db/WriteTransactionRetry.h"
#include "server/BalanceStore.h"
#include "server/Errors.h"
#include "server/RequestKeys.h"

namespace server {
namespace {

std::int64_t SecondsNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// The outcome kept for an error that refuses a save; nullopt for any other.
std::optional<SaveOutcome::Result> KeptAs(ErrorKind kind) {
    switch (kind) {
        case ErrorKind::Rule:
            return SaveOutcome::Result::Refused;
        case ErrorKind::Conflict:
            return SaveOutcome::Result::Conflict;
        case ErrorKind::Argument:
            break;
    }
    return std::nullopt;
}

// The outcome stored under a key, raised as the refusal it was; nothing for a stored save.
void Replay(const SaveOutcome& outcome, const std::string& company, std::string_view kindCode) {
    if (outcome.company != company || outcome.kindCode != kindCode)
        throw ArgumentError(
            "Esta chave de requisição já foi usada numa gravação de outra empresa ou de outro "
            "tipo de saldo; use uma chave nova para cada gravação.");
    switch (outcome.result) {
        case SaveOutcome::Result::Stored:
            return;
        case SaveOutcome::Result::Conflict:
            ThrowServiceError(ErrorKind::Conflict, outcome.message);
        case SaveOutcome::Result::Refused:
            ThrowServiceError(ErrorKind::Rule, outcome.message);
    }
}

}  // namespace

void RequestKeyPolicy::Save(db::Connection& connection, const std::string& company,
                            core::BalanceKind kind, const std::string& key,
                            const std::function<void()>& apply) {
    const bool keyed = !key.empty();
    const std::string_view kindCode = core::KindInfo(kind).code;
    std::optional<SaveOutcome> earlier;
    std::exception_ptr refusal;
    // A save that meets a concurrent save of the company on Firebird starts again from the
    // beginning.
    db::RunWriteTransaction(connection, [&] {
        earlier.reset();
        refusal = nullptr;
        // Saves of one company take turns from here, so a key sent twice at once is seen by the
        // second once the first has committed.
        const bool known = BalanceStore(connection).LockCompany(company);
        RequestKeys keys(connection);
        if (keyed && (earlier = keys.Find(key))) return;
        std::optional<db::Savepoint> beforeChanges;
        if (keyed) beforeChanges.emplace(connection, "SALDO_ALTERACOES");
        SaveOutcome outcome{SaveOutcome::Result::Stored, {}, company, std::string(kindCode)};
        try {
            if (!known) throw RuleError("Empresa não cadastrada.");
            apply();
        } catch (const ServiceError& e) {
            const auto kept = KeptAs(e.Kind());
            if (!keyed || !kept) throw;
            // The refusal is kept so that a repeat shows it rather than a different outcome on
            // what the database holds by then.
            beforeChanges->RollBack();
            outcome.result = *kept;
            outcome.message = e.what();
            refusal = std::current_exception();
        }
        if (keyed) keys.Store(key, outcome, SecondsNow());
    });
    if (keyed) ForgetOldKeys(connection);
    if (refusal) std::rethrow_exception(refusal);
    if (earlier) Replay(*earlier, company, kindCode);
}

void RequestKeyPolicy::ForgetOldKeys(db::Connection& connection) {
    const std::int64_t now = SecondsNow();
    std::int64_t due = nextForget_.load();
    if (now < due || !nextForget_.compare_exchange_strong(due, now + 3600)) return;
    try {
        db::RunWriteTransaction(
            connection, [&] { RequestKeys(connection).Forget(now - keyLifetime_.count()); });
    } catch (const db::DbError&) {
        nextForget_ = now;
    }
}

}  // namespace server

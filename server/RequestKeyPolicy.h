// The transaction of a save and the policy of its request key: a save sent with a key the
// client chose is answered, when sent again (after a lost reply), with what happened the first
// time instead of being applied twice. The outcome, stored or refused, is kept with the key in
// the save's own transaction; keys are forgotten after their lifetime.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "core/BalanceLayout.h"
#include "db/Connection.h"

namespace server {

class RequestKeyPolicy {
  public:
    explicit RequestKeyPolicy(std::chrono::seconds keyLifetime) : keyLifetime_(keyLifetime) {}

    // Runs a save of the company's balances of the kind in one write transaction on the
    // connection, again from the start when it meets a db::LockConflict: locks the company
    // (RuleError when there is none), then runs `apply`, which raises RuleError or
    // ConflictError to refuse the save. With a key (checked by CheckRequestKey; empty: none),
    // an outcome stored under it earlier is replayed instead, raising ArgumentError when it
    // was another company's or kind's save; otherwise the outcome is stored under the key: a
    // refusal undoes what `apply` did, is stored and committed, and is raised.
    void Save(db::Connection& connection, const std::string& company, core::BalanceKind kind,
              const std::string& key, const std::function<void()>& apply);

  private:
    // Forgets expired keys, at most once an hour; a failure waits for the next time.
    void ForgetOldKeys(db::Connection& connection);

    const std::chrono::seconds keyLifetime_;
    std::atomic<std::int64_t> nextForget_{0};
};

}  // namespace server

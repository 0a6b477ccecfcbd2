// Request keys: the outcome of every save sent with a key the client chose, stored in the
// save's own transaction, so that the same save sent again (after a lost reply) is answered
// with what happened the first time instead of being applied twice. Raises db::DbError.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/BalanceLayout.h"
#include "db/Connection.h"

namespace server {

struct SaveOutcome {
    enum class Result : char { Stored = 'S', Refused = 'R', Conflict = 'C' };
    Result result = Result::Stored;
    std::string message;  // the refusal's message; empty when stored
    std::string company;
    std::string kindCode;
};

// The look-up of a key, as RequestKeys::Find runs it (takes :k).
inline constexpr const char* kFindRequestKeySql =
    "SELECT IDRESULTADO, DSRESULTADO, CDEMPRESA, IDSALDCOME FROM SALDREQU WHERE CHREQUISICAO = "
    ":key";

class RequestKeys {
  public:
    explicit RequestKeys(db::Connection& connection) : connection_(connection) {}

    std::optional<SaveOutcome> Find(const std::string& key);
    // `now` in seconds since 1970, UTC.
    void Store(const std::string& key, const SaveOutcome& outcome, std::int64_t now);
    // Forgets the keys stored before `before` (seconds since 1970, UTC).
    void Forget(std::int64_t before);

  private:
    db::Connection& connection_;
};

inline constexpr std::size_t kMaxRequestKeyChars = 64;

// A key is 1 to 64 letters, digits and "-_.:"; anything else raises ArgumentError.
void CheckRequestKey(const std::string& key);

}  // namespace server

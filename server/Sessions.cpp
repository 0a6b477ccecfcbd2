// The sessions' table (SALDSESS): tokens made by libsodium, kept as their SHA-256.
#include "server/Sessions.h"

#include "db/Connection.h"
#include "server/PasswordHash.h"

namespace server {
namespace {

bool IsToken(const std::string& token) {
    if (token.size() != 64) return false;
    for (const char c : token) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

}  // namespace

SessionToken Sessions::Open(const std::string& user, std::int64_t now) {
    SessionToken session{NewToken(), {}};
    session.hash = Sha256Hex(session.token);
    db::WriteTransaction transaction(connection_);
    connection_.Execute("DELETE FROM SALDSESS WHERE NRVALIDADE < :AGORA",
                        {{"AGORA", std::to_string(now)}});
    connection_.Execute(
        "INSERT INTO SALDSESS (CHSESSAO, NMUSUARIO, NRCRIACAO, NRVALIDADE) "
        "VALUES (:SESSAO, :NOME, :CRIACAO, :VALIDADE)",
        {{"SESSAO", session.hash},
         {"NOME", user},
         {"CRIACAO", std::to_string(now)},
         {"VALIDADE", std::to_string(now + kSessionLifetime.count())}});
    transaction.Commit();
    return session;
}

std::optional<std::string> Sessions::Resume(const std::string& token, std::int64_t now) {
    if (!IsToken(token)) return std::nullopt;
    const db::QueryResult result = connection_.Select(
        "SELECT NMUSUARIO FROM SALDSESS WHERE CHSESSAO = :SESSAO AND NRVALIDADE >= :AGORA",
        {{"SESSAO", Sha256Hex(token)}, {"AGORA", std::to_string(now)}});
    if (result.rows.empty()) return std::nullopt;
    return result.rows[0][0];
}

void Sessions::Close(const std::string& hash) {
    db::WriteTransaction transaction(connection_);
    connection_.Execute("DELETE FROM SALDSESS WHERE CHSESSAO = :SESSAO", {{"SESSAO", hash}});
    transaction.Commit();
}

std::int64_t NowSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace server

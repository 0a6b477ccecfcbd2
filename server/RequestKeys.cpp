// The request keys' statements.
#include "server/RequestKeys.h"

#include "core/MessageText.h"
#include "core/Utf8.h"
#include "server/Errors.h"

namespace server {
namespace {

// Messages are stored whole up to this many characters (the dispatcher never sends more).
constexpr std::size_t kMaxMessageChars = 1000;

}  // namespace

void CheckRequestKey(const std::string& key) {
    bool valid = !key.empty() && key.size() <= kMaxRequestKeyChars;
    for (const char c : key) {
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                             (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == ':';
        valid = valid && allowed;
    }
    if (!valid)
        throw ArgumentError("Chave de requisição inválida: " + core::Quoted(key, 20) +
                            ". Use de 1 a " + std::to_string(kMaxRequestKeyChars) +
                            " letras, dígitos ou os sinais - _ . :");
}

std::optional<SaveOutcome> RequestKeys::Find(const std::string& key) {
    std::optional<SaveOutcome> outcome;
    connection_.ReadRows(
        kFindRequestKeySql, {{"key", key}},
        {db::ColumnType::Text, db::ColumnType::Text, db::ColumnType::Text, db::ColumnType::Text},
        [&](const db::RowView& row) {
            SaveOutcome o;
            const std::string_view result = row.Text(0);
            o.result = result == "R"   ? SaveOutcome::Result::Refused
                       : result == "C" ? SaveOutcome::Result::Conflict
                                       : SaveOutcome::Result::Stored;
            o.message = row.Text(1);
            o.company = row.Text(2);
            o.kindCode = row.Text(3);
            outcome = std::move(o);
        });
    return outcome;
}

void RequestKeys::Store(const std::string& key, const SaveOutcome& outcome, std::int64_t now) {
    std::optional<std::string> message;
    if (!outcome.message.empty())
        message = std::string(core::Utf8Prefix(outcome.message, kMaxMessageChars));
    connection_.Execute(
        "INSERT INTO SALDREQU (CHREQUISICAO, CDEMPRESA, IDSALDCOME, NRMOMENTO, IDRESULTADO,"
        " DSRESULTADO) VALUES (:key, :company, :kind, :moment, :result, :message)",
        {{"key", key},
         {"company", outcome.company},
         {"kind", outcome.kindCode},
         {"moment", std::to_string(now)},
         {"result", std::string(1, static_cast<char>(outcome.result))},
         {"message", message}});
}

void RequestKeys::Forget(std::int64_t before) {
    connection_.Execute("DELETE FROM SALDREQU WHERE NRMOMENTO < :before",
                        {{"before", std::to_string(before)}});
}

}  // namespace server

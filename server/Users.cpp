// The users' tables (SALDUSUA, SALDDIRE, SALDSESS) read and written through db/ only.
#include "server/Users.h"

#include "core/Error.h"
#include "core/MessageText.h"
#include "core/Utf8.h"
#include "db/Connection.h"
#include "server/AuditTrail.h"

namespace server {
namespace {

std::string NotFound(const std::string& name) {
    return "O usuário " + core::Quoted(name, kMaxUserNameChars) + " não existe.";
}

}  // namespace

void CheckUserName(std::string_view name) {
    bool ok =
        !name.empty() && core::IsValidUtf8(name) && core::Utf8Length(name) <= kMaxUserNameChars;
    for (const char c : name) ok = ok && static_cast<unsigned char>(c) > ' ' && c != '\x7f';
    if (!ok)
        throw core::Error("Nome de usuário inválido: " + core::Quoted(name, kMaxUserNameChars) +
                          ". Use de 1 a 64 caracteres, sem espaços.");
}

bool Users::None() {
    return connection_.Select("SELECT COUNT(*) FROM SALDUSUA").rows.at(0).at(0) == "0";
}

void Users::Add(const std::string& name, const std::optional<std::string>& passwordHash,
                const Rights& rights) {
    CheckUserName(name);
    db::WriteTransaction transaction(connection_);
    if (Find(name))
        throw core::Error("O usuário " + core::Quoted(name, kMaxUserNameChars) + " já existe.");
    connection_.Execute(
        "INSERT INTO SALDUSUA (NMUSUARIO, DSSENHA, IDBLOQUEIO, DTCRIACAO) "
        "VALUES (:NOME, :SENHA, 'N', :CRIACAO)",
        {{"NOME", name}, {"SENHA", passwordHash}, {"CRIACAO", UtcNow()}});
    WriteRights(name, rights);
    transaction.Commit();
}

void Users::SetPassword(const std::string& name, const std::string& passwordHash) {
    db::WriteTransaction transaction(connection_);
    Require(name);
    connection_.Execute("UPDATE SALDUSUA SET DSSENHA = :SENHA WHERE NMUSUARIO = :NOME",
                        {{"NOME", name}, {"SENHA", passwordHash}});
    transaction.Commit();
}

void Users::SetLocked(const std::string& name, bool locked) {
    db::WriteTransaction transaction(connection_);
    Require(name);
    connection_.Execute("UPDATE SALDUSUA SET IDBLOQUEIO = :BLOQUEIO WHERE NMUSUARIO = :NOME",
                        {{"NOME", name}, {"BLOQUEIO", std::string(locked ? "S" : "N")}});
    // A locked user's sessions end: unlocking asks for the password again.
    if (locked)
        connection_.Execute("DELETE FROM SALDSESS WHERE NMUSUARIO = :NOME", {{"NOME", name}});
    transaction.Commit();
}

void Users::SetRights(const std::string& name, const Rights& rights) {
    db::WriteTransaction transaction(connection_);
    Require(name);
    connection_.Execute("DELETE FROM SALDDIRE WHERE NMUSUARIO = :NOME", {{"NOME", name}});
    WriteRights(name, rights);
    transaction.Commit();
}

void Users::Remove(const std::string& name) {
    db::WriteTransaction transaction(connection_);
    Require(name);
    for (const char* table : {"SALDSESS", "SALDDIRE", "SALDUSUA"})
        connection_.Execute(std::string("DELETE FROM ") + table + " WHERE NMUSUARIO = :NOME",
                            {{"NOME", name}});
    transaction.Commit();
}

std::vector<UserSummary> Users::List() {
    const db::QueryResult result = connection_.Select(
        "SELECT U.NMUSUARIO, U.DSSENHA, U.IDBLOQUEIO, U.DTCRIACAO, D.CDEMPRESA, D.IDDIREITO "
        "FROM SALDUSUA U LEFT JOIN SALDDIRE D ON D.NMUSUARIO = U.NMUSUARIO "
        "ORDER BY U.NMUSUARIO, D.CDEMPRESA");
    std::vector<UserSummary> users;
    for (const auto& row : result.rows) {
        if (users.empty() || users.back().name != row[0].value_or("")) {
            users.push_back(
                {row[0].value_or(""), row[1].has_value(), row[2] == "S", row[3].value_or(""), {}});
        }
        if (row[4] && row[5]) {
            if (const auto right = RightOfCode(*row[5])) users.back().rights[*row[4]] = *right;
        }
    }
    return users;
}

std::optional<UserAccess> Users::Find(const std::string& name) {
    const db::QueryResult result = connection_.Select(
        "SELECT U.DSSENHA, U.IDBLOQUEIO, D.CDEMPRESA, D.IDDIREITO "
        "FROM SALDUSUA U LEFT JOIN SALDDIRE D ON D.NMUSUARIO = U.NMUSUARIO "
        "WHERE U.NMUSUARIO = :NOME",
        {{"NOME", name}});
    if (result.rows.empty()) return std::nullopt;
    UserAccess access{result.rows[0][0], result.rows[0][1] == "S", {}};
    for (const auto& row : result.rows) {
        if (row[2] && row[3]) {
            if (const auto right = RightOfCode(*row[3])) access.rights[*row[2]] = *right;
        }
    }
    return access;
}

void Users::Require(const std::string& name) {
    if (connection_
            .Select("SELECT COUNT(*) FROM SALDUSUA WHERE NMUSUARIO = :NOME", {{"NOME", name}})
            .rows.at(0)
            .at(0) == "0")
        throw core::Error(NotFound(name));
}

void Users::WriteRights(const std::string& name, const Rights& rights) {
    for (const auto& [company, right] : rights) {
        connection_.Execute(
            "INSERT INTO SALDDIRE (NMUSUARIO, CDEMPRESA, IDDIREITO) "
            "VALUES (:NOME, :EMPRESA, :DIREITO)",
            {{"NOME", name}, {"EMPRESA", company}, {"DIREITO", std::string(RightCode(right))}});
    }
}

}  // namespace server

// Firebird sessions, databases and transactions over the client library (fbclient) and SOCI.
#include "db/detail/Firebird.h"

#include <ibase.h>
#include <soci/firebird/soci-firebird.h>
#include <soci/soci.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <mutex>

#include "db/DbError.h"

namespace db::detail {

namespace {

// The client library's message for a status vector, lines joined.
std::string StatusText(const ISC_STATUS* status) {
    std::string text;
    const ISC_STATUS* cursor = status;
    char line[1024];
    while (fb_interpret(line, sizeof line, &cursor) > 0) {
        if (!text.empty()) text += "; ";
        text += line;
    }
    return text.empty() ? "erro desconhecido do Firebird" : text;
}

// An embedded engine keeps its lock files in FIREBIRD_LOCK, by default /tmp/firebird, which
// belongs to the firebird user: a private folder lets any user open a database file. Set once,
// before the first embedded attach, and only when the environment does not name one.
void UsePrivateLockFolder() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (std::getenv("FIREBIRD_LOCK") != nullptr) return;
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        const std::filesystem::path folder =
            runtime != nullptr && *runtime != '\0'
                ? std::filesystem::path(runtime) / "saldo-firebird"
                : std::filesystem::temp_directory_path() /
                      ("saldo-firebird-" + std::to_string(::geteuid()));
        ::mkdir(folder.c_str(), 0700);
        struct stat info {};
        // Someone else's folder (or a link planted in /tmp) is not used.
        if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
            info.st_uid != ::geteuid()) {
            throw DbError("A pasta de travas do Firebird " + folder.string() +
                          " não pertence a este usuário; informe outra em FIREBIRD_LOCK.");
        }
        ::setenv("FIREBIRD_LOCK", folder.c_str(), 0);
    });
}

// True when the status says the database file could not be opened for want of the file: the
// operating system's "no such file" where the error is local, any failure to open the file
// where it comes from a server (which sends the system's reason as text only).
bool MayBeMissingFile(const ISC_STATUS* status) {
    bool opening = false;
    for (const ISC_STATUS* p = status; *p != isc_arg_end;) {
        const ISC_STATUS kind = *p++;
        if (kind == isc_arg_cstring) {
            p += 2;
            continue;
        }
        const ISC_STATUS value = *p++;
        if (kind == isc_arg_gds && value == isc_io_open_err) opening = true;
        if (kind == isc_arg_unix && opening) return value == ENOENT;
    }
    return opening;
}

void AddText(std::string& block, char tag, const std::string& value) {
    if (value.size() > 255) throw DbError("Parâmetro de conexão Firebird longo demais.");
    block += tag;
    block += static_cast<char>(value.size());
    block += value;
}

// Database parameter block for a direct attach or create.
std::string Dpb(const FirebirdTarget& target) {
    std::string dpb(1, static_cast<char>(isc_dpb_version1));
    if (!target.user.empty()) AddText(dpb, isc_dpb_user_name, target.user);
    if (!target.password.empty()) AddText(dpb, isc_dpb_password, target.password);
    AddText(dpb, isc_dpb_lc_ctype, "UTF8");
    return dpb;
}

// SOCI's connection string takes double-quoted values, with no way to quote a quote.
std::string Quoted(const std::string& value) {
    if (value.find('"') != std::string::npos) {
        throw DbError("O endereço Firebird não pode conter aspas duplas (\").");
    }
    return '"' + value + '"';
}

void RequireUtf8(soci::session& session, const FirebirdTarget& target) {
    std::string charset;
    soci::indicator indicator = soci::i_null;
    session << "SELECT TRIM(RDB$CHARACTER_SET_NAME) FROM RDB$DATABASE",
        soci::into(charset, indicator);
    session.commit();
    if (indicator == soci::i_ok && charset == "UTF8") return;
    if (indicator != soci::i_ok || charset.empty()) charset = "NONE";
    throw DbError("O banco de dados Firebird " + target.service + " usa o conjunto de caracteres " +
                  charset +
                  ", mas o Saldo Comercial exige UTF8. Crie um banco em UTF-8, por exemplo com "
                  "saldo-server init --db (que cria o arquivo que falta) ou CREATE DATABASE "
                  "'CAMINHO' DEFAULT CHARACTER SET UTF8, e informe-o em --db.");
}

}  // namespace

std::unique_ptr<soci::session> OpenFirebird(const FirebirdTarget& target) {
    if (target.embedded) UsePrivateLockFolder();
    std::string connect = "service=" + Quoted(target.service) + " charset=UTF8";
    if (!target.user.empty()) connect += " user=" + Quoted(target.user);
    if (!target.password.empty()) connect += " password=" + Quoted(target.password);
    auto session = std::make_unique<soci::session>(soci::firebird, connect);
    try {
        RequireUtf8(*session, target);
    } catch (...) {
        CloseFirebird(std::move(session));
        throw;
    }
    return session;
}

void CreateFirebirdDatabase(const FirebirdTarget& target, const std::string& charset) {
    if (target.embedded) {
        UsePrivateLockFolder();
        const std::filesystem::path parent = std::filesystem::path(target.service).parent_path();
        std::error_code ignored;
        if (!parent.empty()) std::filesystem::create_directories(parent, ignored);
    }
    std::string dpb = Dpb(target);
    AddText(dpb, isc_dpb_set_db_charset, charset);
    dpb += static_cast<char>(isc_dpb_sql_dialect);
    dpb += static_cast<char>(4);
    dpb.append("\3\0\0\0", 4);
    ISC_STATUS_ARRAY status{};
    isc_db_handle handle = 0;
    if (isc_create_database(status, static_cast<short>(target.service.size()),
                            target.service.c_str(), &handle, static_cast<short>(dpb.size()),
                            dpb.data(), 0) != 0) {
        throw DbError("Não foi possível criar o banco de dados Firebird " + target.service + ": " +
                      StatusText(status));
    }
    isc_detach_database(status, &handle);
}

bool FirebirdDatabaseExists(const FirebirdTarget& target) {
    if (target.embedded) UsePrivateLockFolder();
    const std::string dpb = Dpb(target);
    ISC_STATUS_ARRAY status{};
    isc_db_handle handle = 0;
    if (isc_attach_database(status, static_cast<short>(target.service.size()),
                            target.service.c_str(), &handle, static_cast<short>(dpb.size()),
                            dpb.data()) == 0) {
        isc_detach_database(status, &handle);
        return true;
    }
    if (MayBeMissingFile(status)) return false;
    throw DbError("Não foi possível abrir o banco de dados Firebird " + target.service + ": " +
                  StatusText(status));
}

void DropFirebirdDatabase(const FirebirdTarget& target) {
    if (target.embedded) UsePrivateLockFolder();
    const std::string dpb = Dpb(target);
    ISC_STATUS_ARRAY status{};
    isc_db_handle handle = 0;
    if (isc_attach_database(status, static_cast<short>(target.service.size()),
                            target.service.c_str(), &handle, static_cast<short>(dpb.size()),
                            dpb.data()) != 0 ||
        isc_drop_database(status, &handle) != 0) {
        const std::string text = StatusText(status);
        if (handle != 0) isc_detach_database(status, &handle);
        throw DbError("Não foi possível apagar o banco de dados Firebird " + target.service + ": " +
                      text);
    }
}

void CloseFirebird(std::unique_ptr<soci::session> session) {
    if (!session) return;
    auto* backend = static_cast<soci::firebird_session_backend*>(session->get_backend());
    ISC_STATUS_ARRAY status{};
    char request[] = {isc_info_ods_version, isc_info_end};
    char reply[32];
    if (isc_database_info(status, &backend->dbhp_, sizeof request, request, sizeof reply, reply) ==
        0) {
        session.reset();
        return;
    }
    // The server is gone: SOCI's destructor would throw when it fails to detach, ending the
    // program. Free what the client library holds and keep the small SOCI object instead.
    isc_detach_database(status, &backend->dbhp_);
    soci::session* kept = session.release();
#if defined(__SANITIZE_ADDRESS__)
    __lsan_ignore_object(kept);
#else
    static_cast<void>(kept);
#endif
}

std::vector<bool> FirebirdFixedColumns(soci::statement& statement) {
    const auto* backend = static_cast<soci::firebird_statement_backend*>(statement.get_backend());
    std::vector<bool> fixed;
    if (backend == nullptr || backend->sqldap_ == nullptr) return fixed;
    for (int i = 0; i < backend->sqldap_->sqld; ++i) {
        fixed.push_back((backend->sqldap_->sqlvar[i].sqltype & ~1) == SQL_TEXT);
    }
    return fixed;
}

FailureKind FirebirdFailureKind(const soci::soci_error& error) {
    const auto* firebird = dynamic_cast<const soci::firebird_soci_error*>(&error);
    if (firebird == nullptr) return FailureKind::Other;
    bool timeout = false, conflict = false, lost = false, readOnly = false, disk = false;
    bool full = false;
    const std::vector<ISC_STATUS>& status = firebird->status_;
    for (std::size_t i = 0; i + 1 < status.size() && status[i] != isc_arg_end;) {
        const ISC_STATUS kind = status[i++];
        if (kind == isc_arg_cstring) {
            i += 2;
            continue;
        }
        const ISC_STATUS value = status[i++];
        if (kind == isc_arg_unix && value == ENOSPC) full = true;
        if (kind != isc_arg_gds) continue;
        switch (value) {
            case isc_lock_timeout:
                timeout = true;
                break;
            case isc_update_conflict:
            case isc_deadlock:
            case isc_lock_conflict:
                conflict = true;
                break;
            case isc_network_error:
            case isc_net_connect_err:
            case isc_net_lookup_err:
            case isc_net_read_err:
            case isc_net_write_err:
            case isc_net_server_shutdown:
            case isc_conn_lost:
            case isc_lost_db_connection:
            case isc_att_shutdown:
            case isc_shutdown:
            case isc_unavailable:
            case isc_connect_reject:
                lost = true;
                break;
            case isc_read_only_database:
            case isc_read_only_trans:
                readOnly = true;
                break;
            case isc_io_error:
            case isc_io_read_err:
            case isc_io_write_err:
                disk = true;
                break;
            default:
                break;
        }
    }
    if (timeout) return FailureKind::Busy;
    if (conflict) return FailureKind::Conflict;
    if (lost) return FailureKind::Unreachable;
    if (readOnly) return FailureKind::ReadOnly;
    if (full) return FailureKind::DiskFull;
    if (disk) return FailureKind::Disk;
    return FailureKind::Other;
}

void ThrowFirebirdFailure(const soci::soci_error& error, std::string_view doing) {
    ThrowFailure(FirebirdFailureKind(error), doing, error.what());
}

FirebirdTransactions::FirebirdTransactions(soci::session& session) : session_(session) {}

void FirebirdTransactions::EndStray() {
    try {
        session_.commit();
        return;
    } catch (const soci::soci_error& e) {
        try {
            session_.rollback();
        } catch (const soci::soci_error&) {
            // The commit's failure is the one to report.
        }
        ThrowFirebirdFailure(e, "Falha ao encerrar a transação no Firebird");
    }
}

void FirebirdTransactions::BeginWrite() {
    EndStray();
    Begin();
    writing_ = true;
}

void FirebirdTransactions::Begin() {
    try {
        session_.begin();
    } catch (const soci::soci_error& e) {
        ThrowFirebirdFailure(e, "Não foi possível iniciar uma transação no Firebird");
    }
}

void FirebirdTransactions::Commit() {
    writing_ = false;
    try {
        session_.commit();
    } catch (const soci::soci_error& e) {
        Abandon();
        ThrowFirebirdFailure(e, "Falha ao confirmar a transação no Firebird");
    }
}

void FirebirdTransactions::Rollback() {
    writing_ = false;
    try {
        session_.rollback();
    } catch (const soci::soci_error& e) {
        ThrowFirebirdFailure(e, "Falha ao desfazer a transação no Firebird");
    }
}

void FirebirdTransactions::Abandon() {
    writing_ = false;
    statement_ = false;
    try {
        session_.rollback();
    } catch (const soci::soci_error&) {
        // The connection is broken: the server drops its transaction.
    }
}

void FirebirdTransactions::BeginStatement() {
    if (writing_) return;
    EndStray();
    Begin();
    statement_ = true;
}

void FirebirdTransactions::EndStatement(bool succeeded) {
    if (!statement_) return;
    statement_ = false;
    if (succeeded) {
        Commit();
    } else {
        Abandon();
    }
}

}  // namespace db::detail

// The three methods on pooled connections: one transaction per change packet, and a connection
// that failed is replaced rather than reused.
#include "server/SaldoService.h"

#include <optional>

#include <nlohmann/json.hpp>

#include "core/BalanceLayout.h"
#include "core/Base64.h"
#include "core/Calendar.h"
#include "core/ImportReport.h"
#include "core/MessageText.h"
#include "core/Money.h"
#include "core/Packet.h"
#include "db/DbError.h"
#include "db/WriteTransactionRetry.h"
#include "server/AuditTrail.h"
#include "server/BalanceChanges.h"
#include "server/BalanceStore.h"
#include "server/Errors.h"
#include "server/Import.h"
#include "server/PacketWriter.h"
#include "server/RequestKeys.h"
#include "server/Rules.h"
#include "server/TieOutReport.h"

namespace server {
namespace {

core::BalanceKind KindOf(const std::string& tag) {
    if (const auto kind = core::KindOfTag(tag)) return *kind;
    throw ArgumentError("Tipo de saldo desconhecido: " + core::Quoted(tag, 20) +
                        ". Use \"\" (fornecedores), \"SaldClie\" (clientes) ou \"SaldBanco\" "
                        "(bancos).");
}

// Runs `work` on a pooled connection; a database failure discards the connection and is
// reported with `failure` before its reason.
template <typename Work>
auto OnConnection(db::ConnectionPool& pool, const char* failure, Work&& work) {
    auto lease = pool.Acquire();
    try {
        return work(*lease);
    } catch (const db::DbError& e) {
        lease.Discard();
        throw db::DbError(std::string(failure) + e.what());
    }
}

std::int64_t SecondsNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// The outcome stored under a key, raised as the refusal it was; nothing for a stored save.
void Replay(const SaveOutcome& outcome, const std::string& company, core::BalanceKind kind) {
    if (outcome.company != company || outcome.kindCode != core::KindInfo(kind).code)
        throw ArgumentError(
            "Esta chave de requisição já foi usada numa gravação de outra empresa ou de outro "
            "tipo de saldo; use uma chave nova para cada gravação.");
    switch (outcome.result) {
        case SaveOutcome::Result::Stored:
            return;
        case SaveOutcome::Result::Conflict:
            throw ConflictError(outcome.message);
        case SaveOutcome::Result::Refused:
            throw RuleError(outcome.message);
    }
}

const char* ChangeName(char change) {
    switch (change) {
        case 'I':
            return "Inclusão";
        case 'M':
            return "Alteração";
        default:
            return "Exclusão";
    }
}

}  // namespace

std::string SaldoService::GetSaldComer(const std::string& company, const std::string& tag) {
    std::string packet;
    GetSaldComer(company, tag, packet, [] {});
    return packet;
}

void SaldoService::GetSaldComer(const std::string& company, const std::string& tag,
                                std::string& out, const std::function<void()>& rowWritten) {
    const core::BalanceKind kind = KindOf(tag);
    OnConnection(pool_, "Falha ao ler os saldos: ", [&](db::Connection& connection) {
        BalanceStore store(connection);
        WriteBalancePacket(store, company, kind, out, rowWritten);
    });
}

void SaldoService::SetSaldComer(const std::string& company, const std::string& tag,
                                std::string_view packet, const SaveOrigin& origin) {
    const core::BalanceKind kind = KindOf(tag);
    if (!origin.key.empty()) CheckRequestKey(origin.key);
    const BalanceChanges changes = ReadBalanceChanges(packet, kind, company);
    if (changes.changes.empty()) return;
    const bool keyed = !origin.key.empty();
    SaveOutcome outcome{
        SaveOutcome::Result::Stored, {}, company, std::string(core::KindInfo(kind).code)};
    std::optional<SaveOutcome> earlier;
    OnConnection(
        pool_, "Falha ao gravar os saldos; nada foi gravado: ", [&](db::Connection& connection) {
            try {
                // A save that meets a concurrent save of the company on Firebird starts again from
                // the beginning.
                db::RunWriteTransaction(connection, [&] {
                    earlier.reset();
                    BalanceStore store(connection);
                    // Saves of one company take turns from here, so a key sent twice at once is
                    // seen by the second once the first has committed.
                    if (!store.LockCompany(company)) throw RuleError("Empresa não cadastrada.");
                    RequestKeys keys(connection);
                    if (keyed && (earlier = keys.Find(origin.key))) return;
                    ApplyChanges(store, changes);
                    AuditTrail trail(connection);
                    trail.Append(trail.NextSequence(),
                                 {UtcNow(), origin.peer, origin.user, origin.key}, changes);
                    if (keyed) keys.Store(origin.key, outcome, SecondsNow());
                });
            } catch (const core::Error& e) {
                const bool conflict = dynamic_cast<const ConflictError*>(&e) != nullptr;
                if (!keyed || (!conflict && dynamic_cast<const RuleError*>(&e) == nullptr)) throw;
                // A refusal is kept too, in a transaction of its own, so that a repeat shows it
                // rather than a different outcome on what the database holds by then. Keeping it is
                // a courtesy: when it fails, the refusal still stands.
                outcome.result =
                    conflict ? SaveOutcome::Result::Conflict : SaveOutcome::Result::Refused;
                outcome.message = e.what();
                try {
                    db::RunWriteTransaction(connection, [&] {
                        earlier.reset();
                        BalanceStore(connection).LockCompany(company);
                        RequestKeys keys(connection);
                        if (!(earlier = keys.Find(origin.key)))
                            keys.Store(origin.key, outcome, SecondsNow());
                    });
                } catch (const db::DbError&) {
                }
                if (!earlier) throw;
            }
            if (keyed) ForgetOldKeys(connection);
        });
    if (earlier) Replay(*earlier, company, kind);
}

void SaldoService::ForgetOldKeys(db::Connection& connection) {
    const std::int64_t now = SecondsNow();
    std::int64_t due = nextForget_.load();
    if (now < due || !nextForget_.compare_exchange_strong(due, now + 3600)) return;
    try {
        db::RunWriteTransaction(connection, [&] {
            RequestKeys(connection).Forget(now - options_.keyLifetime.count());
        });
    } catch (const db::DbError&) {
        nextForget_ = now;
    }
}

std::string SaldoService::GetHistSaldComer(const std::string& company, const std::string& tag,
                                           const std::string& month, const std::string& account,
                                           const std::string& owner) {
    const core::BalanceKind kind = KindOf(tag);
    return OnConnection(
        pool_, "Falha ao ler o histórico do saldo: ", [&](db::Connection& connection) {
            std::string out;
            core::RecordPacketWriter writer(out, core::HistoryFields());
            const auto side = [&](const std::optional<AuditValues>& values) {
                if (!values) {
                    writer.Null();
                    writer.Null();
                    return;
                }
                writer.Number(core::CentsToDouble(values->cents));
                writer.Text(values->implanted ? core::kImplantedYes : core::kImplantedNo);
            };
            AuditTrail(connection)
                .History(company, kind, month, account, owner, [&](const AuditRecord& r) {
                    writer.BeginRow();
                    writer.Text(r.origin.time);
                    writer.Text(r.origin.user);
                    writer.Text(r.origin.peer);
                    writer.Text(ChangeName(r.change));
                    side(r.before);
                    side(r.after);
                    writer.EndRow();
                });
            writer.Finish();
            return out;
        });
}

bool SaldoService::GetVdSaldoContCtbl(const std::string& company, const std::string& account,
                                      const std::string& month, double value) {
    const auto lastDay = core::LastDayIsoOfMonthText(month);
    if (!lastDay) return false;
    const auto cents = core::CentsOf(value);
    if (!cents) return false;
    return OnConnection(
        pool_, "Falha ao verificar o saldo da conta contábil: ", [&](db::Connection& connection) {
            BalanceStore store(connection);
            return AccountAllows(store, company, account, *lastDay, *cents);
        });
}

std::string SaldoService::GetConfContabil(const std::string& company, const std::string& kindCode) {
    const auto kind = core::TieOutKindOfCode(kindCode);
    if (!kind)
        throw ArgumentError("Tipo de saldo desconhecido: " + core::Quoted(kindCode, 20) +
                            ". Use \"F\" (fornecedores), \"C\" (clientes), \"B\" (bancos) ou "
                            "\"\" (todos).");
    return OnConnection(pool_, "Falha ao conferir os saldos: ", [&](db::Connection& connection) {
        BalanceStore store(connection);
        return core::TieOutToJson(BuildTieOut(store, company, *kind)).dump();
    });
}

std::string SaldoService::ImportSaldComer(const std::string& company, const std::string& kindCode,
                                          std::string_view base64, bool dryRun,
                                          const SaveOrigin& origin) {
    const auto kind = core::TieOutKindOfCode(kindCode);
    if (!kind || !*kind)
        throw ArgumentError("Tipo de saldo desconhecido: " + core::Quoted(kindCode, 20) +
                            ". Use \"F\" (fornecedores), \"C\" (clientes) ou \"B\" (bancos).");
    const auto bytes = core::DecodeBase64(base64);
    if (!bytes) throw ArgumentError("O arquivo deve vir em base64.");
    return OnConnection(
        pool_, "Falha ao importar os saldos; nada foi gravado: ", [&](db::Connection& connection) {
            return core::ImportReportToJson(ImportBalances(connection, company, **kind, *bytes,
                                                           dryRun,
                                                           {{}, origin.peer, origin.user, {}}))
                .dump();
        });
}

}  // namespace server

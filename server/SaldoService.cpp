// The methods on pooled connections: each decodes nothing itself and runs the store, the rules,
// the audit trail and the request-key policy on the connection it takes.
#include "server/SaldoService.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>

#include <nlohmann/json.hpp>

#include "core/Base64.h"
#include "core/Calendar.h"
#include "core/ImportReport.h"
#include "core/Money.h"
#include "core/TieOut.h"
#include "db/DbError.h"
#include "server/AuditTrail.h"
#include "server/BalanceChanges.h"
#include "server/BalanceStore.h"
#include "server/Errors.h"
#include "server/Import.h"
#include "server/PacketWriter.h"
#include "server/Rules.h"
#include "server/TieOutReport.h"

namespace server {
namespace {

// Runs `work` on a pooled connection; a database failure discards the connection and is
// reported with `failure` before its reason.
template <typename Work>
auto OnConnection(db::ConnectionPool& pool, const char* failure, Work&& work) {
    auto lease = pool.Acquire();
    try {
        return work(*lease);
    } catch (const db::ConnectionLost& e) {
        lease.Discard();
        throw db::ConnectionLost(failure + std::string(e.what()), e.Detail());
    } catch (const db::DbError& e) {
        lease.Discard();
        throw e.Prefixed(failure);
    }
}

// Runs `attempt` again while the database is lost (a failover under way), pausing 0.1 s, then
// longer up to 1 s, for at most `patience` in all.
template <typename Attempt>
void RetriedWhileLost(std::chrono::steady_clock::duration patience, Attempt&& attempt) {
    using namespace std::chrono_literals;
    const auto deadline = std::chrono::steady_clock::now() + patience;
    for (std::chrono::milliseconds pause = 100ms;; pause = std::min(pause * 2, 1000ms)) {
        try {
            attempt();
            return;
        } catch (const db::ConnectionLost&) {
            if (std::chrono::steady_clock::now() + pause >= deadline) throw;
        }
        std::this_thread::sleep_for(pause);
    }
}

}  // namespace

std::string SaldoService::GetSaldComer(const std::string& company, core::BalanceKind kind) {
    std::string packet;
    GetSaldComer(company, kind, packet, [] {});
    return packet;
}

void SaldoService::GetSaldComer(const std::string& company, core::BalanceKind kind,
                                std::string& out, const std::function<void()>& rowWritten) {
    OnConnection(pool_, "Falha ao ler os saldos: ", [&](db::Connection& connection) {
        BalanceStore store(connection);
        WriteBalancePacket(store, company, kind, out, rowWritten);
    });
}

void SaldoService::SetSaldComer(const Caller& caller, const std::string& company,
                                core::BalanceKind kind, std::string_view packet,
                                const std::string& key) {
    const BalanceChanges changes = ReadBalanceChanges(packet, kind, company);
    if (changes.changes.empty()) return;
    const auto save = [&] {
        OnConnection(pool_, "Falha ao gravar os saldos; nada foi gravado: ",
                     [&](db::Connection& connection) {
                         keys_.Save(connection, company, kind, key, [&] {
                             BalanceStore store(connection);
                             ApplyChanges(store, changes);
                             AuditTrail trail(connection);
                             trail.Append(trail.NextSequence(),
                                          {UtcNow(), caller.peer, caller.user, key}, changes);
                         });
                     });
    };
    // A connection lost under a save may have taken its commit along or not: with a key, the
    // save runs again on a new connection, where the key tells a stored save from one to apply.
    if (key.empty())
        save();
    else
        RetriedWhileLost(settleLostSaves_, save);
}

std::string SaldoService::GetHistSaldComer(const std::string& company, core::BalanceKind kind,
                                           const std::string& month, const std::string& account,
                                           const std::string& owner) {
    return OnConnection(pool_,
                        "Falha ao ler o histórico do saldo: ", [&](db::Connection& connection) {
                            AuditTrail trail(connection);
                            return HistoryPacket(trail, company, kind, month, account, owner);
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

std::string SaldoService::GetSaldoContCtbl(const std::string& company, const std::string& account,
                                           const std::string& month) {
    const auto lastDay = core::LastDayIsoOfMonthText(month);
    if (!lastDay) throw ArgumentError("Mês inválido: use MM/AAAA.");
    return OnConnection(
        pool_, "Falha ao ler o saldo da conta contábil: ", [&](db::Connection& connection) {
            BalanceStore store(connection);
            const BalanceStore::LedgerRoom room = store.ReadLedgerRoom(company, account, *lastDay);
            return nlohmann::json{{"utilizavel", room.usable},
                                  {"saldoContabil", room.ledger},
                                  {"implantado", room.implanted},
                                  {"disponivel", room.ledger - room.implanted}}
                .dump();
        });
}

std::string SaldoService::GetConfContabil(const std::string& company,
                                          const std::optional<core::BalanceKind>& kind) {
    return OnConnection(pool_, "Falha ao conferir os saldos: ", [&](db::Connection& connection) {
        BalanceStore store(connection);
        return core::TieOutToJson(BuildTieOut(store, company, kind)).dump();
    });
}

std::string SaldoService::ImportSaldComer(const Caller& caller, const std::string& company,
                                          core::BalanceKind kind, std::string_view base64,
                                          bool dryRun) {
    const auto bytes = core::DecodeBase64(base64);
    if (!bytes) throw ArgumentError("O arquivo deve vir em base64.");
    return OnConnection(
        pool_, "Falha ao importar os saldos; nada foi gravado: ", [&](db::Connection& connection) {
            return core::ImportReportToJson(ImportBalances(connection, company, kind, *bytes,
                                                           dryRun,
                                                           {{}, caller.peer, caller.user, {}}))
                .dump();
        });
}

}  // namespace server

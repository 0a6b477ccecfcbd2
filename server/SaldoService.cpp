// The three methods on pooled connections: one transaction per change packet, and a connection
// that failed is replaced rather than reused.
#include "server/SaldoService.h"

#include <optional>

#include <nlohmann/json.hpp>

#include "core/BalanceLayout.h"
#include "core/Calendar.h"
#include "core/MessageText.h"
#include "core/Money.h"
#include "db/DbError.h"
#include "db/WriteTransactionRetry.h"
#include "server/BalanceChanges.h"
#include "server/BalanceStore.h"
#include "server/Errors.h"
#include "server/Import.h"
#include "server/PacketWriter.h"
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

// "MM/YYYY" to the month's last day, or nullopt.
std::optional<std::string> ParseMonth(const std::string& text) {
    if (text.size() != 7 || text[2] != '/') return std::nullopt;
    int month = 0, year = 0;
    for (const std::size_t i : {0u, 1u}) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        month = month * 10 + (text[i] - '0');
    }
    for (std::size_t i = 3; i < 7; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        year = year * 10 + (text[i] - '0');
    }
    if (core::DaysInMonth(year, month) == 0) return std::nullopt;
    return core::LastDayIso(year, month);
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

}  // namespace

std::string SaldoService::GetSaldComer(const std::string& company, const std::string& tag) {
    const core::BalanceKind kind = KindOf(tag);
    return OnConnection(pool_, "Falha ao ler os saldos: ", [&](db::Connection& connection) {
        BalanceStore store(connection);
        return WriteBalancePacket(store, company, kind);
    });
}

void SaldoService::SetSaldComer(const std::string& company, const std::string& tag,
                                std::string_view packet) {
    const core::BalanceKind kind = KindOf(tag);
    const BalanceChanges changes = ReadBalanceChanges(packet, kind, company);
    if (changes.changes.empty()) return;
    OnConnection(pool_,
                 "Falha ao gravar os saldos; nada foi gravado: ", [&](db::Connection& connection) {
                     // A save that meets a concurrent save of the company on Firebird starts
                     // again from the beginning.
                     db::RunWriteTransaction(connection, [&] {
                         BalanceStore store(connection);
                         ApplyChanges(store, changes);
                     });
                 });
}

bool SaldoService::GetVdSaldoContCtbl(const std::string& company, const std::string& account,
                                      const std::string& month, double value) {
    const auto lastDay = ParseMonth(month);
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
                                          std::string_view base64, bool dryRun) {
    const auto kind = core::TieOutKindOfCode(kindCode);
    if (!kind || !*kind)
        throw ArgumentError("Tipo de saldo desconhecido: " + core::Quoted(kindCode, 20) +
                            ". Use \"F\" (fornecedores), \"C\" (clientes) ou \"B\" (bancos).");
    const auto bytes = DecodeBase64(base64);
    if (!bytes) throw ArgumentError("O arquivo deve vir em base64.");
    return OnConnection(
        pool_, "Falha ao importar os saldos; nada foi gravado: ", [&](db::Connection& connection) {
            return ImportReportToJson(ImportBalances(connection, company, **kind, *bytes, dryRun))
                .dump();
        });
}

}  // namespace server

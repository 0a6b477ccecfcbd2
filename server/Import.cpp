// Checks run once per distinct account, owner and account-month, so that a large file costs
// one key look-up and one insert per line.
#include "server/Import.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

#include "core/Calendar.h"
#include "core/PtBrNumber.h"
#include "db/WriteTransactionRetry.h"
#include "server/BalanceStore.h"
#include "server/Errors.h"
#include "server/Rules.h"

namespace server {
namespace {

// The reasons of the lines of one transaction attempt.
class LineChecks {
  public:
    LineChecks(BalanceStore& store, const std::string& company, core::BalanceKind kind)
        : store_(store), company_(company), kind_(kind) {}

    // The reason the row cannot be written, or "".
    std::string Refusal(const BalanceRow& row, std::size_t number) {
        const auto [first, added] =
            keys_.emplace(std::make_tuple(row.month, row.account, row.owner), number);
        if (!added)
            return "Saldo repetido no arquivo (mesmo mês, conta e código da linha " +
                   std::to_string(first->second) + ").";
        auto usable = usable_.find(row.account);
        if (usable == usable_.end()) usable = usable_.emplace(row.account, Usable(row)).first;
        if (!usable->second.empty()) return usable->second;
        auto owner = owners_.find(row.owner);
        if (owner == owners_.end())
            owner =
                owners_.emplace(row.owner, ReferenceRefusal(store_, kind_, row).value_or("")).first;
        if (!owner->second.empty()) return owner->second;
        if (store_.Find(company_, kind_, row)) return "Conta comercial já cadastrada.";
        return {};
    }

  private:
    std::string Usable(const BalanceRow& row) {
        if (!store_.AccountExists(row.account)) return "Conta contábil não cadastrada.";
        if (!store_.AccountUsable(row.account))
            return "Conta contábil deve ser analítica e ter tipo comercial.";
        return {};
    }

    BalanceStore& store_;
    const std::string& company_;
    core::BalanceKind kind_;
    std::map<std::tuple<std::string, std::string, std::string>, std::size_t> keys_;
    std::map<std::string, std::string> usable_;
    std::map<std::string, std::string> owners_;
};

std::array<std::string, 4> CellsOf(const BalanceRow& row) {
    return {core::MonthTextOfIso(row.month), row.account, row.owner, core::BalanceText(row.cents)};
}

core::ImportedBalance Reported(const ImportLine& line) {
    return {line.number,    line.row.month, line.row.account,
            line.row.owner, line.row.cents, line.row.implanted};
}

// Checks every line and, when all pass and it is wanted, writes them. Returns the lines that
// passed (written, when the report says so).
std::vector<const ImportLine*> Apply(BalanceStore& store, const std::string& company,
                                     core::BalanceKind kind, const ImportFile& file, bool write,
                                     ImportReport& report) {
    if (!store.LockCompany(company)) throw RuleError("Empresa não cadastrada.");
    report.refusals = file.refusals;
    report.accepted.clear();
    LineChecks checks(store, company, kind);
    // The implanted lines that passed, per account and month, for the ledger rule.
    std::map<std::pair<std::string, std::string>, std::vector<std::size_t>> groups;
    std::vector<const ImportLine*> passed;
    for (const ImportLine& line : file.lines) {
        std::string reason = checks.Refusal(line.row, line.number);
        if (!reason.empty()) {
            report.refusals.push_back({line.number, std::move(reason), CellsOf(line.row)});
            continue;
        }
        if (line.row.implanted) groups[{line.row.account, line.row.month}].push_back(passed.size());
        passed.push_back(&line);
    }
    std::vector<bool> refused(passed.size(), false);
    for (const auto& [key, members] : groups) {
        std::int64_t added = 0;
        for (const std::size_t i : members) added += passed[i]->row.cents;
        if (AccountAllows(store, company, key.first, key.second, added)) continue;
        const std::int64_t stored = store.ImplantedTotal(company, key.first, key.second);
        const std::int64_t ledger = store.LedgerBalance(company, key.first, key.second);
        const std::string reason = std::string(kImplantRefusal) + " (conta " + key.first + ", " +
                                   core::MonthTextOfIso(key.second) + ": já implantado " +
                                   core::BalanceText(stored) + ", no arquivo " +
                                   core::BalanceText(added) + ", saldo contábil " +
                                   core::BalanceText(ledger) + ")";
        for (const std::size_t i : members) {
            refused[i] = true;
            report.refusals.push_back({passed[i]->number, reason, CellsOf(passed[i]->row)});
        }
    }
    std::vector<const ImportLine*> accepted;
    for (std::size_t i = 0; i < passed.size(); ++i) {
        if (refused[i]) continue;
        accepted.push_back(passed[i]);
        report.accepted.push_back(Reported(*passed[i]));
    }
    std::sort(report.refusals.begin(), report.refusals.end(),
              [](const auto& a, const auto& b) { return a.number < b.number; });
    if (!write || !report.refusals.empty()) return accepted;
    for (const ImportLine* line : accepted) store.Insert(company, kind, line->row);
    report.written = true;
    return accepted;
}

// The written lines as the audit trail records a packet of inserted rows.
void Audit(db::Connection& connection, const std::string& company, core::BalanceKind kind,
           const std::vector<const ImportLine*>& lines, AuditOrigin origin) {
    BalanceChanges changes;
    changes.company = company;
    changes.kind = kind;
    for (const ImportLine* line : lines) {
        changes.changes.push_back({core::ChangeKind::Inserted, BalanceChanges::kNone,
                                   static_cast<std::uint32_t>(changes.rows.size())});
        changes.rows.push_back(line->row);
    }
    if (origin.time.empty()) origin.time = UtcNow();
    AuditTrail trail(connection);
    trail.Append(trail.NextSequence(), origin, changes);
}

}  // namespace

ImportReport ImportBalances(db::Connection& connection, const std::string& company,
                            core::BalanceKind kind, std::string_view bytes, bool dryRun,
                            const AuditOrigin& origin) {
    const ImportFile file = ReadImportFile(bytes, kind);
    ImportReport report;
    report.encoding = file.encoding;
    report.dataLines = file.dataLines;
    report.dryRun = dryRun;
    // Nothing is committed but the inserts of a file without refusals; an attempt that meets a
    // Firebird lock conflict starts over from the file.
    db::RunWriteTransaction(connection, [&] {
        report.written = false;
        BalanceStore store(connection);
        const auto accepted = Apply(store, company, kind, file, !dryRun, report);
        if (report.written) Audit(connection, company, kind, accepted, origin);
    });
    return report;
}

std::string ImportReportText(const ImportReport& report) {
    std::string text;
    for (const core::ImportRefusal& r : report.refusals)
        text += "linha " + std::to_string(r.number) + ": " + r.reason + "\n";
    const std::string count = std::to_string(report.accepted.size());
    if (report.written) {
        text += count + " saldo(s) importado(s).\n";
    } else if (!report.refusals.empty()) {
        text += std::to_string(report.refusals.size()) + " linha(s) recusada(s); " +
                (report.dryRun ? std::string("a importação não gravaria nada.")
                               : std::string("nada foi gravado.")) +
                " " + count + " linha(s) sem problemas.\n";
    } else if (report.dryRun) {
        text += "Simulação: " + count + " saldo(s) seriam importados; nada foi gravado.\n";
    } else {
        text += "Nenhum saldo no arquivo.\n";
    }
    return text;
}

}  // namespace server

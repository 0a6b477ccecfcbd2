// Two grouped reads merged in memory: the balances are summed by the database, so the merge
// holds one entry per account and month however many balances the company has.
#include "server/TieOutReport.h"

#include <map>
#include <set>
#include <utility>

#include "server/Errors.h"

namespace server {

core::TieOut BuildTieOut(BalanceStore& store, const std::string& company,
                         std::optional<core::BalanceKind> kind) {
    if (!store.CompanyExists(company)) throw RuleError("Empresa não cadastrada.");
    std::map<std::pair<std::string, std::string>, core::TieOutLine> lines;  // (account, month)
    std::set<std::string, std::less<>> months;
    store.ReadImplantedTotals(
        company, kind,
        [&](std::string_view account, std::string_view month, std::int64_t implanted) {
            core::TieOutLine& line = lines[{std::string(account), std::string(month)}];
            line.account = account;
            line.month = month;
            line.implanted = implanted;
            months.emplace(month);
        });
    const std::string_view code = kind ? core::KindInfo(*kind).code : std::string_view();
    store.ReadLedgerBalances(company, [&](const BalanceStore::LedgerBalanceRow& ledger) {
        const auto key = std::make_pair(std::string(ledger.account), std::string(ledger.month));
        auto found = lines.find(key);
        if (found == lines.end()) {
            const bool ofTheKind = ledger.usable && (!kind || ledger.type == code);
            if (!ofTheKind || !months.contains(ledger.month)) return;
            found = lines.emplace(key, core::TieOutLine{}).first;
            found->second.account = ledger.account;
            found->second.month = ledger.month;
        }
        found->second.ledger = ledger.cents;
        found->second.hasLedger = true;
    });
    std::map<std::string, std::string, std::less<>> names;
    for (const auto& [key, line] : lines) names.emplace(key.first, std::string());
    store.ReadAccountNames([&](std::string_view account, std::string_view name) {
        const auto found = names.find(account);
        if (found != names.end()) found->second = name;
    });
    core::TieOut out;
    out.company = company;
    out.kind = kind;
    out.lines.reserve(lines.size());
    for (auto& [key, line] : lines) {
        line.accountName = names[key.first];
        out.lines.push_back(std::move(line));
    }
    return out;
}

}  // namespace server

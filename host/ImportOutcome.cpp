// The import report as the window shows it: fields read by name through core::ImportReport.
#include "host/ImportOutcome.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "core/Calendar.h"
#include "core/Error.h"
#include "core/ImportReport.h"
#include "core/PtBrNumber.h"

namespace host {
namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

ImportOutcome ImportOutcomeFromJson(const nlohmann::json& reply) {
    core::ImportReport report;
    try {
        report = core::ImportReportFromJson(reply);
    } catch (const core::Error& e) {
        throw core::Error(std::string("Resposta inválida do servidor de aplicação à importação. ") +
                          e.what());
    }
    ImportOutcome outcome;
    outcome.written = report.written;
    outcome.accepted = report.accepted.size();
    outcome.refused = report.refusals.size();
    for (const core::ImportedBalance& a : report.accepted)
        outcome.lines.push_back({a.number,
                                 Text(core::MonthTextOfIso(a.month)),
                                 Text(a.account),
                                 Text(a.owner),
                                 Text(core::BalanceText(a.cents)),
                                 {}});
    for (const core::ImportRefusal& r : report.refusals) {
        const auto& [month, account, owner, value] = r.cells;
        outcome.lines.push_back(
            {r.number, Text(month), Text(account), Text(owner), Text(value), Text(r.reason)});
    }
    std::stable_sort(outcome.lines.begin(), outcome.lines.end(),
                     [](const auto& a, const auto& b) { return a.number < b.number; });
    return outcome;
}

}  // namespace host

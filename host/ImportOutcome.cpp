#include "host/ImportOutcome.h"

#include <algorithm>
#include <cstdint>
#include <nlohmann/json.hpp>

#include "core/Error.h"
#include "core/PtBrNumber.h"

namespace host {
namespace {

QString Text(const nlohmann::json& value) {
    return QString::fromStdString(value.get<std::string>());
}

}  // namespace

ImportOutcome ImportOutcomeFromJson(const nlohmann::json& reply) {
    ImportOutcome outcome;
    try {
        outcome.written = reply.at("gravado").get<bool>();
        for (const nlohmann::json& a : reply.at("aceitas")) {
            if (a.size() < 5) throw core::Error("");
            outcome.lines.push_back(
                {a.at(0).get<std::size_t>(),
                 Text(a.at(1)),
                 Text(a.at(2)),
                 Text(a.at(3)),
                 QString::fromStdString(core::BalanceText(a.at(4).get<std::int64_t>())),
                 {}});
        }
        outcome.accepted = outcome.lines.size();
        for (const nlohmann::json& r : reply.at("recusadas")) {
            ImportPreviewLine line{r.at(0).get<std::size_t>(), {}, {}, {}, {}, Text(r.at(1))};
            // The fields are there when the server could read them.
            if (r.size() >= 6) {
                line.month = Text(r.at(2));
                line.account = Text(r.at(3));
                line.owner = Text(r.at(4));
                line.value = Text(r.at(5));
            }
            outcome.lines.push_back(std::move(line));
        }
        outcome.refused = outcome.lines.size() - outcome.accepted;
    } catch (const std::exception&) {
        throw core::Error("Resposta inválida do servidor de aplicação à importação.");
    }
    std::stable_sort(outcome.lines.begin(), outcome.lines.end(),
                     [](const auto& a, const auto& b) { return a.number < b.number; });
    return outcome;
}

}  // namespace host

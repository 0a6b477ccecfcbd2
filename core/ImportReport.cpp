// The import report's wire form, written and read here only.
#include "core/ImportReport.h"

#include <nlohmann/json.hpp>

#include "core/Calendar.h"
#include "core/Error.h"
#include "core/Money.h"
#include "core/Utf8.h"

namespace core {
namespace {

// The longest reason the server gives is far shorter; this bounds a reply that is not one.
constexpr std::size_t kMaxReasonChars = 1024;

[[noreturn]] void Refuse(const std::string& what) {
    throw Error("Relatório de importação inválido: " + what + ".");
}

std::string CheckedText(const nlohmann::json& value, std::size_t maxChars, const char* what) {
    if (!value.is_string()) Refuse(std::string(what) + " deve ser texto");
    const std::string& text = value.get_ref<const std::string&>();
    if (!IsValidUtf8(text) || Utf8Length(text) > maxChars)
        Refuse(std::string(what) + " longo demais ou fora de UTF-8");
    return text;
}

std::size_t CheckedCount(const nlohmann::json& value, const char* what) {
    // A reply parsed from text holds a natural number as unsigned; one built in memory may not.
    if (!value.is_number_integer() || value.get<std::int64_t>() < 0)
        Refuse(std::string(what) + " deve ser um número natural");
    return value.get<std::size_t>();
}

const nlohmann::json& Row(const nlohmann::json& row, const char* what) {
    if (!row.is_array() || row.size() != 6) Refuse(std::string(what) + " malformada");
    return row;
}

const nlohmann::json& Array(const nlohmann::json& json, const char* key) {
    const auto found = json.find(key);
    if (found == json.end() || !found->is_array()) Refuse(std::string("\"") + key + "\" ausente");
    return *found;
}

ImportedBalance AcceptedOf(const nlohmann::json& row) {
    Row(row, "linha aceita");
    ImportedBalance line;
    line.number = CheckedCount(row[0], "o número da linha");
    const auto month = LastDayIsoOfMonthText(CheckedText(row[1], 7, "o mês"));
    if (!month) Refuse("mês fora de MM/AAAA");
    line.month = *month;
    line.account = CheckedText(row[2], kMaxImportAccountChars, "a conta");
    line.owner = CheckedText(row[3], kMaxImportOwnerChars, "o código");
    if (!row[4].is_number_integer()) Refuse("valor não inteiro");
    line.cents = row[4].get<std::int64_t>();
    if (line.cents > kMaxCents || line.cents < -kMaxCents) Refuse("valor fora do limite");
    if (!row[5].is_boolean()) Refuse("implantado deve ser verdadeiro ou falso");
    line.implanted = row[5].get<bool>();
    return line;
}

ImportRefusal RefusalOf(const nlohmann::json& row) {
    Row(row, "linha recusada");
    ImportRefusal refusal;
    refusal.number = CheckedCount(row[0], "o número da linha");
    refusal.reason = CheckedText(row[1], kMaxReasonChars, "o motivo");
    for (std::size_t i = 0; i < refusal.cells.size(); ++i)
        refusal.cells[i] = CheckedText(row[i + 2], kMaxImportLineBytes, "o campo");
    return refusal;
}

}  // namespace

nlohmann::json ImportReportToJson(const ImportReport& report) {
    nlohmann::json accepted = nlohmann::json::array();
    for (const ImportedBalance& l : report.accepted)
        accepted.push_back(
            {l.number, MonthTextOfIso(l.month), l.account, l.owner, l.cents, l.implanted});
    nlohmann::json refusals = nlohmann::json::array();
    for (const ImportRefusal& r : report.refusals)
        refusals.push_back({r.number, r.reason, r.cells[0], r.cells[1], r.cells[2], r.cells[3]});
    return {
        {"codificacao", report.encoding}, {"linhas", report.dataLines}, {"gravado", report.written},
        {"simulacao", report.dryRun},     {"aceitas", accepted},        {"recusadas", refusals}};
}

ImportReport ImportReportFromJson(const nlohmann::json& json) {
    if (!json.is_object()) Refuse("objeto esperado");
    ImportReport report;
    if (json.contains("codificacao"))
        report.encoding = CheckedText(json["codificacao"], 16, "a codificação");
    if (json.contains("linhas")) report.dataLines = CheckedCount(json["linhas"], "\"linhas\"");
    const auto flag = [&](const char* key, bool required) {
        const auto found = json.find(key);
        if (found == json.end() && !required) return false;
        if (found == json.end() || !found->is_boolean())
            Refuse(std::string("\"") + key + "\" deve ser verdadeiro ou falso");
        return found->get<bool>();
    };
    report.written = flag("gravado", true);
    report.dryRun = flag("simulacao", false);
    const nlohmann::json& accepted = Array(json, "aceitas");
    const nlohmann::json& refusals = Array(json, "recusadas");
    if (accepted.size() + refusals.size() > kMaxImportLines) Refuse("linhas demais");
    report.accepted.reserve(accepted.size());
    for (const nlohmann::json& row : accepted) report.accepted.push_back(AcceptedOf(row));
    report.refusals.reserve(refusals.size());
    for (const nlohmann::json& row : refusals) report.refusals.push_back(RefusalOf(row));
    return report;
}

}  // namespace core

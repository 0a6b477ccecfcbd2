// The tie-out's status rule, wire form and texts.
#include "core/TieOut.h"

#include <nlohmann/json.hpp>

#include <algorithm>

#include "core/Calendar.h"
#include "core/Csv.h"
#include "core/Error.h"
#include "core/Money.h"
#include "core/PtBrNumber.h"
#include "core/Utf8.h"

namespace core {
namespace {

// A row of the report as CSV: the three amounts are numbers, the other cells text.
std::string CsvLine(const std::vector<std::string>& cells) {
    std::vector<CsvCell> row;
    for (std::size_t i = 0; i < cells.size(); ++i) row.push_back({cells[i], i >= 3 && i <= 5});
    return CsvRow(row, ';', "\r\n");
}

std::int64_t CheckedCents(const nlohmann::json& value) {
    if (!value.is_number_integer()) throw Error("Conferência inválida: valor não inteiro.");
    const std::int64_t cents = value.get<std::int64_t>();
    // Totals of many lines stay far from overflow when each line is a stored amount.
    if (cents > kMaxCents * 1000 || cents < -kMaxCents * 1000)
        throw Error("Conferência inválida: valor fora do limite.");
    return cents;
}

std::string CheckedText(const nlohmann::json& value, std::size_t maxChars) {
    if (!value.is_string()) throw Error("Conferência inválida: texto esperado.");
    const std::string& text = value.get_ref<const std::string&>();
    if (!IsValidUtf8(text) || Utf8Length(text) > maxChars)
        throw Error("Conferência inválida: texto longo demais ou fora de UTF-8.");
    return text;
}

}  // namespace

TieOutStatus TieOutStatusOf(std::int64_t implanted, std::int64_t ledger) {
    if (implanted == ledger) return TieOutStatus::Within;
    const bool beyond =
        ledger >= 0 ? (implanted < 0 || implanted > ledger) : (implanted > 0 || implanted < ledger);
    return beyond ? TieOutStatus::Exceeds : TieOutStatus::Short;
}

const char* TieOutStatusText(TieOutStatus status) {
    switch (status) {
        case TieOutStatus::Within:
            return "Confere";
        case TieOutStatus::Exceeds:
            return "Excede";
        case TieOutStatus::Short:
            return "Abaixo";
    }
    return "";
}

std::int64_t TieOut::Implanted() const {
    std::int64_t total = 0;
    for (const TieOutLine& line : lines) total += line.implanted;
    return total;
}

std::int64_t TieOut::Ledger() const {
    std::int64_t total = 0;
    for (const TieOutLine& line : lines) total += line.ledger;
    return total;
}

std::size_t TieOut::Count(TieOutStatus status) const {
    return static_cast<std::size_t>(std::count_if(
        lines.begin(), lines.end(), [&](const TieOutLine& l) { return l.Status() == status; }));
}

std::string TieOutKindCode(const std::optional<BalanceKind>& kind) {
    return kind ? std::string(KindInfo(*kind).code) : std::string();
}

std::optional<std::optional<BalanceKind>> TieOutKindOfCode(std::string_view code) {
    // Built in place: GCC 12 takes a moved empty inner optional for an uninitialised one.
    std::optional<std::optional<BalanceKind>> found;
    if (code.empty()) {
        found.emplace();
        return found;
    }
    for (const BalanceKind kind :
         {BalanceKind::Suppliers, BalanceKind::Clients, BalanceKind::Banks})
        if (KindInfo(kind).code == code) found.emplace(kind);
    return found;
}

nlohmann::json TieOutToJson(const TieOut& tieOut) {
    nlohmann::json lines = nlohmann::json::array();
    for (const TieOutLine& l : tieOut.lines)
        lines.push_back({l.account, l.accountName, l.month, l.implanted, l.ledger, l.hasLedger});
    return {{"empresa", tieOut.company}, {"tipo", TieOutKindCode(tieOut.kind)}, {"linhas", lines}};
}

TieOut TieOutFromJson(const nlohmann::json& json) {
    if (!json.is_object() || !json.contains("linhas") || !json["linhas"].is_array())
        throw Error("Conferência inválida: linhas ausentes.");
    TieOut out;
    out.company = CheckedText(json.value("empresa", nlohmann::json()), 2);
    const auto kind = TieOutKindOfCode(CheckedText(json.value("tipo", nlohmann::json()), 1));
    if (!kind) throw Error("Conferência inválida: tipo desconhecido.");
    out.kind = *kind;
    for (const nlohmann::json& l : json["linhas"]) {
        if (!l.is_array() || l.size() != 6 || !l[5].is_boolean())
            throw Error("Conferência inválida: linha malformada.");
        TieOutLine line;
        line.account = CheckedText(l[0], 20);
        line.accountName = CheckedText(l[1], 40);
        line.month = CheckedText(l[2], 10);
        line.implanted = CheckedCents(l[3]);
        line.ledger = CheckedCents(l[4]);
        line.hasLedger = l[5].get<bool>();
        out.lines.push_back(std::move(line));
    }
    return out;
}

const std::vector<std::string>& TieOutHeadings() {
    static const std::vector<std::string> headings = {
        "Conta Contábil", "Nome", "Mês", "Implantado", "Contábil", "Diferença", "Situação"};
    return headings;
}

std::vector<std::string> TieOutCells(const TieOutLine& line) {
    return {line.account,
            line.accountName,
            MonthTextOfIso(line.month),
            BalanceText(line.implanted),
            line.hasLedger ? BalanceText(line.ledger) : "sem saldo",
            BalanceText(line.Difference()),
            TieOutStatusText(line.Status())};
}

std::vector<std::string> TieOutTotalCells(const TieOut& tieOut) {
    const std::string counts = std::to_string(tieOut.Count(TieOutStatus::Within)) + " conferem, " +
                               std::to_string(tieOut.Count(TieOutStatus::Exceeds)) + " excedem, " +
                               std::to_string(tieOut.Count(TieOutStatus::Short)) + " abaixo";
    return {"Total",
            "",
            "",
            BalanceText(tieOut.Implanted()),
            BalanceText(tieOut.Ledger()),
            BalanceText(tieOut.Difference()),
            counts};
}

std::string TieOutCsv(const TieOut& tieOut) {
    std::string text = CsvLine(TieOutHeadings());
    for (const TieOutLine& l : tieOut.lines) {
        text += CsvLine({l.account, l.accountName, MonthTextOfIso(l.month), CentsText(l.implanted),
                         l.hasLedger ? CentsText(l.ledger) : "", CentsText(l.Difference()),
                         TieOutStatusText(l.Status())});
    }
    std::vector<std::string> totals = TieOutTotalCells(tieOut);
    totals[3] = CentsText(tieOut.Implanted());
    totals[4] = CentsText(tieOut.Ledger());
    totals[5] = CentsText(tieOut.Difference());
    return text + CsvLine(totals);
}

std::string TieOutTable(const TieOut& tieOut) {
    std::vector<std::vector<std::string>> rows;
    rows.push_back(TieOutHeadings());
    for (const TieOutLine& l : tieOut.lines) rows.push_back(TieOutCells(l));
    rows.push_back(TieOutTotalCells(tieOut));
    std::vector<std::size_t> widths(TieOutHeadings().size(), 0);
    for (const auto& row : rows)
        for (std::size_t i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], Utf8Length(row[i]));
    // Amounts align right, texts left; the status column is last and not padded.
    const auto line = [&](const std::vector<std::string>& row) {
        std::string text;
        for (std::size_t i = 0; i < row.size(); ++i) {
            const std::string pad(widths[i] - Utf8Length(row[i]), ' ');
            if (i > 0) text += "  ";
            if (i >= 3 && i <= 5) {
                text += pad + row[i];
            } else {
                text += row[i];
                if (i + 1 < row.size()) text += pad;
            }
        }
        return text + "\n";
    };
    std::string text = line(rows.front());
    std::size_t width = 0;
    for (const std::size_t w : widths) width += w + 2;
    const std::string rule(width - 2, '-');
    text += rule + "\n";
    for (std::size_t i = 1; i + 1 < rows.size(); ++i) text += line(rows[i]);
    text += rule + "\n" + line(rows.back());
    return text;
}

}  // namespace core

// The tie-out of implanted balances against the ledger ("Conferência com a contabilidade"): per
// ledger account and month, the implanted total, the ledger balance, their difference and a
// status, with totals. Built by the server, carried on the wire as JSON, shown by the command
// line and the shell; the texts here are the ones every one of them shows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "core/BalanceLayout.h"

namespace core {

// Where the implanted total stands against the ledger balance (credit positive):
// equal to it, beyond it (larger in size or of the other sign), or short of it.
enum class TieOutStatus { Within, Exceeds, Short };

TieOutStatus TieOutStatusOf(std::int64_t implanted, std::int64_t ledger);
// "Confere", "Excede", "Abaixo".
const char* TieOutStatusText(TieOutStatus status);

struct TieOutLine {
    std::string account;
    std::string accountName;
    std::string month;  // "YYYY-MM-DD", the month's last day
    std::int64_t implanted = 0;
    std::int64_t ledger = 0;  // 0 when the ledger holds no balance for the month
    bool hasLedger = false;

    std::int64_t Difference() const { return ledger - implanted; }
    TieOutStatus Status() const { return TieOutStatusOf(implanted, ledger); }
};

struct TieOut {
    std::string company;
    std::optional<BalanceKind> kind;  // none: every kind
    std::vector<TieOutLine> lines;    // by account, then month

    std::int64_t Implanted() const;
    std::int64_t Ledger() const;
    std::int64_t Difference() const { return Ledger() - Implanted(); }
    std::size_t Count(TieOutStatus status) const;
};

// The kind's code ("F", "C", "B") or "" for every kind, as the method and the CLI take it.
std::string TieOutKindCode(const std::optional<BalanceKind>& kind);
// nullopt for a code that is none of those; the outer optional empty means invalid.
std::optional<std::optional<BalanceKind>> TieOutKindOfCode(std::string_view code);

// The wire form: {"empresa", "tipo", "linhas": [[conta, nome, mês, implantado, contábil,
// tem_contábil], ...]} with amounts in integer cents.
nlohmann::json TieOutToJson(const TieOut& tieOut);
// Raises core::Error for anything that is not that form.
TieOut TieOutFromJson(const nlohmann::json& json);

// The column headings of the report, in order.
const std::vector<std::string>& TieOutHeadings();
// The cells of a line as shown: account, name, "MM/YYYY", then the three amounts as
// "1.234,50 CR" and the status.
std::vector<std::string> TieOutCells(const TieOutLine& line);
// The totals row's cells, in the same columns.
std::vector<std::string> TieOutTotalCells(const TieOut& tieOut);

// ";"-separated text for spreadsheets: the headings, one row per line with signed amounts
// ("-1.234,50"), then the totals; written through core/Csv, whose guard keeps text cells
// from reading as formulas.
std::string TieOutCsv(const TieOut& tieOut);
// A plain-text table with aligned columns and the totals, for a terminal.
std::string TieOutTable(const TieOut& tieOut);

}  // namespace core

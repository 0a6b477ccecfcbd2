// The report of an import of opening balances or of its dry run: which lines of the file would
// be or were written, and each refused line with its reason. Built by the server, carried on
// the wire as JSON, read by the shell's import window through the same type.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace core {

// How far an import file goes; the report's reader holds the server's answer to them too.
inline constexpr std::size_t kMaxImportLineBytes = 1024;
inline constexpr std::size_t kMaxImportLines = 1'000'000;
inline constexpr std::size_t kMaxImportAccountChars = 16;
inline constexpr std::size_t kMaxImportOwnerChars = 21;

struct ImportedBalance {
    std::size_t number = 0;  // in the file, the header being line 1
    std::string month;       // "YYYY-MM-DD", the month's last day
    std::string account;
    std::string owner;
    std::int64_t cents = 0;
    bool implanted = true;
};

struct ImportRefusal {
    std::size_t number = 0;
    std::string reason;  // Portuguese, for the user
    // The line's month, account, code and amount as the file (or the reading) has them, ""
    // where unknown: what a preview shows beside the reason.
    std::array<std::string, 4> cells;
};

struct ImportReport {
    std::string encoding;  // of the file: "UTF-8" or "Latin-1"
    std::size_t dataLines = 0;
    std::vector<ImportedBalance> accepted;  // the lines written, or that a dry run would write
    std::vector<ImportRefusal> refusals;    // by line number; none when anything was written
    bool dryRun = false;
    bool written = false;
};

// The wire form: {"codificacao", "linhas", "gravado", "simulacao", "aceitas": [[linha, mês
// "MM/AAAA", conta, código, valor em centavos, implantado], ...], "recusadas": [[linha,
// motivo, mês, conta, código, valor], ...]} (the refused line's fields as read, "" where
// unknown).
nlohmann::json ImportReportToJson(const ImportReport& report);
// Raises core::Error, saying what is wrong, for anything that is not that form: texts longer
// than a file's line allows, more lines than a file may hold, a month or an amount out of
// range. "codificacao", "linhas" and "simulacao" may be absent (the window does not show them).
ImportReport ImportReportFromJson(const nlohmann::json& json);

}  // namespace core

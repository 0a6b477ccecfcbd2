// Reading a balance file as Brazilian spreadsheets write it: ";"-separated fields (quoted
// when they hold ";" or quotes), a header line naming the columns, months as "MM/AAAA",
// amounts as "1.234,50" with a sign or a CR/DB mark, UTF-8 or Latin-1 (Windows) text. The
// file is untrusted: its size, its line length and its line count are bounded.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/BalanceLayout.h"
#include "core/ImportReport.h"
#include "server/BalanceChanges.h"

namespace server {

inline constexpr std::size_t kMaxImportBytes = 64u << 20;
using core::kMaxImportAccountChars;
using core::kMaxImportLineBytes;
using core::kMaxImportLines;
using core::kMaxImportOwnerChars;

struct ImportLine {
    std::size_t number = 0;  // in the file, the header being line 1
    BalanceRow row;
};

struct ImportFile {
    std::string encoding;       // "UTF-8" or "Latin-1"
    std::size_t dataLines = 0;  // lines after the header, blank ones left out
    std::vector<ImportLine> lines;
    std::vector<core::ImportRefusal> refusals;  // by line number
};

// Reads the file of the kind's balances. Lines that cannot be read (a bad month, amount,
// account or code) are refused one by one with their reason; the file as a whole is refused
// with ArgumentError when it is empty, too large, holds too many lines, is not text, or its
// header lacks the month, account, code or amount column.
//
// Columns, by header name in any letter case, with or without accents: "Mês" (MM/AAAA),
// "Conta" or "Conta Contábil", "Código" (or "Fornecedor", "Cliente", "Conta Corrente"),
// "Valor" (or "Saldo"), and optionally "Implantado" ("Sim" or "Não"; "Sim" when absent or
// blank). Other columns (names, for instance) are ignored.
ImportFile ReadImportFile(std::string_view bytes, core::BalanceKind kind);

}  // namespace server

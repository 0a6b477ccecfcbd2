// The import file's own rules: its columns, months, amounts and marks, read line by line from
// one decoded copy of the file, without recursion or unbounded buffers.
#include "server/ImportFile.h"

#include <array>
#include <cstdint>
#include <optional>

#include "core/Calendar.h"
#include "core/Csv.h"
#include "core/MessageText.h"
#include "core/Money.h"
#include "core/Utf8.h"
#include "server/Errors.h"

namespace server {
namespace {

constexpr char kSeparator = ';';

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// Lower case without accents, blanks collapsed: how header names and marks compare.
std::string Folded(std::string_view text) {
    std::string out;
    for (const char c : core::FoldedForComparison(Trimmed(text))) {
        if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
        out += c;
    }
    return out;
}

enum Column { kMonth, kAccount, kOwner, kValue, kImplanted, kColumns };

std::optional<Column> ColumnOf(std::string_view heading) {
    const std::string name = Folded(heading);
    if (name == "mes") return kMonth;
    if (name == "conta" || name == "conta contabil") return kAccount;
    if (name == "codigo" || name == "fornecedor" || name == "cliente" || name == "conta corrente")
        return kOwner;
    if (name == "valor" || name == "saldo") return kValue;
    if (name == "implantado") return kImplanted;
    return std::nullopt;
}

bool HasControl(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
    return false;
}

// "1.234,50", "-1.234,50", "1.234,50 CR", "1.234,50DB": credit positive, debit negative.
std::optional<std::int64_t> AmountOf(std::string_view text, std::string& reason) {
    std::string_view number = text;
    int mark = 0;
    if (number.size() >= 2) {
        const std::string tail = Folded(number.substr(number.size() - 2));
        if (tail == "cr" || tail == "db") {
            mark = tail == "cr" ? 1 : -1;
            number = Trimmed(number.substr(0, number.size() - 2));
            if (!number.empty() && (number.front() == '-' || number.front() == '+')) {
                reason = "Valor com sinal e CR/DB ao mesmo tempo: " + core::Quoted(text) + ".";
                return std::nullopt;
            }
        }
    }
    core::MoneyTextError error = core::MoneyTextError::None;
    const auto cents = core::CentsOfText(number, &error);
    if (!cents) {
        reason = error == core::MoneyTextError::OutOfRange
                     ? "Valor fora do limite: " + core::Quoted(text) + "."
                     : "Valor inválido: " + core::Quoted(text) +
                           " (use 1.234,50, -1.234,50 ou "
                           "1.234,50 CR/DB).";
        return std::nullopt;
    }
    return mark < 0 ? -*cents : *cents;
}

// The month, account, code and amount fields of a line, trimmed ("" when absent).
std::array<std::string, 4> CellsOf(const std::vector<std::string>& fields,
                                   const std::array<std::size_t, kColumns>& at) {
    std::array<std::string, 4> cells;
    for (int c = kMonth; c <= kValue; ++c)
        if (at[c] != SIZE_MAX && at[c] < fields.size()) cells[c] = Trimmed(fields[at[c]]);
    return cells;
}

// The reason a line cannot be read, or "" with `out` filled.
std::string ReadLine(const std::vector<std::string>& fields,
                     const std::array<std::size_t, kColumns>& at, core::BalanceKind kind,
                     BalanceRow& out) {
    const auto field = [&](Column c) -> std::string_view {
        if (at[c] == SIZE_MAX || at[c] >= fields.size()) return {};
        return Trimmed(fields[at[c]]);
    };
    for (const std::string& f : fields)
        if (HasControl(f)) return "A linha contém caracteres de controle.";
    const std::string_view month = field(kMonth);
    if (month.empty()) return "Mês deve ser informado.";
    const auto lastDay = core::LastDayIsoOfMonthText(month);
    if (!lastDay) return "Mês inválido: " + core::Quoted(month) + " (use MM/AAAA).";
    const std::string_view account = field(kAccount);
    if (account.empty()) return "Conta Contábil deve ser informada.";
    if (core::Utf8Length(account) > kMaxImportAccountChars)
        return "Conta contábil com mais de 16 caracteres: " + core::Quoted(account) + ".";
    const std::string_view owner = field(kOwner);
    const std::string_view label = core::KindInfo(kind).codeLabel;
    if (owner.empty()) return std::string(label) + " deve ser informado.";
    if (core::Utf8Length(owner) > kMaxImportOwnerChars)
        return std::string(label) + " com mais de 21 caracteres: " + core::Quoted(owner) + ".";
    const std::string_view value = field(kValue);
    if (value.empty()) return "Valor de Saldo deve ser informado.";
    std::string reason;
    const auto cents = AmountOf(value, reason);
    if (!cents) return reason;
    const std::string implanted = Folded(field(kImplanted));
    if (implanted.empty() || implanted == "sim" || implanted == "s") {
        out.implanted = true;
    } else if (implanted == "nao" || implanted == "n") {
        out.implanted = false;
    } else {
        return "Implantado deve ser Sim ou Não: " + core::Quoted(field(kImplanted)) + ".";
    }
    out.month = *lastDay;
    out.account = account;
    out.owner = owner;
    out.cents = *cents;
    return {};
}

}  // namespace

ImportFile ReadImportFile(std::string_view bytes, core::BalanceKind kind) {
    if (bytes.size() > kMaxImportBytes)
        throw ArgumentError("Arquivo grande demais: o limite é de " +
                            std::to_string(kMaxImportBytes >> 20) + " MB.");
    if (bytes.find('\0') != std::string_view::npos)
        throw ArgumentError("O arquivo não é texto (contém bytes nulos).");
    ImportFile out;
    const core::CsvFileText decoded = core::DecodeCsvBytes(bytes);
    out.encoding = decoded.encoding == core::CsvEncoding::Utf8 ? "UTF-8" : "Latin-1";
    std::string_view text = decoded.utf8;
    std::array<std::size_t, kColumns> at;
    at.fill(SIZE_MAX);
    bool header = false;
    std::vector<std::string> fields;
    std::size_t number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (Trimmed(line).empty()) continue;
        if (!header) {
            if (line.size() > kMaxImportLineBytes || !core::SplitCsvLine(line, kSeparator, fields))
                throw ArgumentError("Cabeçalho ilegível na linha " + std::to_string(number) + ".");
            for (std::size_t i = 0; i < fields.size(); ++i) {
                const auto column = ColumnOf(fields[i]);
                if (!column) continue;
                if (at[*column] != SIZE_MAX)
                    throw ArgumentError("Coluna repetida no cabeçalho: " + core::Quoted(fields[i]) +
                                        ".");
                at[*column] = i;
            }
            std::string missing;
            const char* names[] = {"Mês", "Conta", "Código", "Valor"};
            for (int c = kMonth; c <= kValue; ++c)
                if (at[c] == SIZE_MAX)
                    missing += (missing.empty() ? "" : ", ") + std::string(names[c]);
            if (!missing.empty())
                throw ArgumentError("O cabeçalho (linha " + std::to_string(number) +
                                    ") não tem a(s) coluna(s): " + missing +
                                    ". Separe as colunas com \";\".");
            header = true;
            continue;
        }
        if (++out.dataLines > kMaxImportLines)
            throw ArgumentError("Arquivo com linhas demais: o limite é de " +
                                std::to_string(kMaxImportLines) + " saldos.");
        if (line.size() > kMaxImportLineBytes) {
            out.refusals.push_back({number,
                                    "Linha longa demais (mais de " +
                                        std::to_string(kMaxImportLineBytes) + " caracteres).",
                                    {}});
            continue;
        }
        if (!core::SplitCsvLine(line, kSeparator, fields)) {
            out.refusals.push_back({number, "Aspas sem fechamento.", {}});
            continue;
        }
        ImportLine read;
        read.number = number;
        std::string reason = ReadLine(fields, at, kind, read.row);
        if (!reason.empty()) {
            out.refusals.push_back({number, std::move(reason), CellsOf(fields, at)});
            continue;
        }
        out.lines.push_back(std::move(read));
    }
    if (!header) throw ArgumentError("Arquivo vazio: nenhum cabeçalho encontrado.");
    return out;
}

}  // namespace server

// The file's text, line by line, without recursion or unbounded buffers: every field is a view
// into one decoded copy of the file.
#include "server/ImportFile.h"

#include <array>
#include <cstdint>
#include <optional>

#include "core/Calendar.h"
#include "core/MessageText.h"
#include "core/Money.h"
#include "core/Utf8.h"
#include "server/Errors.h"

namespace server {
namespace {

// Windows-1252 in 0x80..0x9F, where Latin-1 has control characters: spreadsheets on Windows
// write these ("€", curly quotes, dashes). 0 marks the five unassigned bytes.
constexpr std::array<char32_t, 32> kWindows1252 = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::string FromLatin1(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 8);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        char32_t character = byte;
        if (byte >= 0x80 && byte < 0xA0 && kWindows1252[byte - 0x80] != 0)
            character = kWindows1252[byte - 0x80];
        core::AppendUtf8(text, character);
    }
    return text;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// Lower case without the accents of Portuguese, blanks collapsed: how header names compare.
std::string Folded(std::string_view text) {
    std::string out;
    for (const char32_t c : core::Utf8Decode(Trimmed(text))) {
        char32_t base = c;
        if (c >= U'A' && c <= U'Z') base = c - U'A' + U'a';
        switch (c) {
            case U'á':
            case U'à':
            case U'â':
            case U'ã':
            case U'Á':
            case U'À':
            case U'Â':
            case U'Ã':
                base = U'a';
                break;
            case U'é':
            case U'ê':
            case U'É':
            case U'Ê':
                base = U'e';
                break;
            case U'í':
            case U'Í':
                base = U'i';
                break;
            case U'ó':
            case U'ô':
            case U'õ':
            case U'Ó':
            case U'Ô':
            case U'Õ':
                base = U'o';
                break;
            case U'ú':
            case U'Ú':
            case U'ü':
            case U'Ü':
                base = U'u';
                break;
            case U'ç':
            case U'Ç':
                base = U'c';
                break;
            default:
                break;
        }
        if (base == U' ' && (out.empty() || out.back() == ' ')) continue;
        core::AppendUtf8(out, base);
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

// Splits a line at ";" outside quotes; "" inside quotes is one quote. False for a quote left
// open.
bool SplitFields(std::string_view line, std::vector<std::string>& fields) {
    fields.clear();
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c != '"') {
                field += c;
            } else if (i + 1 < line.size() && line[i + 1] == '"') {
                field += '"';
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ';') {
            fields.push_back(std::move(field));
            field.clear();
        } else {
            field += c;
        }
    }
    fields.push_back(std::move(field));
    return !quoted;
}

bool HasControl(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
    return false;
}

// "MM/AAAA" to the month's last day.
std::optional<std::string> MonthOf(std::string_view text) {
    if (text.size() != 7 || text[2] != '/') return std::nullopt;
    int month = 0, year = 0;
    for (std::size_t i = 0; i < 7; ++i) {
        if (i == 2) continue;
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        (i < 2 ? month : year) = (i < 2 ? month : year) * 10 + (text[i] - '0');
    }
    if (core::DaysInMonth(year, month) == 0) return std::nullopt;
    return core::LastDayIso(year, month);
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

const char* OwnerLabel(core::BalanceKind kind) {
    switch (kind) {
        case core::BalanceKind::Suppliers:
            return "Código do fornecedor";
        case core::BalanceKind::Clients:
            return "Código do cliente";
        case core::BalanceKind::Banks:
            return "Código da conta corrente";
    }
    return "Código";
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
    const auto lastDay = MonthOf(month);
    if (!lastDay) return "Mês inválido: " + core::Quoted(month) + " (use MM/AAAA).";
    const std::string_view account = field(kAccount);
    if (account.empty()) return "Conta Contábil deve ser informada.";
    if (core::Utf8Length(account) > kMaxImportAccountChars)
        return "Conta contábil com mais de 16 caracteres: " + core::Quoted(account) + ".";
    const std::string_view owner = field(kOwner);
    if (owner.empty()) return std::string(OwnerLabel(kind)) + " deve ser informado.";
    if (core::Utf8Length(owner) > kMaxImportOwnerChars)
        return std::string(OwnerLabel(kind)) +
               " com mais de 21 caracteres: " + core::Quoted(owner) + ".";
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
    std::string latin1;
    std::string_view text = bytes;
    if (core::IsValidUtf8(bytes)) {
        out.encoding = "UTF-8";
        if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    } else {
        out.encoding = "Latin-1";
        latin1 = FromLatin1(bytes);
        text = latin1;
    }
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
            if (line.size() > kMaxImportLineBytes || !SplitFields(line, fields))
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
        if (!SplitFields(line, fields)) {
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

std::optional<std::string> DecodeBase64(std::string_view text) {
    if (text.size() % 4 != 0) return std::nullopt;
    const auto value = [](char c) -> int {
        if (c >= 'A' && c <= 'Z') return c - 'A';
        if (c >= 'a' && c <= 'z') return c - 'a' + 26;
        if (c >= '0' && c <= '9') return c - '0' + 52;
        if (c == '+') return 62;
        if (c == '/') return 63;
        return -1;
    };
    std::string out;
    out.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        const int pad = last ? (text[i + 3] == '=') + (text[i + 2] == '=') : 0;
        if (pad == 1 && text[i + 2] == '=') return std::nullopt;
        std::uint32_t group = 0;
        for (int k = 0; k < 4; ++k) {
            const int v = k >= 4 - pad ? 0 : value(text[i + k]);
            if (v < 0) return std::nullopt;
            group = group << 6 | static_cast<std::uint32_t>(v);
        }
        out += static_cast<char>(group >> 16 & 0xFF);
        if (pad < 2) out += static_cast<char>(group >> 8 & 0xFF);
        if (pad < 1) out += static_cast<char>(group & 0xFF);
    }
    return out;
}

}  // namespace server

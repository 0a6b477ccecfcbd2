// The three layouts of the audit trail. Money is shown in cents' exact decimal form.
#include "server/AuditReport.h"

#include <nlohmann/json.hpp>

#include <cstdio>

#include "core/Csv.h"
#include "core/Money.h"
#include "core/Utf8.h"

namespace server {
namespace {

// The change in lower case, as the report's other words ("inclusão"); the names open with an
// ASCII capital.
std::string ChangeWord(char change) {
    std::string word = ChangeName(change);
    word[0] = static_cast<char>(word[0] - 'A' + 'a');
    return word;
}

// "-1234.50": the exact value, with a point, as CSV and JSON readers expect.
std::string Amount(std::int64_t cents) {
    const bool negative = cents < 0;
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(cents) : static_cast<std::uint64_t>(cents);
    char text[32];
    std::snprintf(text, sizeof text, "%s%llu.%02llu", negative ? "-" : "",
                  static_cast<unsigned long long>(magnitude / 100),
                  static_cast<unsigned long long>(magnitude % 100));
    return text;
}

const std::vector<std::string> kHeader = {
    "sequencia",    "item",          "momento_utc",  "empresa",          "tipo",
    "endereco",     "usuario",       "chave",        "alteracao",        "mes_antes",
    "conta_antes",  "codigo_antes",  "valor_antes",  "implantado_antes", "mes_depois",
    "conta_depois", "codigo_depois", "valor_depois", "implantado_depois"};

std::vector<std::string> Cells(const AuditRecord& r) {
    std::vector<std::string> cells{std::to_string(r.sequence),
                                   std::to_string(r.item),
                                   r.origin.time,
                                   r.company,
                                   r.kindCode,
                                   r.origin.peer,
                                   r.origin.user,
                                   r.origin.key,
                                   ChangeWord(r.change)};
    for (const auto* side : {&r.before, &r.after}) {
        if (*side) {
            cells.push_back((*side)->month);
            cells.push_back((*side)->account);
            cells.push_back((*side)->owner);
            cells.push_back(Amount((*side)->cents));
            cells.push_back((*side)->implanted ? "S" : "N");
        } else {
            cells.insert(cells.end(), 5, "");
        }
    }
    return cells;
}

// Sequence, item and the two amounts are numbers; the rest is text, guarded.
std::string CsvLine(const std::vector<std::string>& cells) {
    std::vector<core::CsvCell> row;
    for (std::size_t i = 0; i < cells.size(); ++i)
        row.push_back({cells[i], i <= 1 || i == 12 || i == 17});
    return core::CsvRow(row, ',', "\n");
}

// The table shows what a reader scans: who, when, which row, from what to what. CSV and JSON
// carry every column.
void TableLine(std::ostream& out, const std::vector<std::string>& cells) {
    struct Column {
        std::size_t width;
        bool right;
    };
    static const Column kColumns[] = {{6, true},   {20, false}, {3, false}, {4, false},
                                      {16, false}, {15, false}, {9, false}, {10, false},
                                      {16, false}, {10, false}, {16, true}, {16, true}};
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const std::size_t length = core::Utf8Length(cells[i]);
        const std::size_t pad = length < kColumns[i].width ? kColumns[i].width - length : 0;
        if (i > 0) line += ' ';
        if (kColumns[i].right) line.append(pad, ' ');
        line += cells[i];
        if (!kColumns[i].right && i + 1 < cells.size()) line.append(pad, ' ');
    }
    out << line << '\n';
}

// "150.25 S": a side's value and implanted flag; "-" for none.
std::string Side(const std::optional<AuditValues>& side) {
    return side ? Amount(side->cents) + (side->implanted ? " S" : " N") : "-";
}

std::vector<std::string> TableCells(const AuditRecord& r) {
    const AuditValues& row = r.after ? *r.after : *r.before;
    return {std::to_string(r.sequence),
            r.origin.time,
            r.company,
            r.kindCode,
            r.origin.user,
            r.origin.peer,
            ChangeWord(r.change),
            row.month,
            row.account,
            row.owner,
            Side(r.before),
            Side(r.after)};
}

}  // namespace

std::size_t PrintAudit(db::Connection& connection, const AuditFilter& filter, AuditFormat format,
                       std::ostream& out) {
    std::size_t count = 0;
    switch (format) {
        case AuditFormat::Table:
            TableLine(out, {"seq", "momento (UTC)", "emp", "tipo", "usuário", "endereço",
                            "alteração", "mês", "conta", "código", "antes", "depois"});
            break;
        case AuditFormat::Csv:
            out << CsvLine(kHeader);
            break;
        case AuditFormat::Json:
            out << '[';
            break;
    }
    AuditTrail(connection).Read(filter, [&](const AuditRecord& r) {
        if (format == AuditFormat::Table) {
            TableLine(out, TableCells(r));
            ++count;
            return;
        }
        const std::vector<std::string> cells = Cells(r);
        switch (format) {
            case AuditFormat::Table:
                break;
            case AuditFormat::Csv:
                out << CsvLine(cells);
                break;
            case AuditFormat::Json: {
                nlohmann::ordered_json object;
                for (std::size_t i = 0; i < cells.size(); ++i) {
                    const bool number = i <= 1;
                    const bool amount = i == 12 || i == 17;
                    if (number) {
                        object[kHeader[i]] = std::stoll(cells[i]);
                    } else if (amount) {
                        object[kHeader[i]] = cells[i].empty()
                                                 ? nlohmann::ordered_json(nullptr)
                                                 : nlohmann::ordered_json::parse(cells[i]);
                    } else if (cells[i].empty() && i >= 5) {
                        object[kHeader[i]] = nullptr;
                    } else {
                        object[kHeader[i]] = cells[i];
                    }
                }
                out << (count == 0 ? "\n" : ",\n")
                    << object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
                break;
            }
        }
        ++count;
    });
    if (format == AuditFormat::Json) out << (count == 0 ? "]\n" : "\n]\n");
    return count;
}

}  // namespace server

// Every CSV export keeps a text cell a spreadsheet would run as a formula from being one: the
// tie-out report and the audit trail, each read back with the CSV reader.
#include <gtest/gtest.h>

#include <sstream>

#include "core/Csv.h"
#include "core/TieOut.h"
#include "server/AuditReport.h"
#include "server/AuditTrail.h"
#include "support/TestDatabase.h"

namespace {

// The cells of every line of `text`, lines ending in `lineEnd`.
std::vector<std::vector<std::string>> Read(const std::string& text, std::string_view lineEnd,
                                           char separator) {
    std::vector<std::vector<std::string>> rows;
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::size_t end = rest.find(lineEnd);
        std::vector<std::string> cells;
        EXPECT_TRUE(core::SplitCsvLine(rest.substr(0, end), separator, cells)) << text;
        rows.push_back(std::move(cells));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + lineEnd.size());
    }
    return rows;
}

std::string TieOutExport(const std::string& text) {
    core::TieOut tieOut;
    tieOut.lines.push_back({"2.1.1.01.0001", text, "2024-06-30", -10, 0, false});
    return core::TieOutCsv(tieOut);
}

std::string AuditExport(const std::string& text) {
    testsupport::TestDatabase database("sqlite");
    database.Populate();
    const auto connection = db::Connection::Open(database.Url());
    server::BalanceChanges changes;
    changes.company = "01";
    changes.kind = core::BalanceKind::Suppliers;
    changes.rows.push_back({"2024-06-30", "2.1.1.01.0001", "000001", -10, true});
    changes.changes.push_back({core::ChangeKind::Inserted, server::BalanceChanges::kNone, 0});
    server::AuditTrail trail(*connection);
    trail.Append(trail.NextSequence(), {"2024-07-01T10:00:00Z", "127.0.0.1", text, ""}, changes);
    std::ostringstream out;
    server::PrintAudit(*connection, {}, server::AuditFormat::Csv, out);
    return out.str();
}

TEST(CsvExportTest, TextCellsOpeningAsFormulasAreWrittenAsText) {
    struct Export {
        const char* name;
        std::string (*write)(const std::string&);
        std::string_view lineEnd;
        char separator;
        std::size_t row, column;  // where the text lands
    };
    const Export exports[] = {{"conferência", TieOutExport, "\r\n", ';', 1, 1},
                              {"auditoria", AuditExport, "\n", ',', 1, 6}};
    for (const Export& e : exports) {
        for (const char opening : {'=', '+', '-', '@', '\t', '\r'}) {
            const std::string text = std::string(1, opening) + "HYPERLINK(\"http://x\",\"y\";1)";
            const auto rows = Read(e.write(text), e.lineEnd, e.separator);
            ASSERT_GT(rows.size(), e.row) << e.name;
            ASSERT_GT(rows[e.row].size(), e.column) << e.name;
            EXPECT_EQ(rows[e.row][e.column], "'" + text) << e.name << " " << int(opening);
            // The amounts stay numbers.
            EXPECT_NE(std::find(rows[e.row].begin(), rows[e.row].end(),
                                e.separator == ';' ? "-0,10" : "-0.10"),
                      rows[e.row].end())
                << e.name;
        }
    }
}

}  // namespace

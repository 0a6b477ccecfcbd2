// The totals' check: both sides summed per key in one grouped read.
#include "server/TotalsCheck.h"

#include <optional>

#include "core/Calendar.h"
#include "db/Schema.h"

namespace server {

std::vector<TotalDifference> CompareTotals(db::Connection& connection) {
    std::vector<TotalDifference> differences;
    connection.ReadRows(
        "SELECT CDEMPRESA, CDCONTCTBL, CAST(DTIMPSALDO AS VARCHAR(10)),"
        " CAST(SUM(STORED) AS BIGINT), CAST(SUM(COMPUTED) AS BIGINT) FROM ("
        "SELECT CDEMPRESA, CDCONTCTBL, DTIMPSALDO, VRIMPTOTAL AS STORED, 0 AS COMPUTED"
        " FROM SALDTOTA UNION ALL"
        " SELECT CDEMPRESA, CDCONTCTBL, DTIMPSALDO, 0, VRIMPSALDO FROM SALDCOME"
        " WHERE TIPSALDO = 'S') BOTH_SIDES"
        " GROUP BY CDEMPRESA, CDCONTCTBL, DTIMPSALDO HAVING SUM(STORED) <> SUM(COMPUTED)"
        " ORDER BY CDEMPRESA, CDCONTCTBL, DTIMPSALDO",
        {},
        {db::ColumnType::Text, db::ColumnType::Text, db::ColumnType::Text, db::ColumnType::Integer,
         db::ColumnType::Integer},
        [&](const db::RowView& row) {
            differences.push_back({std::string(row.Text(0)), std::string(row.Text(1)),
                                   std::string(row.Text(2)), row.Integer(3), row.Integer(4)});
        });
    return differences;
}

std::size_t CheckTotals(db::Connection& connection, bool fix, std::ostream& out) {
    // Only a fix takes the write lock: a check alone is one read.
    std::optional<db::WriteTransaction> transaction;
    if (fix) transaction.emplace(connection);
    const std::vector<TotalDifference> differences = CompareTotals(connection);
    for (const TotalDifference& d : differences) {
        out << "empresa " << d.company << ", conta " << d.account << ", mês "
            << core::MonthTextOfIso(d.month) << ": gravado " << d.stored << ", calculado "
            << d.computed << " (centavos)\n";
    }
    const std::size_t count = differences.size();
    const bool rewrite = fix && count > 0;
    if (rewrite) db::RebuildImplantedTotals(connection);
    if (transaction) transaction->Commit();
    if (count == 0) {
        out << "nenhum total diferente dos saldos implantados\n";
    } else {
        out << count << (count == 1 ? " total diferente" : " totais diferentes")
            << " dos saldos implantados" << (rewrite ? "; totais regravados" : "") << "\n";
    }
    return count;
}

}  // namespace server

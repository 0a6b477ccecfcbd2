#include "host/Companies.h"

#include "db/Connection.h"
#include "library/dtmDBGeral.h"

namespace host {

QStringList Companies() {
    QStringList codes;
    try {
        const auto result = library::dtmDBGeral().Connection().Select(
            "SELECT CDEMPRESA, NMEMPRESA FROM EMPRESA ORDER BY CDEMPRESA");
        for (const auto& row : result.rows)
            codes << QString::fromStdString(row.at(0).value_or("")) + " - " +
                         QString::fromStdString(row.at(1).value_or(""));
    } catch (const std::exception&) {
    }
    return codes;
}

std::string CompanyCode(const QString& chosen) {
    return chosen.trimmed().section(' ', 0, 0).trimmed().toStdString();
}

}  // namespace host

#include "host/Companies.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>

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

QHBoxLayout* CompanyAndKindBar(QWidget* owner, QComboBox* company, QComboBox* kind,
                               const QString& companyLabel) {
    auto* bar = new QHBoxLayout;
    auto* companyText = new QLabel(companyLabel, owner);
    companyText->setBuddy(company);
    auto* kindText = new QLabel(QStringLiteral("&Tipo:"), owner);
    kindText->setBuddy(kind);
    bar->addWidget(companyText);
    bar->addWidget(company, 1);
    bar->addWidget(kindText);
    bar->addWidget(kind);
    return bar;
}

}  // namespace host

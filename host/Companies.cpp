// The company list read through the library's look-up query, on the shared connection.
#include "host/Companies.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <exception>

#include "library/TADOIBQuery.h"
#include "platform/app/Application.h"

namespace host {

QStringList ReadCompanies() {
    library::TADOIBQuery query;
    query.SetName("qryEmpresas");
    query.SQL = {"SELECT CDEMPRESA, NMEMPRESA FROM EMPRESA ORDER BY CDEMPRESA"};
    query.AddField("CDEMPRESA", 2, "Código", 0, true);
    query.AddField("NMEMPRESA", 50, "Nome", 0, true);
    query.Open();
    QStringList companies;
    for (query.Query.First(); !query.Query.Eof(); query.Query.Next()) {
        companies << QString::fromStdString(query.Query.FieldByName("CDEMPRESA").AsString()) +
                         " - " +
                         QString::fromStdString(query.Query.FieldByName("NMEMPRESA").AsString());
    }
    return companies;
}

QStringList Companies() {
    try {
        return ReadCompanies();
    } catch (const std::exception& e) {
        platform::Application::Instance().ShowStatus(
            platform::StatusPart::Message,
            std::string("Não foi possível ler a lista de empresas; digite o código da empresa. ") +
                e.what());
        return {};
    }
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

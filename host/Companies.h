// The company chooser shared by the report and import windows.
#pragma once

#include <QString>
#include <QStringList>
#include <string>

class QComboBox;
class QHBoxLayout;
class QWidget;

namespace host {

// "01 - Comercial Horizonte Ltda." per company, as the look-ups read them. Raises core::Error
// with a Portuguese message when the database cannot be read.
QStringList ReadCompanies();
// The same for a window's chooser: when the database cannot be read, the status line says so
// and why, and the list is empty (the code can still be typed).
QStringList Companies();
// The code of a chosen entry, or of a typed code ("01 - Comercial..." or "01" give "01").
std::string CompanyCode(const QString& chosen);

// The row both windows open with: the company chooser and the kind chooser, each behind its
// label (`companyLabel` carries the window's Alt letter), the company taking the spare width.
QHBoxLayout* CompanyAndKindBar(QWidget* owner, QComboBox* company, QComboBox* kind,
                               const QString& companyLabel);

}  // namespace host

// Multi-dialect look-up queries over the shared database connection.
#include "library/TADOIBQuery.h"

#include <algorithm>

#include "db/Connection.h"
#include "platform/Exceptions.h"
#include "platform/app/Application.h"
#include "platform/text/TextFunctions.h"

namespace library {

namespace {

bool Usable(const std::vector<std::string>& text) {
    return std::any_of(text.begin(), text.end(),
                       [](const std::string& line) { return !platform::Trim(line).empty(); });
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string sql;
    for (const auto& line : lines) {
        sql += line;
        sql += '\n';
    }
    return sql;
}

}  // namespace

TADOIBQuery::TADOIBQuery() {
    Query.SetReadOnly(true);
}

TADOIBQuery::~TADOIBQuery() {
    DestroyComponents();
}

const std::vector<std::string>& TADOIBQuery::TextFor(SqlDialect dialect) const {
    const std::vector<std::string>* own = nullptr;
    switch (dialect) {
        case SqlDialect::InterBase:
            own = &SQL_IB;
            break;
        case SqlDialect::Oracle:
            own = &SQL_ORACLE;
            break;
        case SqlDialect::MsSql:
            own = &SQL_MSSQL;
            break;
        case SqlDialect::Sqlite:
        case SqlDialect::Postgresql:
            own = &SQL;
            break;
    }
    if (Usable(*own)) return *own;
    if (Usable(SQL)) return SQL;
    if (Usable(SQL_IB)) return SQL_IB;
    throw platform::Error("A consulta " + (Name().empty() ? std::string("sem nome") : Name()) +
                          " não tem texto SQL para o banco " + DialectName(dialect) + ".");
}

TParam& TADOIBQuery::AddParam(std::string name) {
    params_.emplace_back(std::move(name));
    return params_.back();
}

TParam& TADOIBQuery::ParamByName(std::string_view name) {
    const auto wanted = platform::UpperCase(name);
    for (auto& p : params_)
        if (platform::UpperCase(p.Name()) == wanted) return p;
    throw platform::Error("Parâmetro '" + std::string(name) + "' não encontrado na consulta " +
                          Name() + ".");
}

platform::Field& TADOIBQuery::AddField(std::string name, int size, std::string label, int width,
                                       bool visible) {
    auto& field = Query.AddField(std::move(name), platform::FieldType::String, size);
    if (!label.empty()) field.SetDisplayLabel(std::move(label));
    if (width > 0) field.SetDisplayWidth(width);
    field.SetVisible(visible);
    return field;
}

void TADOIBQuery::Open() {
    Close();
    db::Params params;
    for (const auto& p : params_) params[p.Name()] = p.Value();
    // Opening the database and reading may take long: the wait goes through the job port.
    const auto result = platform::RunJob(platform::Application::Instance().Jobs(), [&] {
        auto& connection = dtmDBGeral().Connection();
        return connection.Select(Joined(TextFor(dtmDBGeral().Dialect())), params);
    });

    std::vector<std::size_t> columns;
    for (int i = 0; i < Query.FieldCount(); ++i)
        columns.push_back(result.Column(Query.Fields(i).FieldName()));
    Query.CreateDataSet();
    try {
        for (const auto& row : result.rows) {
            platform::Row values;
            values.reserve(columns.size());
            for (const auto column : columns) {
                if (row[column])
                    values.emplace_back(*row[column]);
                else
                    values.emplace_back(std::monostate{});
            }
            Query.AddRow(values);
        }
        Query.First();
    } catch (...) {
        Query.Close();
        throw;
    }
}

void TADOIBQuery::Close() {
    Query.Close();
}

}  // namespace library

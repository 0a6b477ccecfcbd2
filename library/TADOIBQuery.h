// TADOIBQuery: a read-only look-up query on the shared database connection, holding one
// SQL text per database dialect, string parameters by name and its rows in a read-only
// record set whose fields the owner declares.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "library/dtmDBGeral.h"
#include "platform/data/ClientDataSet.h"
#include "platform/ui/Component.h"

namespace library {

// A string parameter; null until given a text.
class TParam {
  public:
    explicit TParam(std::string name) : name_(std::move(name)) {}
    const std::string& Name() const { return name_; }
    void Clear() { value_.reset(); }
    void SetAsString(std::string text) { value_ = std::move(text); }
    bool IsNull() const { return !value_; }
    // "" for null.
    std::string AsString() const { return value_.value_or(std::string()); }
    const std::optional<std::string>& Value() const { return value_; }

  private:
    std::string name_;
    std::optional<std::string> value_;
};

class TADOIBQuery : public platform::Component {
  public:
    TADOIBQuery();
    ~TADOIBQuery() override;

    // The texts, one line per entry. Which one runs: InterBase/Firebird SQL_IB, Oracle
    // SQL_ORACLE, SQL Server SQL_MSSQL, SQLite and PostgreSQL SQL; with no text for the
    // connection's dialect, SQL when it has one, else SQL_IB. A text of blank lines is none.
    std::vector<std::string> SQL;
    std::vector<std::string> SQL_ORACLE;
    std::vector<std::string> SQL_MSSQL;
    std::vector<std::string> SQL_IB;

    // The text that runs on a dialect; raises naming the query when it has none usable.
    const std::vector<std::string>& TextFor(SqlDialect dialect) const;

    // Declares a string parameter (null at first); its name is used as ":NAME" in the texts.
    TParam& AddParam(std::string name);
    // Letter case is ignored; raises naming the query for an undeclared parameter.
    TParam& ParamByName(std::string_view name);

    // Declares a string field of the result (while closed). A width of 0 keeps the
    // default (the size); a field with no label shows its name.
    platform::Field& AddField(std::string name, int size, std::string label, int width,
                              bool visible);

    // Runs the text for the connected database with the parameters' current values and
    // loads the rows; columns the query declares no field for are ignored. An open query is
    // closed first. On failure the query stays closed and the error travels on.
    void Open();
    void Close();
    bool Active() const { return Query.Active(); }
    bool IsEmpty() const { return Query.IsEmpty(); }

    // The rows, read-only.
    platform::ClientDataSet Query;

  private:
    std::vector<TParam> params_;
};

}  // namespace library

// Dynamic SOCI rows turned into text the same way on every backend.
#include "db/detail/SociSelect.h"

#include <soci/soci.h>

#include <charconv>
#include <cstdio>

#include "db/detail/Firebird.h"
#include "db/detail/NamedParams.h"

namespace db::detail {

namespace {

std::string TmText(const std::tm& t) {
    char text[80];
    if (t.tm_hour == 0 && t.tm_min == 0 && t.tm_sec == 0) {
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", t.tm_year + 1900, t.tm_mon + 1,
                      t.tm_mday);
    } else {
        std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", t.tm_year + 1900,
                      t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    }
    return text;
}

std::string DoubleText(double v) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, v);
    return std::string(text, result.ptr);
}

// `fixed`: a blank-padded CHAR column (Firebird pads to the byte length, four per character
// in UTF-8), given without its padding.
std::optional<std::string> CellText(const soci::row& r, std::size_t i, bool fixed) {
    if (r.get_indicator(i) == soci::i_null) return std::nullopt;
    switch (r.get_properties(i).get_data_type()) {
        case soci::dt_string:
        case soci::dt_xml:
        case soci::dt_blob: {
            std::string text = r.get<std::string>(i);
            if (fixed) text.erase(text.find_last_not_of(' ') + 1);
            return text;
        }
        case soci::dt_double:
            return DoubleText(r.get<double>(i));
        case soci::dt_integer:
            return std::to_string(r.get<int>(i));
        case soci::dt_long_long:
            return std::to_string(r.get<long long>(i));
        case soci::dt_unsigned_long_long:
            return std::to_string(r.get<unsigned long long>(i));
        case soci::dt_date:
            return TmText(r.get<std::tm>(i));
    }
    return std::nullopt;
}

// Holds the bound values of one statement; the vectors never grow after binding, since
// SOCI keeps references into them.
struct Bindings {
    std::vector<std::string> values;
    std::vector<soci::indicator> indicators;
    std::vector<std::string> names;

    explicit Bindings(const Values& given)
        : values(given.size()), indicators(given.size(), soci::i_ok), names(given.size()) {
        for (std::size_t i = 0; i < given.size(); ++i) {
            names[i] = "p" + std::to_string(i);
            if (given[i]) {
                values[i] = *given[i];
            } else {
                indicators[i] = soci::i_null;
            }
        }
    }

    void Bind(soci::details::prepare_temp_type& prepared) {
        for (std::size_t i = 0; i < values.size(); ++i) {
            prepared.operator,(soci::use(values[i], indicators[i], names[i]));
        }
    }
};

void AddColumns(const soci::row& r, QueryResult& result) {
    for (std::size_t i = 0; i < r.size(); ++i) {
        result.columns.push_back(ToUpper(r.get_properties(i).get_name()));
    }
}

}  // namespace

QueryResult SelectSoci(soci::session& session, const std::string& sql, const Values& values,
                       bool trimFixed) {
    Bindings bindings(values);
    QueryResult result;
    soci::row r;
    soci::details::prepare_temp_type prepared = (session.prepare << sql);
    prepared.operator,(soci::into(r));
    bindings.Bind(prepared);
    soci::statement st(prepared);
    bool more = st.execute(true);
    std::vector<bool> fixed;
    if (trimFixed) fixed = FirebirdFixedColumns(st);
    fixed.resize(r.size(), false);
    bool described = false;
    while (more) {
        if (!described) {
            AddColumns(r, result);
            described = true;
        }
        std::vector<std::optional<std::string>> row;
        row.reserve(r.size());
        for (std::size_t i = 0; i < r.size(); ++i) row.push_back(CellText(r, i, fixed[i]));
        result.rows.push_back(std::move(row));
        more = st.fetch();
    }
    if (!described) AddColumns(r, result);
    return result;
}

void ExecuteSoci(soci::session& session, const std::string& sql, const Values& values) {
    Bindings bindings(values);
    soci::details::prepare_temp_type prepared = (session.prepare << sql);
    bindings.Bind(prepared);
    soci::statement st(prepared);
    st.execute(true);
}

}  // namespace db::detail

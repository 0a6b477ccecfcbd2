// Field definitions and values as packets carry them: a field list (name, type, size) and rows
// of values that are null, a number (a double, or a date-time for date fields) or a text.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace core {

enum class FieldType { String, FixedString, Double, DateTime };

// Size counts characters for the two string types and is 0 for the others.
struct FieldDef {
    std::string Name;
    FieldType Type = FieldType::String;
    int Size = 0;

    bool operator==(const FieldDef&) const = default;
};

using Variant = std::variant<std::monostate, double, std::string>;
using Row = std::vector<Variant>;

inline bool IsNull(const Variant& v) {
    return std::holds_alternative<std::monostate>(v);
}
inline bool IsStringType(FieldType t) {
    return t == FieldType::String || t == FieldType::FixedString;
}

// "string", "fixedstring", "double", "datetime".
std::string_view FieldTypeName(FieldType type);
// nullopt for any other name.
std::optional<FieldType> FieldTypeFromName(std::string_view name);
// "'NAME' (string, 16)": a field as messages name it.
std::string DescribeField(const FieldDef& field);

}  // namespace core

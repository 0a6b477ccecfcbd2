// Field types, field definitions and the variant value rows are exchanged in.
#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace platform {

// GCC 12 reports the scoped enumerator DateTime as shadowing the type platform::DateTime;
// a scoped enumerator cannot shadow anything, so the warning is silenced here only.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wshadow"
enum class FieldType { String, FixedString, Double, DateTime };
#pragma GCC diagnostic pop

// Name, type and size (characters, for the two string types; 0 for the others): what a
// packet's field list carries.
struct FieldDef {
    std::string Name;
    FieldType Type = FieldType::String;
    int Size = 0;

    bool operator==(const FieldDef&) const = default;
};

// A field value: null, a number (a double, or a DateTime for date fields) or a text.
using Variant = std::variant<std::monostate, double, std::string>;
using Row = std::vector<Variant>;

inline bool IsNull(const Variant& v) {
    return std::holds_alternative<std::monostate>(v);
}

// "string", "fixedstring", "double", "datetime".
std::string_view FieldTypeName(FieldType type);
// Raises DataSetError for an unknown name.
FieldType FieldTypeFromName(std::string_view name);
inline bool IsStringType(FieldType t) {
    return t == FieldType::String || t == FieldType::FixedString;
}

}  // namespace platform

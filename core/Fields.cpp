// Field type names as packets spell them.
#include "core/Fields.h"

#include "core/MessageText.h"

namespace core {

std::string_view FieldTypeName(FieldType type) {
    switch (type) {
        case FieldType::String:
            return "string";
        case FieldType::FixedString:
            return "fixedstring";
        case FieldType::Double:
            return "double";
        case FieldType::DateTime:
            return "datetime";
    }
    return "string";
}

std::optional<FieldType> FieldTypeFromName(std::string_view name) {
    for (const FieldType t :
         {FieldType::String, FieldType::FixedString, FieldType::Double, FieldType::DateTime})
        if (FieldTypeName(t) == name) return t;
    return std::nullopt;
}

std::string DescribeField(const FieldDef& f) {
    std::string text = Quoted(f.Name) + " (" + std::string(FieldTypeName(f.Type));
    if (IsStringType(f.Type)) text += ", " + std::to_string(f.Size);
    return text + ")";
}

}  // namespace core

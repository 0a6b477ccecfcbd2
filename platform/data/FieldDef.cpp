// Field type names as packets spell them.
#include "platform/data/FieldDef.h"

#include "platform/data/DataError.h"

namespace platform {

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

FieldType FieldTypeFromName(std::string_view name) {
    for (FieldType t :
         {FieldType::String, FieldType::FixedString, FieldType::Double, FieldType::DateTime})
        if (FieldTypeName(t) == name) return t;
    throw DataSetError("Tipo de campo desconhecido: '" + std::string(name) + "'.");
}

}  // namespace platform

// Field type names as packets spell them.
#include "platform/data/FieldDef.h"

#include "core/MessageText.h"
#include "platform/data/DataError.h"

namespace platform {

FieldType FieldTypeFromName(std::string_view name) {
    if (const auto type = core::FieldTypeFromName(name)) return *type;
    throw DataSetError("Tipo de campo desconhecido: " + core::Quoted(name) + ".");
}

}  // namespace platform

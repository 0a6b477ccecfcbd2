// Field types, field definitions and the variant value rows are exchanged in: the packets'
// own types (core/Fields.h), under the framework's names.
#pragma once

#include <string_view>

#include "core/Fields.h"

namespace platform {

using FieldType = core::FieldType;
using FieldDef = core::FieldDef;
using Variant = core::Variant;
using Row = core::Row;
using core::FieldTypeName;
using core::IsNull;
using core::IsStringType;

// Raises DataSetError for an unknown name.
FieldType FieldTypeFromName(std::string_view name);

}  // namespace platform

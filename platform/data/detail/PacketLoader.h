// Builds a record set's row store from a record packet, as JSON text or as a parsed JSON
// value, through core's strict packet reader: values go straight into the columns.
#pragma once

#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <string_view>
#include <vector>

#include "core/Json.h"
#include "platform/data/FieldDef.h"
#include "platform/data/detail/DataSetStore.h"

namespace platform::detail {

// Both raise DataSetError for a malformed packet or one whose field list differs from
// `fields`; nothing else is touched.
std::unique_ptr<DataSetStore> LoadPacketText(std::string_view text,
                                             const std::vector<FieldDef>& fields);
std::unique_ptr<DataSetStore> LoadPacketJson(const nlohmann::json& packet,
                                             const std::vector<FieldDef>& fields);
// From any source, e.g. a reply as it arrives; `rowGuess` sizes the columns up front (0 when
// unknown: they grow as rows come).
std::unique_ptr<DataSetStore> LoadPacket(core::JsonSource& source,
                                         const std::vector<FieldDef>& fields, std::size_t rowGuess);

}  // namespace platform::detail

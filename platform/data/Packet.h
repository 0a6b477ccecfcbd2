// Record packets and change packets (docs/protocol.md) as plain values, under the framework's
// names: the packets themselves live in core/Packet.h; here every refusal is a DataSetError.
#pragma once

#include <nlohmann/json_fwd.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "core/Packet.h"
#include "platform/data/FieldDef.h"

namespace platform {

using core::ChangeKind;
using core::ChangeKindName;
using RecordPacket = core::RecordPacket;
using Change = core::Change;
using ChangePacket = core::ChangePacket;
using core::FieldListToJson;
using core::RowToJson;
using core::ToJson;
using core::ValueToJson;

// Raise DataSetError with a message fit to show a user for any malformed packet.
std::vector<FieldDef> FieldListFromJson(const nlohmann::json& fields);
RecordPacket RecordPacketFromJson(const nlohmann::json& packet);
ChangePacket ChangePacketFromJson(const nlohmann::json& packet);

// Raises DataSetError naming the first difference when the lists differ.
void CheckSameFields(const std::vector<FieldDef>& expected, const std::vector<FieldDef>& actual);

}  // namespace platform

// Record packets and change packets as JSON (the format of docs/protocol.md), as plain
// values for code that builds or reads packets outside a record set (the server).
#pragma once

#include <nlohmann/json_fwd.hpp>
#include <string>
#include <vector>

#include "platform/data/FieldDef.h"

namespace platform {

struct RecordPacket {
    std::vector<FieldDef> Fields;
    std::vector<Row> Rows;
};

enum class ChangeKind { Inserted, Modified, Deleted };

struct Change {
    ChangeKind Kind = ChangeKind::Inserted;
    Row Old;  // empty for an inserted row
    Row New;  // empty for a deleted row
};

struct ChangePacket {
    std::vector<FieldDef> Fields;
    std::vector<Change> Changes;
};

std::string_view ChangeKindName(ChangeKind kind);  // "inserted", "modified", "deleted"

nlohmann::json FieldListToJson(const std::vector<FieldDef>& fields);
// Raises DataSetError naming what is wrong.
std::vector<FieldDef> FieldListFromJson(const nlohmann::json& fields);

// One value as JSON for a field of the given type (dates as ISO text, null as null), and
// back. ValueFromJson raises DataSetError for a value of the wrong kind or a string longer
// than the field's size.
nlohmann::json ValueToJson(const Variant& value, FieldType type);
Variant ValueFromJson(const nlohmann::json& value, const FieldDef& field);
nlohmann::json RowToJson(const Row& row, const std::vector<FieldDef>& fields);
Row RowFromJson(const nlohmann::json& row, const std::vector<FieldDef>& fields);

nlohmann::json ToJson(const RecordPacket& packet);
nlohmann::json ToJson(const ChangePacket& packet);
// Raise DataSetError with a message fit to show a user for any malformed packet.
RecordPacket RecordPacketFromJson(const nlohmann::json& packet);
ChangePacket ChangePacketFromJson(const nlohmann::json& packet);

// Raises DataSetError naming the first difference when the lists differ.
void CheckSameFields(const std::vector<FieldDef>& expected, const std::vector<FieldDef>& actual);

}  // namespace platform

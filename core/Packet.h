// Record packets and change packets (docs/protocol.md): read strictly from JSON text or a
// parsed value, checked row by row against the field list they must carry, and written back.
// Readers hand rows over as they go, so a packet of a million rows is never held as a tree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "core/Error.h"
#include "core/Fields.h"
#include "core/Json.h"

namespace core {

// A malformed packet, or one that does not fit the field list expected; the message names
// the change or row and the field at fault.
class PacketError : public Error {
  public:
    using Error::Error;
    ~PacketError() override;
};

enum class ChangeKind { Inserted, Modified, Deleted };
std::string_view ChangeKindName(ChangeKind kind);  // "inserted", "modified", "deleted"

// One value of a row, already checked against its field: null; a text of at most the field's
// size in characters; a number; a date as its value (number) and its ISO text (text).
struct Cell {
    enum class Kind : std::uint8_t { Null, Text, Number };
    Kind kind = Kind::Null;
    std::string_view text;
    double number = 0;
};

// Receives a record packet's rows cell by cell. A reader that raises afterwards may already
// have handed rows over: nothing may be acted on until the read returns.
class RecordSink {
  public:
    virtual ~RecordSink() = default;
    virtual void OnCell(std::size_t column, const Cell& cell) = 0;
    virtual void OnRowEnd() = 0;
};

// Receives a change packet's changes, numbered from 0, with the cells of the old values
// (empty for an inserted row) and of the new ones (empty for a deleted row), valid during the
// call. The same caveat as for RecordSink holds.
class ChangeSink {
  public:
    virtual ~ChangeSink() = default;
    virtual void OnChange(std::size_t index, ChangeKind kind, std::span<const Cell> old,
                          std::span<const Cell> now) = 0;
};

// Reads a record packet, {"fields": [...], "rows": [[...], ...]}, in either order; other
// members are ignored. Its field list must equal `fields`; `whose` says where that list comes
// from in messages ("no conjunto de dados"). Raises PacketError, also for text that breaks the
// reader's rules.
void ReadRecordPacket(JsonSource& source, const std::vector<FieldDef>& fields,
                      std::string_view whose, RecordSink& sink);

// Reads a change packet, {"fields": [...], "changes": [{"kind": ..., "old": [...], "new":
// [...]}, ...]}: only these members, "old" exactly for modified and deleted rows, "new" exactly
// for inserted and modified ones. Raises PacketError.
void ReadChangePacket(JsonSource& source, const std::vector<FieldDef>& fields,
                      std::string_view whose, ChangeSink& sink);

// A field list as packets carry it, read from the source whose first token is `first`.
// Raises PacketError.
std::vector<FieldDef> ReadFieldList(JsonSource& source, JsonToken first);
// A PacketError naming the first difference, when the lists differ.
void CheckSameFields(const std::vector<FieldDef>& expected, const std::vector<FieldDef>& actual,
                     std::string_view whose);

// Whole packets as plain values, for code that builds or reads small packets.
struct RecordPacket {
    std::vector<FieldDef> Fields;
    std::vector<Row> Rows;
};
struct Change {
    ChangeKind Kind = ChangeKind::Inserted;
    Row Old;  // empty for an inserted row
    Row New;  // empty for a deleted row
};
struct ChangePacket {
    std::vector<FieldDef> Fields;
    std::vector<Change> Changes;
};

// The value a cell of the field's type holds.
Variant ValueOf(const Cell& cell);

// Raise PacketError; the field list is the packet's own.
RecordPacket RecordPacketFromJson(const nlohmann::json& packet);
ChangePacket ChangePacketFromJson(const nlohmann::json& packet);
std::vector<FieldDef> FieldListFromJson(const nlohmann::json& fields);

// One value for a field of the type (dates as ISO text, null as null), a row, a field list,
// whole packets.
nlohmann::json ValueToJson(const Variant& value, FieldType type);
nlohmann::json RowToJson(const Row& row, const std::vector<FieldDef>& fields);
nlohmann::json FieldListToJson(const std::vector<FieldDef>& fields);
nlohmann::json ToJson(const RecordPacket& packet);
nlohmann::json ToJson(const ChangePacket& packet);

// Writes a record packet as JSON text straight into a string, row by row.
class RecordPacketWriter {
  public:
    // Writes the field list and opens the rows.
    RecordPacketWriter(std::string& out, const std::vector<FieldDef>& fields);
    void BeginRow();
    void Null();
    void Text(std::string_view text);
    void Number(double value);
    void EndRow();
    // Closes the rows and the packet.
    void Finish();

  private:
    void Separate();

    std::string& out_;
    bool firstRow_ = true;
    bool firstValue_ = true;
};

void AppendFieldList(std::string& out, const std::vector<FieldDef>& fields);

}  // namespace core

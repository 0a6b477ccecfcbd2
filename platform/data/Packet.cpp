// Record packets and change packets: JSON to values and back, with checks whose messages
// can be shown to a user.
#include "platform/data/Packet.h"

#include <nlohmann/json.hpp>

#include "platform/data/DataError.h"
#include "platform/text/DateTime.h"
#include "platform/text/TextFunctions.h"

namespace platform {
namespace {

using nlohmann::json;

std::string Describe(const FieldDef& f) {
    std::string text = "'" + f.Name + "' (" + std::string(FieldTypeName(f.Type));
    if (IsStringType(f.Type)) text += ", " + std::to_string(f.Size);
    return text + ")";
}

[[noreturn]] void Bad(const std::string& what) {
    throw DataSetError("Pacote de dados inválido: " + what);
}

const json& Member(const json& object, const char* key) {
    if (!object.is_object()) Bad("era esperado um objeto JSON.");
    const auto it = object.find(key);
    if (it == object.end()) Bad(std::string("falta \"") + key + "\".");
    return *it;
}

std::vector<Row> RowsFromJson(const json& rows, const std::vector<FieldDef>& fields) {
    if (!rows.is_array()) Bad("\"rows\" deve ser uma lista.");
    std::vector<Row> out;
    out.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        try {
            out.push_back(RowFromJson(rows[i], fields));
        } catch (const DataSetError& e) {
            throw DataSetError(std::string(e.what()) + " (linha " + std::to_string(i + 1) + ")");
        }
    }
    return out;
}

}  // namespace

std::string_view ChangeKindName(ChangeKind kind) {
    switch (kind) {
        case ChangeKind::Inserted:
            return "inserted";
        case ChangeKind::Modified:
            return "modified";
        case ChangeKind::Deleted:
            return "deleted";
    }
    return "inserted";
}

json FieldListToJson(const std::vector<FieldDef>& fields) {
    json list = json::array();
    for (const FieldDef& f : fields) {
        json item = {{"name", f.Name}, {"type", FieldTypeName(f.Type)}};
        if (IsStringType(f.Type)) item["size"] = f.Size;
        list.push_back(std::move(item));
    }
    return list;
}

std::vector<FieldDef> FieldListFromJson(const json& fields) {
    if (!fields.is_array()) Bad("\"fields\" deve ser uma lista.");
    std::vector<FieldDef> out;
    for (const json& item : fields) {
        const json& name = Member(item, "name");
        const json& type = Member(item, "type");
        if (!name.is_string() || !type.is_string()) Bad("nome ou tipo de campo não é texto.");
        FieldDef def{name.get<std::string>(), FieldTypeFromName(type.get<std::string>()), 0};
        if (const auto size = item.find("size"); size != item.end()) {
            if (!size->is_number_integer() || size->get<long long>() < 0 ||
                size->get<long long>() > 1'000'000)
                Bad("tamanho inválido no campo '" + def.Name + "'.");
            def.Size = size->get<int>();
        }
        if (IsStringType(def.Type) && def.Size <= 0)
            Bad("o campo '" + def.Name + "' não tem tamanho.");
        if (!IsStringType(def.Type)) def.Size = 0;
        out.push_back(std::move(def));
    }
    return out;
}

json ValueToJson(const Variant& value, FieldType type) {
    if (IsNull(value)) return nullptr;
    if (const auto* text = std::get_if<std::string>(&value)) return *text;
    const double number = std::get<double>(value);
    if (type == FieldType::DateTime) return DateTimeToIso(number);
    return number;
}

Variant ValueFromJson(const json& value, const FieldDef& field) {
    if (value.is_null()) return {};
    switch (field.Type) {
        case FieldType::String:
        case FieldType::FixedString: {
            if (!value.is_string())
                throw DataSetError("O valor do campo '" + field.Name + "' deve ser um texto.");
            const auto& text = value.get_ref<const std::string&>();
            if (text.size() > static_cast<std::size_t>(field.Size) &&
                Utf8Length(text) > static_cast<std::size_t>(field.Size))
                throw DataSetError("O texto '" + text + "' não cabe no campo '" + field.Name +
                                   "' (tamanho " + std::to_string(field.Size) + ").");
            return text;
        }
        case FieldType::Double:
            if (!value.is_number())
                throw DataSetError("O valor do campo '" + field.Name + "' deve ser um número.");
            return value.get<double>();
        case FieldType::DateTime: {
            DateTime date = 0;
            if (!value.is_string() || !TryIsoToDateTime(value.get_ref<const std::string&>(), date))
                throw DataSetError("O valor do campo '" + field.Name +
                                   "' deve ser uma data no formato AAAA-MM-DD.");
            return date;
        }
    }
    return {};
}

json RowToJson(const Row& row, const std::vector<FieldDef>& fields) {
    json out = json::array();
    for (std::size_t i = 0; i < fields.size(); ++i)
        out.push_back(ValueToJson(row[i], fields[i].Type));
    return out;
}

Row RowFromJson(const json& row, const std::vector<FieldDef>& fields) {
    if (!row.is_array() || row.size() != fields.size())
        throw DataSetError("Pacote de dados inválido: cada linha deve ter " +
                           std::to_string(fields.size()) + " valores.");
    Row out;
    out.reserve(fields.size());
    for (std::size_t i = 0; i < fields.size(); ++i) out.push_back(ValueFromJson(row[i], fields[i]));
    return out;
}

json ToJson(const RecordPacket& packet) {
    json rows = json::array();
    for (const Row& row : packet.Rows) rows.push_back(RowToJson(row, packet.Fields));
    return {{"fields", FieldListToJson(packet.Fields)}, {"rows", std::move(rows)}};
}

json ToJson(const ChangePacket& packet) {
    json changes = json::array();
    for (const Change& c : packet.Changes) {
        json item = {{"kind", ChangeKindName(c.Kind)}};
        if (c.Kind != ChangeKind::Inserted) item["old"] = RowToJson(c.Old, packet.Fields);
        if (c.Kind != ChangeKind::Deleted) item["new"] = RowToJson(c.New, packet.Fields);
        changes.push_back(std::move(item));
    }
    return {{"fields", FieldListToJson(packet.Fields)}, {"changes", std::move(changes)}};
}

RecordPacket RecordPacketFromJson(const json& packet) {
    RecordPacket out;
    out.Fields = FieldListFromJson(Member(packet, "fields"));
    out.Rows = RowsFromJson(Member(packet, "rows"), out.Fields);
    return out;
}

ChangePacket ChangePacketFromJson(const json& packet) {
    ChangePacket out;
    out.Fields = FieldListFromJson(Member(packet, "fields"));
    const json& changes = Member(packet, "changes");
    if (!changes.is_array()) Bad("\"changes\" deve ser uma lista.");
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const json& item = changes[i];
        const json& kind = Member(item, "kind");
        Change change;
        if (kind == "inserted")
            change.Kind = ChangeKind::Inserted;
        else if (kind == "modified")
            change.Kind = ChangeKind::Modified;
        else if (kind == "deleted")
            change.Kind = ChangeKind::Deleted;
        else
            Bad("tipo de alteração desconhecido na alteração " + std::to_string(i + 1) + ".");
        try {
            if (change.Kind != ChangeKind::Inserted)
                change.Old = RowFromJson(Member(item, "old"), out.Fields);
            if (change.Kind != ChangeKind::Deleted)
                change.New = RowFromJson(Member(item, "new"), out.Fields);
        } catch (const DataSetError& e) {
            throw DataSetError(std::string(e.what()) + " (alteração " + std::to_string(i + 1) +
                               ")");
        }
        out.Changes.push_back(std::move(change));
    }
    return out;
}

void CheckSameFields(const std::vector<FieldDef>& expected, const std::vector<FieldDef>& actual) {
    const std::size_t n = std::min(expected.size(), actual.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (!(expected[i] == actual[i]))
            throw DataSetError("Pacote de dados recusado: o campo " + std::to_string(i + 1) +
                               " é " + Describe(actual[i]) + " no pacote, mas " +
                               Describe(expected[i]) + " no conjunto de dados.");
    }
    if (expected.size() != actual.size())
        throw DataSetError("Pacote de dados recusado: o pacote tem " +
                           std::to_string(actual.size()) + " campos e o conjunto de dados " +
                           std::to_string(expected.size()) + ".");
}

}  // namespace platform

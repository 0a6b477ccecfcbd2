// Packet reading over the strict JSON reader, row by row, and packet writing.
#include "core/Packet.h"

#include <cmath>

#include <nlohmann/json.hpp>

#include "core/Calendar.h"
#include "core/MessageText.h"
#include "core/Utf8.h"

namespace core {

using nlohmann::json;

PacketError::~PacketError() = default;

namespace {

constexpr std::size_t kMaxFields = 10000;
constexpr double kMaxFieldSize = 1'000'000;

// Which packet is read, for messages: "Pacote de dados" or "Pacote de alterações", and where
// the expected field list comes from.
struct Context {
    const char* noun;
    std::string_view whose;

    [[noreturn]] void Bad(const std::string& what) const {
        throw PacketError(std::string(noun) + " inválido: " + what);
    }
    [[noreturn]] void Refused(const std::string& what) const {
        throw PacketError(std::string(noun) + " recusado: " + what);
    }
};

const Context kRecordContext{"Pacote de dados", "no pacote"};

// The row being read: "linha 3" of a record packet, "alteração 2 (new)" of a change packet.
struct Place {
    const Context& context;
    bool change;
    std::size_t index;
    const char* member = nullptr;

    std::string Name() const {
        std::string text = (change ? "alteração " : "linha ") + std::to_string(index + 1);
        if (member != nullptr) text += std::string(" (") + member + ")";
        return text;
    }
    std::string Of() const { return "da " + Name(); }
    std::string Subject() const { return "a " + Name(); }
};

std::string FieldName(const FieldDef& f) {
    return "'" + f.Name + "'";
}

const char* ExpectedKind(FieldType type) {
    switch (type) {
        case FieldType::String:
        case FieldType::FixedString:
            return "um texto";
        case FieldType::Double:
            return "um número";
        case FieldType::DateTime:
            return "uma data AAAA-MM-DD";
    }
    return "um valor";
}

// Reads one row whose first token is `first`, handing each checked cell to `onCell`.
template <typename OnCell>
void ReadRow(JsonSource& source, JsonToken first, const std::vector<FieldDef>& fields,
             const Place& place, OnCell&& onCell) {
    const Context& ctx = place.context;
    if (first != JsonToken::BeginArray)
        ctx.Bad(place.change ? place.Name() + ": os valores devem ser uma lista."
                             : std::string("cada linha deve ser uma lista."));
    std::size_t column = 0;
    for (JsonToken t = source.Next(); t != JsonToken::EndArray; t = source.Next()) {
        if (column >= fields.size())
            ctx.Refused(place.Subject() + " tem valores demais; são esperados " +
                        std::to_string(fields.size()) + ".");
        const FieldDef& f = fields[column];
        Cell cell;
        switch (t) {
            case JsonToken::Null:
                break;
            case JsonToken::String: {
                const std::string_view text = source.Text();
                if (IsStringType(f.Type)) {
                    if (text.size() > static_cast<std::size_t>(f.Size) &&
                        Utf8Length(text) > static_cast<std::size_t>(f.Size))
                        ctx.Refused("o texto " + Quoted(text) + " não cabe no campo " +
                                    FieldName(f) + " " + place.Of() + " (tamanho " +
                                    std::to_string(f.Size) + ").");
                    cell.kind = Cell::Kind::Text;
                    cell.text = text;
                } else if (f.Type == FieldType::DateTime) {
                    if (!TryIsoToDateTime(text, cell.number))
                        ctx.Refused("data inválida " + Quoted(text) + " no campo " + FieldName(f) +
                                    " " + place.Of() + " (use AAAA-MM-DD).");
                    cell.kind = Cell::Kind::Number;
                    cell.text = text;
                } else {
                    ctx.Refused("era esperado " + std::string(ExpectedKind(f.Type)) + " no campo " +
                                FieldName(f) + " " + place.Of() + ".");
                }
                break;
            }
            case JsonToken::Number:
                if (f.Type != FieldType::Double)
                    ctx.Refused("era esperado " + std::string(ExpectedKind(f.Type)) + " no campo " +
                                FieldName(f) + " " + place.Of() + ".");
                cell.kind = Cell::Kind::Number;
                cell.number = source.Number();
                break;
            default:
                ctx.Refused("valor inesperado no campo " + FieldName(f) + " " + place.Of() +
                            "; era esperado " + ExpectedKind(f.Type) + ".");
        }
        onCell(column, cell);
        ++column;
    }
    if (column != fields.size())
        ctx.Refused(place.Subject() + " tem " + std::to_string(column) +
                    " valores; são esperados " + std::to_string(fields.size()) + ".");
}

std::vector<FieldDef> ReadFields(JsonSource& source, JsonToken first, const Context& ctx) {
    if (first != JsonToken::BeginArray) ctx.Bad("\"fields\" deve ser uma lista.");
    std::vector<FieldDef> out;
    for (JsonToken t = source.Next(); t != JsonToken::EndArray; t = source.Next()) {
        const std::string number = std::to_string(out.size() + 1);
        if (out.size() >= kMaxFields) ctx.Bad("mais de " + std::to_string(kMaxFields) + " campos.");
        if (t != JsonToken::BeginObject) ctx.Bad("o campo " + number + " não é um objeto.");
        FieldDef def;
        bool named = false, typed = false;
        double size = 0;
        for (t = source.Next(); t != JsonToken::EndObject; t = source.Next()) {
            const std::string key(source.Text());
            const JsonToken v = source.Next();
            if (key == "name" || key == "type") {
                if (v != JsonToken::String)
                    ctx.Bad("o " + std::string(key == "name" ? "nome" : "tipo") + " do campo " +
                            number + " não é texto.");
                if (key == "name") {
                    def.Name.assign(source.Text());
                    named = true;
                } else {
                    const auto type = FieldTypeFromName(source.Text());
                    if (!type)
                        ctx.Bad("tipo desconhecido " + Quoted(source.Text()) + " no campo " +
                                number + ".");
                    def.Type = *type;
                    typed = true;
                }
            } else if (key == "size") {
                if (v != JsonToken::Number)
                    ctx.Bad("o tamanho do campo " + number + " não é um número.");
                size = source.Number();
            } else {
                ctx.Bad("o campo " + number + " tem o atributo desconhecido " + Quoted(key) + ".");
            }
        }
        if (!named || !typed) ctx.Bad("o campo " + number + " não tem nome ou tipo.");
        if (size < 0 || size > kMaxFieldSize || size != std::floor(size))
            ctx.Bad("tamanho inválido no campo " + Quoted(def.Name) + ".");
        def.Size = static_cast<int>(size);
        if (IsStringType(def.Type) && def.Size <= 0)
            ctx.Bad("o campo " + Quoted(def.Name) + " não tem tamanho.");
        if (!IsStringType(def.Type) && def.Size != 0)
            ctx.Bad("o campo " + Quoted(def.Name) + " do tipo " +
                    std::string(FieldTypeName(def.Type)) + " não leva tamanho.");
        out.push_back(std::move(def));
    }
    return out;
}

void CompareFields(const std::vector<FieldDef>& expected, const std::vector<FieldDef>& actual,
                   const Context& ctx) {
    const std::size_t n = std::min(expected.size(), actual.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (!(expected[i] == actual[i]))
            ctx.Refused("o campo " + std::to_string(i + 1) + " é " + DescribeField(actual[i]) +
                        " no pacote, mas " + DescribeField(expected[i]) + " " +
                        std::string(ctx.whose) + ".");
    }
    if (expected.size() == actual.size()) return;
    const std::string which = actual.size() > expected.size()
                                  ? "sobra o campo " + DescribeField(actual[n])
                                  : "falta o campo " + DescribeField(expected[n]);
    ctx.Refused("o pacote tem " + std::to_string(actual.size()) + " campos, mas são esperados " +
                std::to_string(expected.size()) + " " + std::string(ctx.whose) + " (" + which +
                ").");
}

// Reads the rest of a packet after its opening brace, giving each member to `onMember` (which
// must read the member's value) and checking that nothing follows the packet.
template <typename OnMember>
void ReadMembers(JsonSource& source, JsonToken first, const Context& ctx, const char* expected,
                 OnMember&& onMember) {
    if (first != JsonToken::BeginObject)
        ctx.Bad(std::string("era esperado um objeto ") + expected + ".");
    for (JsonToken t = source.Next(); t != JsonToken::EndObject; t = source.Next()) {
        const std::string key(source.Text());
        onMember(key, source.Next());
    }
    if (source.Next() != JsonToken::End) ctx.Bad("texto depois do fim do pacote.");
}

// The cells of one row of a change, copied out of the reader's buffer.
class RowBuffer {
  public:
    void Reset(std::size_t columns) {
        present_ = false;
        cells_.assign(columns, Cell{});
        offsets_.assign(columns, 0);
        arena_.clear();
    }
    void Set(std::size_t column, const Cell& cell) {
        cells_[column] = cell;
        offsets_[column] = arena_.size();
        arena_.append(cell.text);
    }
    void Finish() {
        present_ = true;
        for (std::size_t i = 0; i < cells_.size(); ++i)
            cells_[i].text = std::string_view(arena_).substr(offsets_[i], cells_[i].text.size());
    }
    bool Present() const { return present_; }
    std::span<const Cell> Cells() const {
        return present_ ? std::span<const Cell>(cells_) : std::span<const Cell>();
    }

  private:
    bool present_ = false;
    std::vector<Cell> cells_;
    std::vector<std::size_t> offsets_;
    std::string arena_;
};

template <typename Fn>
void TranslatingJsonErrors(const Context& ctx, Fn&& fn) {
    try {
        fn();
    } catch (const JsonError& e) {
        ctx.Bad(std::string(e.what()) + ".");
    }
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

std::vector<FieldDef> ReadFieldList(JsonSource& source, JsonToken first) {
    std::vector<FieldDef> fields;
    TranslatingJsonErrors(kRecordContext,
                          [&] { fields = ReadFields(source, first, kRecordContext); });
    return fields;
}

void CheckSameFields(const std::vector<FieldDef>& expected, const std::vector<FieldDef>& actual,
                     std::string_view whose) {
    CompareFields(expected, actual, Context{"Pacote de dados", whose});
}

void ReadRecordPacket(JsonSource& source, const std::vector<FieldDef>& fields,
                      std::string_view whose, RecordSink& sink) {
    const Context ctx{"Pacote de dados", whose};
    TranslatingJsonErrors(ctx, [&] {
        bool sawFields = false, sawRows = false;
        ReadMembers(source, source.Next(), ctx, "com \"fields\" e \"rows\"",
                    [&](const std::string& key, JsonToken value) {
                        if (key == "fields") {
                            CompareFields(fields, ReadFields(source, value, ctx), ctx);
                            sawFields = true;
                        } else if (key == "rows") {
                            if (value != JsonToken::BeginArray)
                                ctx.Bad("\"rows\" deve ser uma lista.");
                            std::size_t row = 0;
                            for (JsonToken t = source.Next(); t != JsonToken::EndArray;
                                 t = source.Next(), ++row) {
                                ReadRow(source, t, fields, Place{ctx, false, row},
                                        [&](std::size_t column, const Cell& cell) {
                                            sink.OnCell(column, cell);
                                        });
                                sink.OnRowEnd();
                            }
                            sawRows = true;
                        } else {
                            source.SkipValue(value);
                        }
                    });
        if (!sawFields) ctx.Bad("falta a lista de campos (\"fields\").");
        if (!sawRows) ctx.Bad("falta a lista de linhas (\"rows\").");
    });
}

void ReadChangePacket(JsonSource& source, const std::vector<FieldDef>& fields,
                      std::string_view whose, ChangeSink& sink) {
    const Context ctx{"Pacote de alterações", whose};
    TranslatingJsonErrors(ctx, [&] {
        bool sawFields = false, sawChanges = false;
        RowBuffer old, now;
        ReadMembers(
            source, source.Next(), ctx, "com \"fields\" e \"changes\"",
            [&](const std::string& key, JsonToken value) {
                if (key == "fields") {
                    CompareFields(fields, ReadFields(source, value, ctx), ctx);
                    sawFields = true;
                    return;
                }
                if (key != "changes") ctx.Bad("atributo desconhecido " + Quoted(key) + ".");
                if (value != JsonToken::BeginArray) ctx.Bad("\"changes\" deve ser uma lista.");
                sawChanges = true;
                std::size_t index = 0;
                for (JsonToken t = source.Next(); t != JsonToken::EndArray;
                     t = source.Next(), ++index) {
                    const std::string where = "alteração " + std::to_string(index + 1);
                    if (t != JsonToken::BeginObject) ctx.Bad(where + " não é um objeto.");
                    old.Reset(fields.size());
                    now.Reset(fields.size());
                    std::string kindName;
                    bool sawKind = false;
                    for (t = source.Next(); t != JsonToken::EndObject; t = source.Next()) {
                        const std::string member(source.Text());
                        const JsonToken v = source.Next();
                        if (member == "kind") {
                            if (v != JsonToken::String)
                                ctx.Bad(where +
                                        ": \"kind\" deve ser inserted, modified ou deleted.");
                            kindName.assign(source.Text());
                            sawKind = true;
                        } else if (member == "old" || member == "new") {
                            RowBuffer& buffer = member == "old" ? old : now;
                            ReadRow(source, v, fields,
                                    Place{ctx, true, index, member == "old" ? "old" : "new"},
                                    [&](std::size_t column, const Cell& cell) {
                                        buffer.Set(column, cell);
                                    });
                            buffer.Finish();
                        } else {
                            ctx.Bad(where + ": atributo desconhecido " + Quoted(member) + ".");
                        }
                    }
                    ChangeKind kind = ChangeKind::Inserted;
                    if (sawKind && kindName == "inserted") {
                        kind = ChangeKind::Inserted;
                    } else if (sawKind && kindName == "modified") {
                        kind = ChangeKind::Modified;
                    } else if (sawKind && kindName == "deleted") {
                        kind = ChangeKind::Deleted;
                    } else {
                        ctx.Bad(where + ": \"kind\" deve ser inserted, modified ou deleted.");
                    }
                    const bool needsOld = kind != ChangeKind::Inserted;
                    const bool needsNew = kind != ChangeKind::Deleted;
                    if (needsOld != old.Present() || needsNew != now.Present())
                        ctx.Bad(where + ": \"" + kindName + "\" leva " +
                                (needsOld && needsNew ? "\"old\" e \"new\""
                                 : needsOld           ? "só \"old\""
                                                      : "só \"new\"") +
                                ".");
                    sink.OnChange(index, kind, old.Cells(), now.Cells());
                }
            });
        if (!sawFields || !sawChanges) ctx.Bad("faltam \"fields\" ou \"changes\".");
    });
}

Variant ValueOf(const Cell& cell) {
    switch (cell.kind) {
        case Cell::Kind::Null:
            return {};
        case Cell::Kind::Text:
            return std::string(cell.text);
        case Cell::Kind::Number:
            return cell.number;
    }
    return {};
}

namespace {

class RowCollector final : public RecordSink {
  public:
    explicit RowCollector(std::vector<Row>& rows, std::size_t columns)
        : rows_(rows), columns_(columns) {}
    void OnCell(std::size_t, const Cell& cell) override {
        if (row_.empty()) row_.reserve(columns_);
        row_.push_back(ValueOf(cell));
    }
    void OnRowEnd() override { rows_.push_back(std::exchange(row_, {})); }

  private:
    std::vector<Row>& rows_;
    std::size_t columns_;
    Row row_;
};

class ChangeCollector final : public ChangeSink {
  public:
    explicit ChangeCollector(std::vector<Change>& changes) : changes_(changes) {}
    void OnChange(std::size_t, ChangeKind kind, std::span<const Cell> old,
                  std::span<const Cell> now) override {
        Change change;
        change.Kind = kind;
        for (const Cell& c : old) change.Old.push_back(ValueOf(c));
        for (const Cell& c : now) change.New.push_back(ValueOf(c));
        changes_.push_back(std::move(change));
    }

  private:
    std::vector<Change>& changes_;
};

const json& FieldsMember(const json& packet, const Context& ctx) {
    if (!packet.is_object()) ctx.Bad("era esperado um objeto JSON.");
    const auto it = packet.find("fields");
    if (it == packet.end()) ctx.Bad("falta a lista de campos (\"fields\").");
    return *it;
}

}  // namespace

std::vector<FieldDef> FieldListFromJson(const json& fields) {
    JsonValueReader reader(fields);
    std::vector<FieldDef> out;
    TranslatingJsonErrors(kRecordContext,
                          [&] { out = ReadFields(reader, reader.Next(), kRecordContext); });
    return out;
}

RecordPacket RecordPacketFromJson(const json& packet) {
    RecordPacket out;
    out.Fields = FieldListFromJson(FieldsMember(packet, kRecordContext));
    JsonValueReader reader(packet);
    RowCollector collector(out.Rows, out.Fields.size());
    ReadRecordPacket(reader, out.Fields, "no pacote", collector);
    return out;
}

ChangePacket ChangePacketFromJson(const json& packet) {
    const Context ctx{"Pacote de alterações", "no pacote"};
    ChangePacket out;
    JsonValueReader fieldReader(FieldsMember(packet, ctx));
    TranslatingJsonErrors(ctx,
                          [&] { out.Fields = ReadFields(fieldReader, fieldReader.Next(), ctx); });
    JsonValueReader reader(packet);
    ChangeCollector collector(out.Changes);
    ReadChangePacket(reader, out.Fields, "no pacote", collector);
    return out;
}

json ValueToJson(const Variant& value, FieldType type) {
    if (IsNull(value)) return nullptr;
    if (const auto* text = std::get_if<std::string>(&value)) return *text;
    const double number = std::get<double>(value);
    if (type == FieldType::DateTime) return DateTimeToIso(number);
    return number;
}

json RowToJson(const Row& row, const std::vector<FieldDef>& fields) {
    json out = json::array();
    for (std::size_t i = 0; i < fields.size(); ++i)
        out.push_back(ValueToJson(i < row.size() ? row[i] : Variant{}, fields[i].Type));
    return out;
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

void AppendFieldList(std::string& out, const std::vector<FieldDef>& fields) {
    out += '[';
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) out += ',';
        out += "{\"name\":";
        AppendJsonString(out, fields[i].Name);
        out += ",\"type\":";
        AppendJsonString(out, FieldTypeName(fields[i].Type));
        if (IsStringType(fields[i].Type)) out += ",\"size\":" + std::to_string(fields[i].Size);
        out += '}';
    }
    out += ']';
}

RecordPacketWriter::RecordPacketWriter(std::string& out, const std::vector<FieldDef>& fields)
    : out_(out) {
    out_ += "{\"fields\":";
    AppendFieldList(out_, fields);
    out_ += ",\"rows\":[";
}

void RecordPacketWriter::BeginRow() {
    if (!firstRow_) out_ += ',';
    firstRow_ = false;
    out_ += '[';
    firstValue_ = true;
}

void RecordPacketWriter::Separate() {
    if (!firstValue_) out_ += ',';
    firstValue_ = false;
}

void RecordPacketWriter::Null() {
    Separate();
    out_ += "null";
}

void RecordPacketWriter::Text(std::string_view text) {
    Separate();
    AppendJsonString(out_, text);
}

void RecordPacketWriter::Number(double value) {
    Separate();
    AppendJsonNumber(out_, value);
}

void RecordPacketWriter::EndRow() {
    out_ += ']';
}

void RecordPacketWriter::Finish() {
    out_ += "]}";
}

}  // namespace core

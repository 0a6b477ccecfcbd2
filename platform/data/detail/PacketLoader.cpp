// Record packet loading. The text path uses the JSON library's event interface so that no
// document is built: values go straight into the columns.
#include "platform/data/detail/PacketLoader.h"

#include <nlohmann/json.hpp>

#include "platform/data/DataError.h"
#include "platform/data/Packet.h"
#include "platform/text/DateTime.h"
#include "platform/text/TextFunctions.h"

namespace platform::detail {
namespace {

using nlohmann::json;

std::string Where(std::size_t row, const FieldDef& field) {
    return "no campo '" + field.Name + "' da linha " + std::to_string(row + 1);
}

// Appends one row's value to the store, checking it against the field.
class RowWriter {
  public:
    RowWriter(DataSetStore& store, const std::vector<FieldDef>& fields)
        : store_(store), fields_(fields) {}

    void Text(std::size_t row, int column, std::string_view text) {
        const FieldDef& f = fields_[static_cast<std::size_t>(column)];
        if (IsStringType(f.Type)) {
            if (text.size() > static_cast<std::size_t>(f.Size) &&
                Utf8Length(text) > static_cast<std::size_t>(f.Size))
                throw DataSetError("Pacote de dados recusado: o texto '" + std::string(text) +
                                   "' não cabe " + Where(row, f) + " (tamanho " +
                                   std::to_string(f.Size) + ").");
            store_.AppendText(column, text);
        } else if (f.Type == FieldType::DateTime) {
            DateTime date = 0;
            if (!TryIsoToDateTime(text, date))
                throw DataSetError("Pacote de dados recusado: '" + std::string(text) +
                                   "' não é uma data AAAA-MM-DD " + Where(row, f) + ".");
            store_.AppendNumber(column, date);
        } else {
            throw DataSetError("Pacote de dados recusado: era esperado um número " + Where(row, f) +
                               ".");
        }
    }

    void Number(std::size_t row, int column, double value) {
        const FieldDef& f = fields_[static_cast<std::size_t>(column)];
        if (f.Type != FieldType::Double)
            throw DataSetError("Pacote de dados recusado: valor numérico " + Where(row, f) +
                               ", que não é numérico.");
        store_.AppendNumber(column, value);
    }

    void Null(int column) { store_.AppendNull(column); }

  private:
    DataSetStore& store_;
    const std::vector<FieldDef>& fields_;
};

class SaxLoader {
  public:
    using number_integer_t = json::number_integer_t;
    using number_unsigned_t = json::number_unsigned_t;
    using number_float_t = json::number_float_t;
    using string_t = json::string_t;
    using binary_t = json::binary_t;

    SaxLoader(DataSetStore& store, const std::vector<FieldDef>& fields)
        : store_(store), fields_(fields), writer_(store, fields) {}

    bool null() {
        if (InRow()) {
            Cell();
            writer_.Null(column_++);
        } else {
            Scalar();
        }
        return true;
    }
    bool boolean(bool) {
        if (InRow()) Bad("valor lógico inesperado na linha " + std::to_string(row_ + 1) + ".");
        Scalar();
        return true;
    }
    bool number_integer(number_integer_t v) { return Number(static_cast<double>(v)); }
    bool number_unsigned(number_unsigned_t v) { return Number(static_cast<double>(v)); }
    bool number_float(number_float_t v, const string_t&) { return Number(v); }
    bool string(string_t& s) {
        if (InRow()) {
            Cell();
            writer_.Text(row_, column_++, s);
        } else if (section_ == Section::Fields && depth_ == 3) {
            if (fieldKey_ == "name")
                current_.Name = s;
            else if (fieldKey_ == "type")
                current_.Type = FieldTypeFromName(s);
        }
        return true;
    }
    bool binary(binary_t&) { return true; }

    bool start_object(std::size_t) {
        ++depth_;
        if (depth_ == 1) return true;
        if (section_ == Section::Fields && depth_ == 3) {
            current_ = FieldDef{};
            return true;
        }
        if (section_ == Section::Rows) Bad("objeto inesperado nas linhas.");
        return true;
    }
    bool end_object() {
        if (section_ == Section::Fields && depth_ == 3) packetFields_.push_back(current_);
        --depth_;
        return true;
    }
    bool key(string_t& k) {
        if (depth_ == 1) {
            section_ = k == "fields" ? Section::Fields
                       : k == "rows" ? Section::Rows
                                     : Section::Other;
            if (section_ == Section::Fields) sawFields_ = true;
            if (section_ == Section::Rows) sawRows_ = true;
        } else if (section_ == Section::Fields && depth_ == 3) {
            fieldKey_ = k;
        }
        return true;
    }
    bool start_array(std::size_t) {
        ++depth_;
        if (section_ == Section::Rows) {
            if (depth_ == 2) {
                rowsIsArray_ = true;
            } else if (depth_ == 3) {
                column_ = 0;
            } else if (depth_ > 3) {
                Bad("lista inesperada na linha " + std::to_string(row_ + 1) + ".");
            }
        }
        return true;
    }
    bool end_array() {
        if (section_ == Section::Rows && depth_ == 3) {
            if (column_ != static_cast<int>(fields_.size()))
                Bad("a linha " + std::to_string(row_ + 1) + " tem " + std::to_string(column_) +
                    " valores; são esperados " + std::to_string(fields_.size()) + ".");
            store_.order.push_back(store_.rowCount++);
            ++row_;
        }
        if (depth_ == 2) section_ = Section::None;
        --depth_;
        return true;
    }
    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception&) {
        Bad("texto JSON malformado na posição " + std::to_string(position) + ".");
    }

    void Finish() {
        if (!sawFields_) Bad("falta a lista de campos (\"fields\").");
        if (!sawRows_ || !rowsIsArray_) Bad("falta a lista de linhas (\"rows\").");
    }
    const std::vector<FieldDef>& PacketFields() const { return packetFields_; }

  private:
    enum class Section { None, Fields, Rows, Other };

    [[noreturn]] static void Bad(const std::string& what) {
        throw DataSetError("Pacote de dados inválido: " + what);
    }
    bool InRow() const { return section_ == Section::Rows && depth_ == 3; }
    void Cell() {
        if (column_ >= static_cast<int>(fields_.size()))
            Bad("a linha " + std::to_string(row_ + 1) + " tem valores demais; são esperados " +
                std::to_string(fields_.size()) + ".");
    }
    void Scalar() {
        if (section_ == Section::Rows && depth_ == 2) Bad("cada linha deve ser uma lista.");
    }
    bool Number(double v) {
        if (InRow()) {
            Cell();
            writer_.Number(row_, column_++, v);
        } else if (section_ == Section::Fields && depth_ == 3 && fieldKey_ == "size") {
            if (v < 0 || v > 1'000'000) Bad("tamanho de campo inválido.");
            current_.Size = static_cast<int>(v);
        } else {
            Scalar();
        }
        return true;
    }

    DataSetStore& store_;
    const std::vector<FieldDef>& fields_;
    RowWriter writer_;
    int depth_ = 0;
    Section section_ = Section::None;
    std::size_t row_ = 0;
    int column_ = 0;
    std::string fieldKey_;
    FieldDef current_;
    std::vector<FieldDef> packetFields_;
    bool sawFields_ = false, sawRows_ = false, rowsIsArray_ = false;
};

}  // namespace

std::unique_ptr<DataSetStore> LoadPacketText(std::string_view text,
                                             const std::vector<FieldDef>& fields) {
    auto store = std::make_unique<DataSetStore>(fields);
    // A generous first guess of the row count saves most reallocations of big packets.
    const std::size_t guess = text.size() / 64;
    for (Column& c : store->columns) {
        if (c.IsText())
            c.texts.reserve(guess);
        else
            c.numbers.reserve(guess);
    }
    store->order.reserve(guess);
    SaxLoader loader(*store, fields);
    json::sax_parse(text, &loader);
    loader.Finish();
    CheckSameFields(fields, loader.PacketFields());
    for (Column& c : store->columns) {
        c.texts.shrink_to_fit();
        c.numbers.shrink_to_fit();
        c.arena.shrink_to_fit();
    }
    store->order.shrink_to_fit();
    return store;
}

std::unique_ptr<DataSetStore> LoadPacketJson(const json& packet,
                                             const std::vector<FieldDef>& fields) {
    if (!packet.is_object() || !packet.contains("fields") || !packet.contains("rows"))
        throw DataSetError("Pacote de dados inválido: são esperados \"fields\" e \"rows\".");
    CheckSameFields(fields, FieldListFromJson(packet["fields"]));
    const json& rows = packet["rows"];
    if (!rows.is_array())
        throw DataSetError("Pacote de dados inválido: \"rows\" deve ser uma lista.");
    auto store = std::make_unique<DataSetStore>(fields);
    RowWriter writer(*store, fields);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const json& row = rows[r];
        if (!row.is_array() || row.size() != fields.size())
            throw DataSetError("Pacote de dados inválido: a linha " + std::to_string(r + 1) +
                               " deve ter " + std::to_string(fields.size()) + " valores.");
        for (int c = 0; c < static_cast<int>(fields.size()); ++c) {
            const json& v = row[static_cast<std::size_t>(c)];
            if (v.is_null())
                writer.Null(c);
            else if (v.is_string())
                writer.Text(r, c, v.get_ref<const std::string&>());
            else if (v.is_number())
                writer.Number(r, c, v.get<double>());
            else
                throw DataSetError("Pacote de dados inválido: valor inesperado no campo '" +
                                   fields[static_cast<std::size_t>(c)].Name + "' da linha " +
                                   std::to_string(r + 1) + ".");
        }
        store->order.push_back(store->rowCount++);
    }
    return store;
}

}  // namespace platform::detail

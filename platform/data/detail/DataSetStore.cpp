// Column storage of a record set's rows.
#include "platform/data/detail/DataSetStore.h"

#include <bit>
#include <cstring>

#include "platform/data/DataError.h"

namespace platform::detail {
namespace {

constexpr std::uint64_t kNullBits = 0x7FF8DEADBEEF0001ull;

TextRef Store(Column& column, std::string_view text) {
    if (column.arena.size() + text.size() > 0xFFFFFFF0u)
        throw DataSetError("O conjunto de dados excedeu o limite de 4 GB de texto por campo.");
    TextRef ref{static_cast<std::uint32_t>(column.arena.size()),
                static_cast<std::uint32_t>(text.size())};
    column.arena.append(text);
    return ref;
}

}  // namespace

bool IsNullNumber(double value) {
    return std::bit_cast<std::uint64_t>(value) == kNullBits;
}
double NullNumber() {
    return std::bit_cast<double>(kNullBits);
}

DataSetStore::DataSetStore(const std::vector<FieldDef>& fields) {
    columns.resize(fields.size());
    for (std::size_t i = 0; i < fields.size(); ++i) columns[i].type = fields[i].Type;
}

RowId DataSetStore::NewRow() {
    if (rowCount == 0xFFFFFFFEu)
        throw DataSetError("O conjunto de dados atingiu o número máximo de linhas.");
    for (Column& c : columns) {
        if (c.IsText())
            c.texts.push_back(TextRef{});
        else
            c.numbers.push_back(NullNumber());
    }
    return rowCount++;
}

void DataSetStore::DropLastRow() {
    for (Column& c : columns) {
        if (c.IsText())
            c.texts.pop_back();
        else
            c.numbers.pop_back();
    }
    --rowCount;
}

std::string_view DataSetStore::Text(RowId row, int column) const {
    const Column& c = columns[static_cast<std::size_t>(column)];
    const TextRef ref = c.texts[row];
    if (ref.length == TextRef::kNullLength) return {};
    return std::string_view(c.arena).substr(ref.offset, ref.length);
}

bool DataSetStore::IsNullAt(RowId row, int column) const {
    const Column& c = columns[static_cast<std::size_t>(column)];
    return c.IsText() ? c.texts[row].length == TextRef::kNullLength : IsNullNumber(c.numbers[row]);
}

Variant DataSetStore::Get(RowId row, int column) const {
    if (IsNullAt(row, column)) return {};
    const Column& c = columns[static_cast<std::size_t>(column)];
    if (c.IsText()) return std::string(Text(row, column));
    return c.numbers[row];
}

void DataSetStore::Set(RowId row, int column, const Variant& value) {
    Column& c = columns[static_cast<std::size_t>(column)];
    if (c.IsText()) {
        if (const auto* text = std::get_if<std::string>(&value))
            c.texts[row] = Store(c, *text);
        else
            c.texts[row] = TextRef{};
    } else {
        const auto* number = std::get_if<double>(&value);
        c.numbers[row] = number != nullptr ? *number : NullNumber();
    }
}

Row DataSetStore::GetRow(RowId row) const {
    Row values;
    values.reserve(columns.size());
    for (int i = 0; i < static_cast<int>(columns.size()); ++i) values.push_back(Get(row, i));
    return values;
}

void DataSetStore::SetRow(RowId row, const Row& values) {
    for (int i = 0; i < static_cast<int>(columns.size()); ++i)
        Set(row, i, values[static_cast<std::size_t>(i)]);
}

void DataSetStore::AppendText(int column, std::string_view text) {
    Column& c = columns[static_cast<std::size_t>(column)];
    if (!c.texts.empty()) {
        const TextRef last = c.texts.back();
        if (last.length == text.size() &&
            std::memcmp(c.arena.data() + last.offset, text.data(), text.size()) == 0) {
            c.texts.push_back(last);
            return;
        }
    }
    c.texts.push_back(Store(c, text));
}

void DataSetStore::AppendNumber(int column, double value) {
    columns[static_cast<std::size_t>(column)].numbers.push_back(value);
}

void DataSetStore::AppendNull(int column) {
    Column& c = columns[static_cast<std::size_t>(column)];
    if (c.IsText())
        c.texts.push_back(TextRef{});
    else
        c.numbers.push_back(NullNumber());
}

std::size_t DataSetStore::MemoryUsage() const {
    std::size_t bytes = sizeof(*this) + columns.capacity() * sizeof(Column);
    for (const Column& c : columns)
        bytes += c.texts.capacity() * sizeof(TextRef) + c.arena.capacity() +
                 c.numbers.capacity() * sizeof(double);
    bytes += (order.capacity() + visible.capacity()) * sizeof(RowId);
    bytes += log.capacity() * sizeof(LogEntry) + logIndex.size() * 32 +
             orderChanges.capacity() * sizeof(OrderChange);
    for (const LogEntry& e : log) bytes += e.original.capacity() * sizeof(Variant);
    return bytes;
}

}  // namespace platform::detail

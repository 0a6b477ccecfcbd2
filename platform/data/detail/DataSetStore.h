// The rows of a record set, column by column, with the order, the filter view, the cursor
// and the change log. Internal to the record set.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/data/FieldDef.h"
#include "platform/data/Packet.h"

namespace platform::detail {

using RowId = std::uint32_t;

// A text value: its bytes in the column's arena. Rows may share one value.
struct TextRef {
    std::uint32_t offset = 0;
    std::uint32_t length = kNullLength;
    static constexpr std::uint32_t kNullLength = 0xFFFFFFFFu;
};

struct Column {
    FieldType type = FieldType::String;
    std::vector<TextRef> texts;   // string types
    std::string arena;            // string types
    std::vector<double> numbers;  // double and date-time; null is kNullNumber's bits

    bool IsText() const { return IsStringType(type); }
};

// A NaN with a payload of its own: numbers are never NaN, so this marks null.
bool IsNullNumber(double value);
double NullNumber();

struct LogEntry {
    RowId row = 0;
    ChangeKind kind = ChangeKind::Inserted;
    Row original;      // modified and deleted rows: the values at the last load or merge
    bool live = true;  // false once an inserted row was deleted again
};

// A move of a row in the order, kept so that CancelUpdates can undo them in reverse.
struct OrderChange {
    bool inserted = false;
    RowId row = 0;
    std::size_t position = 0;
};

struct DataSetStore {
    explicit DataSetStore(const std::vector<FieldDef>& fields);

    std::vector<Column> columns;
    std::uint32_t rowCount = 0;  // rows stored, live or not
    std::vector<RowId> order;    // live rows, in order
    std::vector<RowId> visible;  // the rows matching the filter, in order (filter on)
    bool filterOn = false;
    int cursor = -1;  // index among the visible rows
    bool bof = true, eof = true;

    std::vector<LogEntry> log;
    std::unordered_map<RowId, std::size_t> logIndex;
    std::size_t liveChanges = 0;
    std::vector<OrderChange> orderChanges;

    const std::vector<RowId>& View() const { return filterOn ? visible : order; }
    int VisibleCount() const { return static_cast<int>(View().size()); }

    RowId NewRow();
    void DropLastRow();
    Variant Get(RowId row, int column) const;
    void Set(RowId row, int column, const Variant& value);
    Row GetRow(RowId row) const;
    void SetRow(RowId row, const Row& values);
    std::string_view Text(RowId row, int column) const;
    bool IsNullAt(RowId row, int column) const;

    // Appends to a column while loading; a text equal to the previous row's shares it.
    void AppendText(int column, std::string_view text);
    void AppendNumber(int column, double value);
    void AppendNull(int column);

    std::size_t MemoryUsage() const;
};

}  // namespace platform::detail

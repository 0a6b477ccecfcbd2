// One row of a result as a reader hands it over, read in place: nothing is copied unless the
// caller copies it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

namespace db {

// How a result column is fetched.
enum class ColumnType { Text, Integer };

// Valid only during the visit it is given to.
class RowView {
  public:
    virtual ~RowView() = default;
    virtual bool IsNull(std::size_t column) const = 0;
    // "" for null.
    virtual std::string_view Text(std::size_t column) const = 0;
    // 0 for null.
    virtual std::int64_t Integer(std::size_t column) const = 0;
};

using RowVisitor = std::function<void(const RowView& row)>;

}  // namespace db

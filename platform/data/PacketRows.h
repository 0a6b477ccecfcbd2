// The rows of a record packet read apart from any set, so that a long read (a large reply as
// it arrives from the server) can run off the user-interface thread; the set then takes them
// in one step on its own thread (ClientDataSet::SetData).
#pragma once

#include <memory>
#include <vector>

#include "platform/data/FieldDef.h"

namespace core {
class JsonSource;
}

namespace platform {

namespace detail {
struct DataSetStore;
}

class PacketRows {
  public:
    PacketRows();
    ~PacketRows();
    PacketRows(PacketRows&&) noexcept;
    PacketRows& operator=(PacketRows&&) noexcept;

    // Reads a record packet whose field list must equal `fields`, token by token from `source`.
    // Touches no set. Raises DataSetError for a malformed packet or other fields.
    static PacketRows Read(core::JsonSource& source, const std::vector<FieldDef>& fields);

    bool Empty() const { return store_ == nullptr; }
    std::size_t Count() const;

  private:
    friend class ClientDataSet;
    std::vector<FieldDef> fields_;
    std::unique_ptr<detail::DataSetStore> store_;
};

}  // namespace platform

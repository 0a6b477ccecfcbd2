#include "platform/data/PacketRows.h"

#include "platform/data/detail/DataSetStore.h"
#include "platform/data/detail/PacketLoader.h"

namespace platform {

PacketRows::PacketRows() = default;
PacketRows::~PacketRows() = default;
PacketRows::PacketRows(PacketRows&&) noexcept = default;
PacketRows& PacketRows::operator=(PacketRows&&) noexcept = default;

std::size_t PacketRows::Count() const {
    return store_ == nullptr ? 0 : static_cast<std::size_t>(store_->rowCount);
}

PacketRows PacketRows::Read(core::JsonSource& source, const std::vector<FieldDef>& fields) {
    PacketRows rows;
    rows.store_ = detail::LoadPacket(source, fields, 0);
    rows.fields_ = fields;
    return rows;
}

}  // namespace platform

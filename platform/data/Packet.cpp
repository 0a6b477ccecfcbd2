// The framework's face of the packet functions: core's packet errors become DataSetError.
#include "platform/data/Packet.h"

#include <nlohmann/json.hpp>

#include "platform/data/DataError.h"

namespace platform {
namespace {

template <typename Fn>
auto AsDataSetError(Fn&& fn) {
    try {
        return fn();
    } catch (const core::PacketError& e) {
        throw DataSetError(e.what());
    }
}

}  // namespace

std::vector<FieldDef> FieldListFromJson(const nlohmann::json& fields) {
    return AsDataSetError([&] { return core::FieldListFromJson(fields); });
}

RecordPacket RecordPacketFromJson(const nlohmann::json& packet) {
    return AsDataSetError([&] { return core::RecordPacketFromJson(packet); });
}

ChangePacket ChangePacketFromJson(const nlohmann::json& packet) {
    return AsDataSetError([&] { return core::ChangePacketFromJson(packet); });
}

void CheckSameFields(const std::vector<FieldDef>& expected, const std::vector<FieldDef>& actual) {
    AsDataSetError([&] { core::CheckSameFields(expected, actual, "no conjunto de dados"); });
}

}  // namespace platform

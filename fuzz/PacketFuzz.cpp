// Fuzz target of packet reading: a record set loading a record packet from its text, and a
// change packet read from JSON. Any text may only be loaded or refused with a user's error.
#include <cstdint>
#include <string_view>

#include <nlohmann/json.hpp>

#include "platform/data/ClientDataSet.h"
#include "platform/data/DataError.h"
#include "platform/data/Packet.h"

namespace {

void LoadRecordPacket(std::string_view text) {
    platform::ClientDataSet set;
    set.AddField("DTIMPSALDO", platform::FieldType::DateTime);
    set.AddField("CDCONTCTBL", platform::FieldType::String, 16);
    set.AddField("VRIMPSALDO", platform::FieldType::Double);
    set.AddField("TIPSALDO", platform::FieldType::FixedString, 3);
    set.LoadFromText(text);
    set.First();
    while (!set.Eof()) set.Next();
}

void ReadChangePacket(std::string_view text) {
    const auto json = nlohmann::json::parse(text, nullptr, false);
    if (!json.is_discarded()) platform::ChangePacketFromJson(json);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        LoadRecordPacket(text);
    } catch (const platform::Error&) {
    }
    try {
        ReadChangePacket(text);
    } catch (const platform::Error&) {
    }
    return 0;
}

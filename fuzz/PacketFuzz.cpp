// Fuzz target of packet reading: a record set loading a record packet from its text, and the
// server's streaming change-packet reader against each balance kind's field list. Any text may
// only be loaded or refused with a user's error.
#include <cstdint>
#include <span>
#include <string_view>

#include "core/BalanceLayout.h"
#include "core/Error.h"
#include "core/Json.h"
#include "core/Packet.h"
#include "platform/data/ClientDataSet.h"

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

class CountingSink final : public core::ChangeSink {
  public:
    void OnChange(std::size_t, core::ChangeKind, std::span<const core::Cell> old,
                  std::span<const core::Cell> now) override {
        cells_ += old.size() + now.size();
    }

  private:
    std::size_t cells_ = 0;
};

void ReadChangePacket(std::string_view text, core::BalanceKind kind) {
    core::JsonReader reader(text);
    CountingSink sink;
    core::ReadChangePacket(reader, core::BalanceFields(kind), "no pacote", sink);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        LoadRecordPacket(text);
    } catch (const core::Error&) {
    }
    for (const auto kind :
         {core::BalanceKind::Suppliers, core::BalanceKind::Clients, core::BalanceKind::Banks}) {
        try {
            ReadChangePacket(text, kind);
        } catch (const core::Error&) {
        }
    }
    return 0;
}

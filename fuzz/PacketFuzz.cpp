// Fuzz target of packet reading: a record set loading a record packet from its text, the
// server's streaming change-packet reader against each balance kind's field list, and the
// text read in pieces through a small window as replies are. Any text may only be loaded or
// refused with a user's error; read in pieces it must give exactly the tokens of the whole
// text, or be refused.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/BalanceLayout.h"
#include "core/Error.h"
#include "core/Json.h"
#include "core/JsonStream.h"
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

template <typename Source>
std::vector<std::string> Tokens(Source& source) {
    std::vector<std::string> tokens;
    for (core::JsonToken t = source.Next(); t != core::JsonToken::End; t = source.Next())
        tokens.push_back(std::to_string(static_cast<int>(t)) + std::string(source.Text()) + "@" +
                         std::to_string(source.Offset()));
    return tokens;
}

void CompareStreamed(std::string_view text) {
    std::vector<std::string> whole;
    bool wholeRead = true;
    try {
        core::JsonReader reader(text.substr(0, text.find('\n')));
        whole = Tokens(reader);
    } catch (const core::JsonError&) {
        wholeRead = false;
    }
    const std::size_t piece = text.empty() ? 1 : static_cast<unsigned char>(text[0]) % 17 + 1;
    std::string window;
    std::size_t at = 0;
    std::vector<std::string> streamed;
    try {
        core::JsonStreamReader reader(
            [&](char* into, std::size_t room) {
                const std::size_t n = std::min({piece, room, text.size() - at});
                std::memcpy(into, text.data() + at, n);
                at += n;
                return n;
            },
            window, 64);
        streamed = Tokens(reader);
    } catch (const core::JsonError&) {
        return;  // also a token longer than the window: refused, never cut
    }
    if (!wholeRead || streamed != whole) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CompareStreamed(text);
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

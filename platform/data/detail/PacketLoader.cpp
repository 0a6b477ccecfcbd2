// Record packet loading: core's reader checks each row against the set's fields and hands
// the cells over, which go straight into the columns of a new store.
#include "platform/data/detail/PacketLoader.h"

#include <nlohmann/json.hpp>

#include "core/Packet.h"
#include "platform/data/DataError.h"

namespace platform::detail {
namespace {

constexpr std::string_view kWhose = "no conjunto de dados";

class StoreWriter final : public core::RecordSink {
  public:
    explicit StoreWriter(DataSetStore& store) : store_(store) {}

    void OnCell(std::size_t column, const core::Cell& cell) override {
        const int c = static_cast<int>(column);
        switch (cell.kind) {
            case core::Cell::Kind::Null:
                store_.AppendNull(c);
                break;
            case core::Cell::Kind::Text:
                store_.AppendText(c, cell.text);
                break;
            case core::Cell::Kind::Number:
                store_.AppendNumber(c, cell.number);
                break;
        }
    }
    void OnRowEnd() override { store_.order.push_back(store_.rowCount++); }

  private:
    DataSetStore& store_;
};

}  // namespace

std::unique_ptr<DataSetStore> LoadPacket(core::JsonSource& source,
                                         const std::vector<FieldDef>& fields,
                                         std::size_t rowGuess) {
    auto store = std::make_unique<DataSetStore>(fields);
    // A generous first guess of the row count saves most reallocations of big packets.
    for (Column& c : store->columns) {
        if (c.IsText())
            c.texts.reserve(rowGuess);
        else
            c.numbers.reserve(rowGuess);
    }
    store->order.reserve(rowGuess);
    StoreWriter writer(*store);
    try {
        core::ReadRecordPacket(source, fields, kWhose, writer);
    } catch (const core::PacketError& e) {
        throw DataSetError(e.what());
    }
    for (Column& c : store->columns) {
        c.texts.shrink_to_fit();
        c.numbers.shrink_to_fit();
        c.arena.shrink_to_fit();
    }
    store->order.shrink_to_fit();
    return store;
}

std::unique_ptr<DataSetStore> LoadPacketText(std::string_view text,
                                             const std::vector<FieldDef>& fields) {
    core::JsonReader reader(text);
    return LoadPacket(reader, fields, text.size() / 64);
}

std::unique_ptr<DataSetStore> LoadPacketJson(const nlohmann::json& packet,
                                             const std::vector<FieldDef>& fields) {
    core::JsonValueReader reader(packet);
    const auto rows = packet.is_object() ? packet.find("rows") : packet.end();
    return LoadPacket(reader, fields, rows != packet.end() && rows->is_array() ? rows->size() : 0);
}

}  // namespace platform::detail

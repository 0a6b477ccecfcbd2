// Record packet text of balances, in the kind's field order.
#include "server/PacketWriter.h"

#include "core/Money.h"
#include "core/Packet.h"

namespace server {
namespace {

void Optional(core::RecordPacketWriter& writer, const std::optional<std::string_view>& text) {
    if (text)
        writer.Text(*text);
    else
        writer.Null();
}

}  // namespace

void WriteBalancePacket(BalanceStore& store, const std::string& company, core::BalanceKind kind,
                        std::string& out, const std::function<void()>& rowWritten) {
    const std::string_view code = core::KindInfo(kind).code;
    const bool bank = kind == core::BalanceKind::Banks;
    core::RecordPacketWriter writer(out, core::BalanceFields(kind));
    store.ReadBalances(company, kind, [&](const StoredBalance& b) {
        writer.BeginRow();
        writer.Text(b.month);
        writer.Text(b.account);
        Optional(writer, b.accountName);
        Optional(writer, b.ownerName);
        writer.Number(core::CentsToDouble(b.cents));
        writer.Text(b.implanted ? core::kImplantedYes : core::kImplantedNo);
        writer.Text(company);
        writer.Text(code);
        writer.Text(b.owner);
        Optional(writer, b.registration);
        if (!bank) Optional(writer, b.registrationType);
        writer.EndRow();
        rowWritten();
    });
    writer.Finish();
}

}  // namespace server

// Record packet text of balances, in the kind's field order, and of a balance's history.
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

// One side of a changed row: value and implanted flag, or two nulls where there is none.
void Side(core::RecordPacketWriter& writer, const std::optional<AuditValues>& values) {
    if (!values) {
        writer.Null();
        writer.Null();
        return;
    }
    writer.Number(core::CentsToDouble(values->cents));
    writer.Text(values->implanted ? core::kImplantedYes : core::kImplantedNo);
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

std::string HistoryPacket(AuditTrail& trail, const std::string& company, core::BalanceKind kind,
                          const std::string& month, const std::string& account,
                          const std::string& owner) {
    std::string out;
    core::RecordPacketWriter writer(out, core::HistoryFields());
    trail.History(company, kind, month, account, owner, [&](const AuditRecord& r) {
        writer.BeginRow();
        writer.Text(r.origin.time);
        writer.Text(r.origin.user);
        writer.Text(r.origin.peer);
        writer.Text(ChangeName(r.change));
        Side(writer, r.before);
        Side(writer, r.after);
        writer.EndRow();
    });
    writer.Finish();
    return out;
}

}  // namespace server

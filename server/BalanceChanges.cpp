// Change packets to balance rows: core's reader checks the packet against the kind's field
// list; this adds what a balance row must be before it may be stored.
#include "server/BalanceChanges.h"

#include <cstdio>

#include "core/Calendar.h"
#include "core/MessageText.h"
#include "core/Money.h"
#include "server/Errors.h"

namespace server {
namespace {

class RowReader final : public core::ChangeSink {
  public:
    explicit RowReader(BalanceChanges& out) : out_(out), kindCode_(core::KindInfo(out.kind).code) {}

    void OnChange(std::size_t index, core::ChangeKind kind, std::span<const core::Cell> old,
                  std::span<const core::Cell> now) override {
        const std::string where = "alteração " + std::to_string(index + 1);
        BalanceChanges::Change change;
        change.kind = kind;
        if (!old.empty()) change.old = Add(old, where);
        if (!now.empty()) change.now = Add(now, where);
        out_.changes.push_back(change);
    }

  private:
    std::uint32_t Add(std::span<const core::Cell> cells, const std::string& where) {
        if (out_.rows.size() >= BalanceChanges::kNone - 1)
            throw ArgumentError("Pacote de alterações com linhas demais.");
        out_.rows.push_back(Read(cells, where));
        return static_cast<std::uint32_t>(out_.rows.size() - 1);
    }

    std::string Required(std::span<const core::Cell> cells, std::size_t pos, const char* label,
                         const std::string& where) const {
        const core::Cell& c = cells[pos];
        if (c.kind == core::Cell::Kind::Null || c.text.empty())
            throw RuleError(where + ": " + label + " deve ser informado(a).");
        return std::string(c.text);
    }

    BalanceRow Read(std::span<const core::Cell> cells, const std::string& where) const {
        BalanceRow row;
        const std::string date = Required(cells, core::kDtImpSaldo, "a data de implantação", where);
        int y = 0, m = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
        core::DecodeDate(cells[core::kDtImpSaldo].number, y, m, d);
        core::DecodeTime(cells[core::kDtImpSaldo].number, h, mi, s, ms);
        if (h != 0 || mi != 0 || s != 0 || ms != 0 || d != core::DaysInMonth(y, m))
            throw RuleError(where + ": a data de implantação " + core::Shortened(date, 24) +
                            " deve ser o último dia do mês.");
        row.month = core::LastDayIso(y, m);
        row.account = Required(cells, core::kCdContCtbl, "a conta contábil", where);
        const std::string company = Required(cells, core::kCdEmpresa, "a empresa", where);
        const std::string kind = Required(cells, core::kIdSaldCome, "o tipo do saldo", where);
        row.owner = Required(cells, core::kCdSaldCome, "o código da conta comercial", where);
        if (company != out_.company)
            throw RuleError(where + ": o saldo pertence à empresa " + core::Shortened(company, 8) +
                            ", não à empresa " + core::Shortened(out_.company, 8) +
                            " da gravação.");
        if (kind != kindCode_)
            throw RuleError(where + ": o saldo é do tipo " + core::Shortened(kind, 8) +
                            ", não do tipo " + std::string(kindCode_) + " desta gravação.");
        const core::Cell& value = cells[core::kVrImpSaldo];
        if (value.kind == core::Cell::Kind::Null)
            throw RuleError(where + ": Valor de Saldo deve ser informado.");
        const auto cents = core::CentsOf(value.number);
        if (!cents)
            throw ArgumentError("Pacote de alterações inválido: " + where +
                                ": valor fora do limite (9.999.999.999.999,99).");
        row.cents = *cents;
        const std::string implanted = Required(cells, core::kTipSaldo, "o saldo implantado", where);
        if (implanted != core::kImplantedYes && implanted != core::kImplantedNo)
            throw ArgumentError("Pacote de alterações inválido: " + where +
                                ": TIPSALDO deve ser \"Sim\" ou \"Não\".");
        row.implanted = implanted == core::kImplantedYes;
        return row;
    }

    BalanceChanges& out_;
    std::string_view kindCode_;
};

}  // namespace

std::string BalanceRow::Describe() const {
    return core::MonthTextOfIso(month) + ", conta " + account + ", código " + owner;
}

BalanceChanges ReadBalanceChanges(std::string_view packet, core::BalanceKind kind,
                                  const std::string& company) {
    BalanceChanges out;
    out.company = company;
    out.kind = kind;
    core::JsonReader reader(packet);
    RowReader rows(out);
    core::ReadChangePacket(reader, core::BalanceFields(kind), "neste tipo de saldo", rows);
    return out;
}

}  // namespace server

// Packet reading and writing.
#include "server/PacketJson.h"

#include <charconv>
#include <cmath>

#include "db/Calendar.h"
#include "rpc/RpcError.h"

namespace server {

using nlohmann::json;

namespace {

constexpr std::int64_t kMaxCents = 999'999'999'999'999;  // NUMERIC(15,2)

[[noreturn]] void Malformed(const std::string& message) {
    throw rpc::RpcError(rpc::kInvalidParams, "Pacote de alterações inválido: " + message);
}

std::size_t CharCount(std::string_view text) {
    std::size_t count = 0;
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    }
    return count;
}

int Digits(std::string_view text, std::size_t pos, std::size_t n) {
    int value = 0;
    for (std::size_t i = pos; i < pos + n; ++i) {
        if (i >= text.size() || text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// "YYYY-MM-DD" when the text is a date (with an optional time of midnight) on a month's last
// day; nullopt otherwise. Sets `wellFormed` to whether the text is a date at all.
std::optional<std::string> LastDayOfMonth(std::string_view text, bool& wellFormed) {
    wellFormed = false;
    if (text.size() != 10 && text.size() != 19) return std::nullopt;
    const int year = Digits(text, 0, 4), month = Digits(text, 5, 2), day = Digits(text, 8, 2);
    if (year < 1 || month < 1 || month > 12 || day < 1 || text[4] != '-' || text[7] != '-') {
        return std::nullopt;
    }
    if (day > db::DaysInMonth(year, month)) return std::nullopt;
    bool midnight = true;
    if (text.size() == 19) {
        const int h = Digits(text, 11, 2), m = Digits(text, 14, 2), s = Digits(text, 17, 2);
        if (text[10] != 'T' || text[13] != ':' || text[16] != ':' || h < 0 || h > 23 || m < 0 ||
            m > 59 || s < 0 || s > 59) {
            return std::nullopt;
        }
        midnight = h == 0 && m == 0 && s == 0;
    }
    wellFormed = true;
    if (!midnight || day != db::DaysInMonth(year, month)) return std::nullopt;
    return std::string(text.substr(0, 10));
}

void CheckFieldList(const json& fields, const BalanceKind& kind) {
    if (!fields.is_array()) Malformed("\"fields\" deve ser uma lista.");
    const auto& expected = kind.fields;
    for (std::size_t i = 0; i < std::max(fields.size(), expected.size()); ++i) {
        if (i >= fields.size()) Malformed("falta o campo " + expected[i].name + ".");
        const json& f = fields[i];
        if (!f.is_object()) Malformed("o campo " + std::to_string(i + 1) + " não é um objeto.");
        for (const auto& [key, value] : f.items()) {
            if (key != "name" && key != "type" && key != "size") {
                Malformed("o campo " + std::to_string(i + 1) + " tem o atributo desconhecido \"" +
                          key + "\".");
            }
        }
        const std::string name = f.value("name", std::string());
        if (i >= expected.size()) {
            Malformed("campo desconhecido " + name + " para este tipo de saldo.");
        }
        const PacketField& e = expected[i];
        const bool sized = e.type == "string" || e.type == "fixedstring";
        const json size = f.value("size", json(0));
        if (name != e.name || f.value("type", std::string()) != e.type ||
            (sized ? size != json(e.size) : (!size.is_number_integer() || size != 0))) {
            Malformed("o campo " + std::to_string(i + 1) + " deveria ser " + e.name + " (" +
                      e.type + (sized ? ", " + std::to_string(e.size) : std::string()) +
                      "), veio " + f.dump() + ".");
        }
    }
}

// The stored fields of one row of values, checked against the field list and the call.
BalanceRow ReadRow(const json& values, const BalanceKind& kind, const std::string& company,
                   const std::string& where) {
    if (!values.is_array() || values.size() != kind.fields.size()) {
        Malformed(where + ": esperados " + std::to_string(kind.fields.size()) + " valores.");
    }
    for (std::size_t i = 0; i < kind.fields.size(); ++i) {
        const PacketField& f = kind.fields[i];
        const json& v = values[i];
        if (v.is_null()) continue;
        if (f.type == "double") {
            if (!v.is_number()) Malformed(where + ": " + f.name + " deve ser um número.");
        } else if (!v.is_string()) {
            Malformed(where + ": " + f.name + " deve ser texto.");
        } else if (f.size > 0 &&
                   CharCount(v.get_ref<const std::string&>()) > static_cast<std::size_t>(f.size)) {
            Malformed(where + ": " + f.name + " excede " + std::to_string(f.size) + " caracteres.");
        }
    }
    const auto text = [&](std::size_t pos, const char* label) {
        const json& v = values[pos];
        if (v.is_null() || v.get_ref<const std::string&>().empty()) {
            throw rpc::RpcError(rpc::kServerError,
                                where + ": " + label + " deve ser informado(a).");
        }
        return v.get<std::string>();
    };
    BalanceRow row;
    const std::string date = text(kDtImpSaldo, "a data de implantação");
    bool wellFormed = false;
    const auto month = LastDayOfMonth(date, wellFormed);
    if (!wellFormed) Malformed(where + ": data inválida \"" + date + "\".");
    if (!month) {
        throw rpc::RpcError(rpc::kServerError, where + ": a data de implantação " + date +
                                                   " deve ser o último dia do mês.");
    }
    row.month = *month;
    row.account = text(kCdContCtbl, "a conta contábil");
    row.company = text(kCdEmpresa, "a empresa");
    row.kind = text(kIdSaldCome, "o tipo do saldo");
    row.owner = text(kCdSaldCome, "o código da conta comercial");
    if (row.company != company) {
        throw rpc::RpcError(rpc::kServerError, where + ": o saldo pertence à empresa " +
                                                   row.company + ", não à empresa " + company +
                                                   " da gravação.");
    }
    if (row.kind != kind.code) {
        throw rpc::RpcError(rpc::kServerError, where + ": o saldo é do tipo " + row.kind +
                                                   ", não do tipo " + kind.code +
                                                   " desta gravação.");
    }
    if (values[kVrImpSaldo].is_null()) {
        throw rpc::RpcError(rpc::kServerError, where + ": Valor de Saldo deve ser informado.");
    }
    const auto cents = CentsOf(values[kVrImpSaldo].get<double>());
    if (!cents) Malformed(where + ": valor fora do limite.");
    row.cents = *cents;
    const std::string implanted = text(kTipSaldo, "o saldo implantado");
    if (implanted != "Sim" && implanted != "Não") {
        Malformed(where + ": TIPSALDO deve ser \"Sim\" ou \"Não\".");
    }
    row.implanted = implanted == "Sim";
    return row;
}

}  // namespace

bool BalanceRow::SameKey(const BalanceRow& o) const {
    return month == o.month && account == o.account && company == o.company && kind == o.kind &&
           owner == o.owner;
}

std::string BalanceRow::Describe() const {
    return MonthText(month) + ", conta " + account + ", código " + owner;
}

std::string MonthText(std::string_view isoDate) {
    if (isoDate.size() < 7) return std::string(isoDate);
    return std::string(isoDate.substr(5, 2)) + "/" + std::string(isoDate.substr(0, 4));
}

std::optional<std::int64_t> CentsOf(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    const double cents = std::round(value * 100.0);
    if (std::fabs(cents) > static_cast<double>(kMaxCents)) return std::nullopt;
    return static_cast<std::int64_t>(cents);
}

std::vector<BalanceChange> ReadChangePacket(const json& packet, const BalanceKind& kind,
                                            const std::string& company) {
    if (!packet.is_object()) Malformed("esperado um objeto com \"fields\" e \"changes\".");
    for (const auto& [key, value] : packet.items()) {
        if (key != "fields" && key != "changes")
            Malformed("atributo desconhecido \"" + key + "\".");
    }
    if (!packet.contains("fields") || !packet.contains("changes")) {
        Malformed("faltam \"fields\" ou \"changes\".");
    }
    CheckFieldList(packet["fields"], kind);
    const json& changes = packet["changes"];
    if (!changes.is_array()) Malformed("\"changes\" deve ser uma lista.");
    std::vector<BalanceChange> result;
    result.reserve(changes.size());
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const json& c = changes[i];
        const std::string where = "alteração " + std::to_string(i + 1);
        if (!c.is_object()) Malformed(where + " não é um objeto.");
        for (const auto& [key, value] : c.items()) {
            if (key != "kind" && key != "old" && key != "new") {
                Malformed(where + ": atributo desconhecido \"" + key + "\".");
            }
        }
        const std::string kindName = c.value("kind", std::string());
        BalanceChange change;
        bool needsOld = true, needsNew = true;
        if (kindName == "inserted") {
            change.kind = BalanceChange::Kind::Inserted;
            needsOld = false;
        } else if (kindName == "modified") {
            change.kind = BalanceChange::Kind::Modified;
        } else if (kindName == "deleted") {
            change.kind = BalanceChange::Kind::Deleted;
            needsNew = false;
        } else {
            Malformed(where + ": \"kind\" deve ser inserted, modified ou deleted.");
        }
        if (needsOld != c.contains("old") || needsNew != c.contains("new")) {
            Malformed(where + ": \"" + kindName + "\" leva " +
                      (needsOld && needsNew ? "\"old\" e \"new\""
                       : needsOld           ? "só \"old\""
                                            : "só \"new\"") +
                      ".");
        }
        if (needsOld) change.old = ReadRow(c["old"], kind, company, where);
        if (needsNew) change.now = ReadRow(c["new"], kind, company, where);
        result.push_back(std::move(change));
    }
    return result;
}

void AppendJsonString(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            out += "\\u00";
            out += kHex[u >> 4];
            out += kHex[u & 0xF];
        } else {
            out += c;
        }
    }
    out += '"';
}

void AppendJsonNumber(std::string& out, double value) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
}

void AppendFieldList(std::string& out, const std::vector<PacketField>& fields) {
    out += '[';
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) out += ',';
        out += "{\"name\":";
        AppendJsonString(out, fields[i].name);
        out += ",\"type\":";
        AppendJsonString(out, fields[i].type);
        if (fields[i].type == "string" || fields[i].type == "fixedstring") {
            out += ",\"size\":" + std::to_string(fields[i].size);
        }
        out += '}';
    }
    out += ']';
}

}  // namespace server

// The kind table. Field names, types, sizes and order are those of the screen's record sets:
// the client refuses a packet whose field list differs in anything.
#include "server/BalanceKinds.h"

#include "rpc/RpcError.h"

namespace server {

namespace {

std::vector<PacketField> FieldsOf(bool bank) {
    std::vector<PacketField> fields = {
        {"DTIMPSALDO", "datetime", 0}, {"CDCONTCTBL", "string", 16},
        {"NMCONTCTBL", "string", 40},  {"NMRAZAOSOCIAL", "string", bank ? 30 : 50},
        {"VRIMPSALDO", "double", 0},   {"TIPSALDO", "fixedstring", 3},
        {"CDEMPRESA", "string", 2},    {"IDSALDCOME", "string", 1},
        {"CDSALDCOME", "string", 21},  {"NRINSJUR", "string", bank ? 3 : 20},
    };
    if (!bank) fields.push_back({"IDTPIJUR", "string", 1});
    return fields;
}

}  // namespace

const BalanceKind& KindOfTag(std::string_view tag) {
    static const BalanceKind kSuppliers{"", "F", FieldsOf(false)};
    static const BalanceKind kClients{"SaldClie", "C", FieldsOf(false)};
    static const BalanceKind kBanks{"SaldBanco", "B", FieldsOf(true)};
    if (tag == kSuppliers.tag) return kSuppliers;
    if (tag == kClients.tag) return kClients;
    if (tag == kBanks.tag) return kBanks;
    throw rpc::RpcError(rpc::kInvalidParams,
                        "Tipo de saldo desconhecido: \"" + std::string(tag) +
                            "\". Use \"\" (fornecedores), \"SaldClie\" (clientes) ou "
                            "\"SaldBanco\" (bancos).");
}

}  // namespace server

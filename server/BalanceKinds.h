// The three balance kinds as the wire names them: the kind tag of a call, the kind code stored
// with each balance, and the field list of the kind's record and change packets.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace server {

struct PacketField {
    std::string name;
    std::string type;  // "string", "fixedstring", "double", "datetime"
    int size = 0;      // characters, for the string types
};

struct BalanceKind {
    std::string tag;   // "", "SaldClie", "SaldBanco"
    std::string code;  // "F", "C", "B"
    std::vector<PacketField> fields;
};

// The kind of a tag; throws rpc::RpcError (invalid params) for any other tag.
const BalanceKind& KindOfTag(std::string_view tag);

// Positions of the fields every kind has, in the order of the field lists.
enum FieldPos : std::size_t {
    kDtImpSaldo = 0,
    kCdContCtbl = 1,
    kNmContCtbl = 2,
    kNmRazaoSocial = 3,
    kVrImpSaldo = 4,
    kTipSaldo = 5,
    kCdEmpresa = 6,
    kIdSaldCome = 7,
    kCdSaldCome = 8,
    kNrInsJur = 9,
    kIdTpiJur = 10,  // suppliers and clients only
};

}  // namespace server

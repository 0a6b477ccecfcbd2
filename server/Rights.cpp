// The rights' names, codes and the one rule that decides what they allow.
#include "server/Rights.h"

#include "core/Error.h"
#include "core/MessageText.h"
#include "core/Utf8.h"
#include "rpc/Identification.h"

namespace server {

std::string_view RightName(Right right) {
    return right == Right::Write ? rpc::kRightWrite : rpc::kRightRead;
}

std::optional<Right> RightOfName(std::string_view name) {
    if (name == rpc::kRightRead) return Right::Read;
    if (name == rpc::kRightWrite) return Right::Write;
    return std::nullopt;
}

std::string_view RightCode(Right right) {
    return right == Right::Write ? "L" : "C";
}

std::optional<Right> RightOfCode(std::string_view code) {
    if (code == "C") return Right::Read;
    if (code == "L") return Right::Write;
    return std::nullopt;
}

bool Covers(const Rights& rights, std::string_view company, Right needed) {
    auto found = rights.find(company);
    if (found == rights.end()) found = rights.find(rpc::kAllCompanies);
    if (found == rights.end()) return false;
    return needed == Right::Read || found->second == Right::Write;
}

void AddRight(Rights& rights, std::string_view text) {
    const std::size_t equals = text.find('=');
    const std::string_view company = text.substr(0, equals);
    const auto right =
        equals == std::string_view::npos ? std::nullopt : RightOfName(text.substr(equals + 1));
    const bool companyOk = company == rpc::kAllCompanies ||
                           (!company.empty() && core::IsValidUtf8(company) &&
                            core::Utf8Length(company) <= 2 && company.find('*') == company.npos);
    if (!right || !companyOk)
        throw core::Error("Direito inválido: " + core::Quoted(std::string(text), 40) +
                          ". Use EMPRESA=consulta ou EMPRESA=lançamento (EMPRESA: o código, ou * "
                          "para todas).");
    rights[std::string(company)] = *right;
}

}  // namespace server

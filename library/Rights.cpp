#include "library/Rights.h"

#include <string>

#include "rpc/Identification.h"

namespace library {

bool MayChangeBalances(const rpc::Identity& identity, std::string_view company) {
    auto right = identity.rights.find(std::string(company));
    if (right == identity.rights.end())
        right = identity.rights.find(std::string(rpc::kAllCompanies));
    return right != identity.rights.end() && right->second == rpc::kRightWrite;
}

}  // namespace library

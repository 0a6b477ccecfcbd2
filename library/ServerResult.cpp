#include "library/ServerResult.h"

#include "rpc/RpcError.h"

namespace library {

bool IdentificationNeeded(const TServerResult& result) {
    return !result.Ok && result.Code == rpc::kUnidentified;
}

}  // namespace library

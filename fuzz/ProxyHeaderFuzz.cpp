// Fuzz target of the PROXY header parser, fed as the server feeds it: it must end (complete,
// refused, or waiting for bytes that are not there) within its bounds, never ask for nothing,
// and never read past a header it accepted.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "rpc/ProxyHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string bytes;
    for (;;) {
        const rpc::ProxyHeaderStep step = rpc::ReadProxyHeader(bytes);
        if (bytes.size() > 16 + rpc::kMaxProxyV2Block) std::abort();
        if (step.result == rpc::ProxyHeaderStep::Result::kComplete) {
            if (step.source && step.source->empty()) std::abort();
            return 0;
        }
        if (step.result == rpc::ProxyHeaderStep::Result::kInvalid) {
            if (step.reason.empty()) std::abort();
            return 0;
        }
        if (step.wanted == 0) std::abort();
        if (bytes.size() + step.wanted > input.size()) return 0;
        bytes += input.substr(bytes.size(), step.wanted);
    }
}

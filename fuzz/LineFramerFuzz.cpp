// Fuzz target of the line framer: the lines must not depend on how the bytes are cut, and each
// must keep the framer's promises (no "\n", not blank, within the limit).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "rpc/LineFramer.h"

namespace {

constexpr std::string_view kTooLong = "\x01too long";

std::vector<std::string> Frame(std::string_view input, std::size_t limit, std::size_t piece) {
    rpc::LineFramer framer(limit);
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < input.size(); at += piece) {
        std::string_view bytes = input.substr(at, piece);
        for (;;) {
            const auto step = framer.Consume(bytes);
            if (step.consumed > bytes.size()) std::abort();
            bytes.remove_prefix(step.consumed);
            if (step.result == rpc::LineFramer::Result::kLine) {
                lines.push_back(framer.TakeLine());
            } else if (step.result == rpc::LineFramer::Result::kTooLong) {
                lines.emplace_back(kTooLong);
            } else {
                if (!bytes.empty()) std::abort();  // needs more, yet bytes were left unused
                break;
            }
        }
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    // The first two bytes choose the limit and the size of the pieces.
    const std::size_t limit = 1 + std::size_t{data[0]} * 64;
    const std::size_t piece = 1 + std::size_t{data[1]};
    const std::string_view input(reinterpret_cast<const char*>(data) + 2, size - 2);

    const std::vector<std::string> whole = Frame(input, limit, input.size() + 1);
    if (Frame(input, limit, piece) != whole) std::abort();
    for (const std::string& line : whole) {
        if (line == kTooLong) continue;
        if (line.size() > limit || line.find('\n') != std::string::npos ||
            line.find_first_not_of(" \t\r") == std::string::npos) {
            std::abort();
        }
    }
    return 0;
}

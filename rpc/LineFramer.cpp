// Line framing with a size limit; the line under way is the only copy of its bytes.
#include "rpc/LineFramer.h"

#include <utility>

namespace rpc {

namespace {

bool IsBlank(std::string_view line) {
    return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

}  // namespace

LineFramer::LineFramer(std::size_t maxLineBytes) : maxLineBytes_(maxLineBytes) {}

LineFramer::Step LineFramer::Consume(std::string_view bytes) {
    if (complete_) return {Result::kLine, 0};
    std::size_t used = 0;
    while (used < bytes.size()) {
        const std::string_view rest = bytes.substr(used);
        const std::size_t newline = rest.find('\n');
        const std::string_view part =
            newline == std::string_view::npos ? rest : rest.substr(0, newline);
        const std::size_t through = newline == std::string_view::npos ? rest.size() : newline + 1;

        if (skipping_) {
            used += through;
            if (newline != std::string_view::npos) skipping_ = false;
            continue;
        }
        if (line_.size() + part.size() > maxLineBytes_) {
            // Drop what was kept at once: a refused line must not hold its memory while the rest
            // of it is skipped.
            std::string().swap(line_);
            skipping_ = newline == std::string_view::npos;
            used += through;
            return {Result::kTooLong, used};
        }
        line_.append(part);
        used += through;
        if (newline == std::string_view::npos) break;
        if (!line_.empty() && line_.back() == '\r') line_.pop_back();
        if (IsBlank(line_)) {
            line_.clear();
            continue;
        }
        complete_ = true;
        return {Result::kLine, used};
    }
    return {Result::kNeedMore, used};
}

std::string LineFramer::TakeLine() {
    complete_ = false;
    return std::exchange(line_, std::string());
}

}  // namespace rpc

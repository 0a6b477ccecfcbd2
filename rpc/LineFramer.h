// Cuts a byte stream into lines, one JSON-RPC message each, knowing nothing of sockets: bytes go
// in as they arrive, complete lines come out by move, so a line is held once on its way to the
// dispatcher.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace rpc {

class LineFramer {
  public:
    enum class Result {
        kLine,      // a line is complete: take it with TakeLine()
        kTooLong,   // the line under way passed the limit: reported once, then skipped up to its
                    // "\n"
        kNeedMore,  // every byte given was used and no line is complete yet
    };

    struct Step {
        Result result;
        std::size_t consumed;  // bytes used from the front of the input
    };

    // A line longer than maxLineBytes (the bytes before its "\n") is refused.
    explicit LineFramer(std::size_t maxLineBytes);

    // Uses bytes from the front of `bytes` up to the end of one line, or until the line under way
    // passes the limit; the caller gives the rest again after handling the result. Blank lines
    // (spaces, tabs, "\r" only) are dropped silently, and a "\r" before the "\n" is removed.
    Step Consume(std::string_view bytes);

    // The completed line, without its "\n". The framer keeps no copy and no buffer of it; until the
    // line is taken, Consume uses nothing and answers kLine again.
    std::string TakeLine();

    // True while a line has begun and not ended, including one being skipped.
    bool InLine() const { return !line_.empty() || skipping_; }
    // Bytes reserved for the line under way.
    std::size_t Capacity() const { return line_.capacity(); }
    std::size_t MaxLineBytes() const { return maxLineBytes_; }

  private:
    std::size_t maxLineBytes_;
    std::string line_;
    bool complete_ = false;
    bool skipping_ = false;
};

}  // namespace rpc

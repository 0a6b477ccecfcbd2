// The line framer alone, with no socket: lines come out whole however the bytes are cut, the
// size limit refuses and skips a line, and no line is kept after it was taken.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rpc/LineFramer.h"

namespace {

using rpc::LineFramer;
using Result = LineFramer::Result;

// Feeds `input` in pieces of `piece` bytes; returns the lines, with "<too long>" for a refusal.
std::vector<std::string> Frame(LineFramer& framer, std::string_view input, std::size_t piece) {
    std::vector<std::string> out;
    for (std::size_t at = 0; at < input.size(); at += piece) {
        std::string_view bytes = input.substr(at, piece);
        for (;;) {
            const auto step = framer.Consume(bytes);
            bytes.remove_prefix(step.consumed);
            if (step.result == Result::kLine) out.push_back(framer.TakeLine());
            if (step.result == Result::kTooLong) out.push_back("<too long>");
            if (step.result == Result::kNeedMore) break;
        }
    }
    return out;
}

TEST(LineFramerTest, LinesComeOutWholeHoweverTheBytesAreCut) {
    const std::string input = "{\"a\":1}\r\n\n   \r\n{\"b\":\"ç\"}\n\t\n{\"c\":3}\n{\"partial";
    const std::vector<std::string> expected{"{\"a\":1}", "{\"b\":\"ç\"}", "{\"c\":3}"};
    for (const std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{7}, input.size()}) {
        LineFramer framer(100);
        EXPECT_EQ(Frame(framer, input, piece), expected) << "pieces of " << piece;
        EXPECT_TRUE(framer.InLine()) << "the unfinished line is still under way";
    }
}

TEST(LineFramerTest, ALineOverTheLimitIsRefusedOnceAndSkippedToItsEnd) {
    struct Case {
        const char* name;
        std::string input;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases{
        {"exactly at the limit", std::string(10, 'x') + "\n", {std::string(10, 'x')}},
        {"one byte over", std::string(11, 'x') + "\nok\n", {"<too long>", "ok"}},
        {"far over, then more lines",
         std::string(1000, 'y') + "\nok\nok2\n",
         {"<too long>", "ok", "ok2"}},
        {"blank but too long", std::string(50, ' ') + "\nok\n", {"<too long>", "ok"}},
        {"a carriage return counts", std::string(10, 'x') + "\r\nok\n", {"<too long>", "ok"}},
    };
    for (const Case& c : cases) {
        for (const std::size_t piece : {std::size_t{1}, std::size_t{3}, c.input.size()}) {
            LineFramer framer(10);
            EXPECT_EQ(Frame(framer, c.input, piece), c.lines) << c.name << ", pieces of " << piece;
            EXPECT_FALSE(framer.InLine()) << c.name;
        }
    }
}

TEST(LineFramerTest, KeepsNoCopyOfALineAndDropsARefusedOneAtOnce) {
    LineFramer framer(1 << 20);
    const std::string big(300000, 'z');
    EXPECT_EQ(framer.Consume(big).result, Result::kNeedMore);
    EXPECT_TRUE(framer.InLine());
    const auto end = framer.Consume("\n{\"next\"");
    EXPECT_EQ(end.result, Result::kLine);
    EXPECT_EQ(end.consumed, 1u);
    // Until it is taken, the line stays and nothing more is used.
    EXPECT_EQ(framer.Consume("{\"next\"").consumed, 0u);
    const std::string line = framer.TakeLine();
    EXPECT_EQ(line.size(), big.size());
    EXPECT_EQ(framer.Capacity(), std::string().capacity()) << "the line was moved out, not copied";
    EXPECT_FALSE(framer.InLine());

    LineFramer small(1000);
    EXPECT_EQ(small.Consume(std::string(900, 'a')).result, Result::kNeedMore);
    EXPECT_EQ(small.Consume(std::string(900, 'a')).result, Result::kTooLong);
    EXPECT_EQ(small.Capacity(), std::string().capacity())
        << "a refused line holds no memory while it is skipped";
    EXPECT_TRUE(small.InLine()) << "still skipping up to its end";
    EXPECT_EQ(small.Consume(std::string(5000, 'a')).result, Result::kNeedMore);
    EXPECT_EQ(small.Capacity(), std::string().capacity());
    const auto after = small.Consume("a\nok\n");
    EXPECT_EQ(after.result, Result::kLine);
    EXPECT_EQ(small.TakeLine(), "ok");
}

}  // namespace

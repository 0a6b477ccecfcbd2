// Text read in pieces must give exactly what the whole text gives: the same tokens, values
// and offsets whatever the cuts, including cuts inside numbers, escapes and UTF-8 sequences.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "core/JsonStream.h"
#include "core/Packet.h"

namespace {

using core::JsonToken;

// Feeds `text` in pieces of at most `piece` bytes.
core::JsonStreamReader::Fill Pieces(const std::string& text, std::size_t piece, std::size_t& at) {
    return [&text, piece, &at](char* into, std::size_t room) {
        const std::size_t n = std::min({piece, room, text.size() - at});
        std::memcpy(into, text.data() + at, n);
        at += n;
        return n;
    };
}

// Every token as text: kind, decoded text and where it began.
template <typename Source>
std::vector<std::string> Tokens(Source& source) {
    std::vector<std::string> tokens;
    for (JsonToken t = source.Next(); t != JsonToken::End; t = source.Next())
        tokens.push_back(std::to_string(static_cast<int>(t)) + ":" + std::string(source.Text()) +
                         "@" + std::to_string(source.Offset()));
    return tokens;
}

const std::string kMixed =
    R"( {"a":[1,-2.5e3,0,true,false,null],"texto":"a\"b\\c\u00e9\ud83d\ude00 ção",)"
    R"("fundo":[[[{"x":{}}]]],"n":123456789012345678,"vazio":"","ú":[]} )";

// A small window makes the text move through it many times, a token often at its very end.
TEST(JsonStreamTest, AnyCutGivesTheSameTokensAsTheWholeText) {
    core::JsonReader whole(kMixed);
    const auto expected = Tokens(whole);
    for (const std::size_t ahead : {std::size_t{40}, std::size_t{57}, std::size_t{64} << 10})
        for (const std::size_t piece : {1u, 2u, 3u, 7u, 64u, 100000u}) {
            std::string window;
            std::size_t at = 0;
            core::JsonStreamReader reader(Pieces(kMixed, piece, at), window, ahead);
            EXPECT_EQ(Tokens(reader), expected) << "pieces of " << piece << ", " << ahead;
        }
}

TEST(JsonStreamTest, EndsAtTheNewlineAndKeepsWhatFollows) {
    const std::string text = "{\"id\":1}\n{\"id\":2}";
    std::string window;
    std::size_t at = 0;
    core::JsonStreamReader reader(Pieces(text, 3, at), window);
    EXPECT_EQ(Tokens(reader).size(), 4u);
    // What came in the same piece as the newline is handed back; the rest was never read.
    EXPECT_EQ(std::string(reader.Rest()) + text.substr(at), "{\"id\":2}");
}

TEST(JsonStreamTest, RefusesWhatTheWholeReaderRefusesAtTheSameByte) {
    const std::string bad[] = {
        R"({"a":1,"a":2})", R"([1e400])", "[\"\xff\"]",
        R"({"a":[1,]})",    R"([1] [2])", std::string(70, '[') + std::string(70, ']'),
        R"({"a":"sem fim)",
    };
    for (const std::string& text : bad) {
        std::string wholeMessage, pieceMessage;
        try {
            core::JsonReader whole(text);
            Tokens(whole);
        } catch (const core::JsonError& e) {
            wholeMessage = e.what();
        }
        std::string window;
        std::size_t at = 0;
        try {
            core::JsonStreamReader reader(Pieces(text, 1, at), window);
            Tokens(reader);
        } catch (const core::JsonError& e) {
            pieceMessage = e.what();
        }
        EXPECT_FALSE(wholeMessage.empty()) << text;
        EXPECT_EQ(pieceMessage, wholeMessage) << text;
    }
}

// Blanks between tokens pass however many there are, and what follows is still seen (after a
// comma or before a colon they count with the token that follows).
TEST(JsonStreamTest, BlanksLongerThanTheWindowAreReadThrough) {
    const std::string blanks(200, ' ');
    for (const std::string& text :
         {"[1" + blanks + ",2" + blanks + "]" + blanks, "{\"a\":" + blanks + "[" + blanks + "]}",
          "3" + std::string(200, '\r') + "33"}) {
        std::string wholeTokens;
        try {
            core::JsonReader whole(text);
            for (const auto& t : Tokens(whole)) wholeTokens += t + ";";
        } catch (const core::JsonError& e) {
            wholeTokens = e.what();
        }
        std::string pieceTokens;
        std::string window;
        std::size_t at = 0;
        try {
            core::JsonStreamReader reader(Pieces(text, 7, at), window, 40);
            for (const auto& t : Tokens(reader)) pieceTokens += t + ";";
        } catch (const core::JsonError& e) {
            pieceTokens = e.what();
        }
        EXPECT_EQ(pieceTokens, wholeTokens);
    }
}

TEST(JsonStreamTest, AValueLongerThanTheWindowIsRefusedNotCut) {
    const std::string filler = "[" + std::string(30, ' ');
    for (const std::string& value :
         {std::string("\"") + std::string(50, 'x') + "\"", "1." + std::string(50, '5'),
          std::string("123456789012345678901234567890123456789012345678901234567890")}) {
        std::string window;
        std::size_t at = 0;
        const std::string text = filler + value + "]";
        core::JsonStreamReader reader(Pieces(text, 8, at), window, 40);
        EXPECT_THROW(Tokens(reader), core::JsonError) << value;
    }
}

TEST(JsonStreamTest, LongTextThroughRandomPiecesKeepsItsOffsets) {
    std::string text = "[";
    for (int i = 0; i < 20000; ++i)
        text += (i ? "," : "") + std::string("[\"linha ") + std::to_string(i) + "\"," +
                std::to_string(i * 1.25) + "]";
    text += "]";
    core::JsonReader whole(text);
    const auto expected = Tokens(whole);
    std::mt19937 random(7);
    std::string window;
    std::size_t at = 0;
    core::JsonStreamReader reader(
        [&](char* into, std::size_t room) {
            const std::size_t n =
                std::min({std::size_t{random() % 9000 + 1}, room, text.size() - at});
            std::memcpy(into, text.data() + at, n);
            at += n;
            return n;
        },
        window);
    EXPECT_EQ(Tokens(reader), expected);
}

// A record packet inside an envelope, as a reply carries it, read by the packet reader that
// expects a whole text.
class CountingSink final : public core::RecordSink {
  public:
    void OnCell(std::size_t, const core::Cell& cell) override { cells.emplace_back(cell.text); }
    void OnRowEnd() override { ++rows; }
    std::vector<std::string> cells;
    int rows = 0;
};

TEST(JsonStreamTest, ANestedValueEndsWithTheValue) {
    const std::string text =
        R"({"id":1,"result":{"fields":[{"name":"NOME","type":"string","size":10}],)"
        R"("rows":[["um"],["dois"]],"extra":[1,[2]]},"tail":true})"
        "\n";
    std::string window;
    std::size_t at = 0;
    core::JsonStreamReader reader(Pieces(text, 5, at), window);
    ASSERT_EQ(reader.Next(), JsonToken::BeginObject);
    ASSERT_EQ(reader.Next(), JsonToken::Key);
    ASSERT_EQ(reader.Next(), JsonToken::Number);
    ASSERT_EQ(reader.Next(), JsonToken::Key);
    core::JsonNestedValue result(reader, reader.Next());
    CountingSink sink;
    core::ReadRecordPacket(result, {{"NOME", core::FieldType::String, 10}}, "no teste", sink);
    EXPECT_EQ(sink.rows, 2);
    EXPECT_EQ(sink.cells, (std::vector<std::string>{"um", "dois"}));
    result.Finish();
    EXPECT_EQ(reader.Next(), JsonToken::Key);
    EXPECT_EQ(reader.Text(), "tail");

    // Finish reads past whatever the nested reader left.
    std::string skipped = R"({"r":[1,{"a":[2]}],"z":0})";
    core::JsonReader outer(skipped);
    outer.Next();
    outer.Next();
    core::JsonNestedValue partly(outer, outer.Next());
    partly.Next();
    partly.Finish();
    EXPECT_EQ(outer.Next(), JsonToken::Key);
    EXPECT_EQ(outer.Text(), "z");
}

}  // namespace

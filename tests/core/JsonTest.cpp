// The strict JSON reader: every refusal with its reason and byte, deep nesting refused without
// recursion, and what it accepts read back exactly.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "core/Json.h"

namespace {

using core::JsonError;
using core::JsonToken;
using Reason = core::JsonError::Reason;
using nlohmann::json;

// Reads the whole text token by token.
void ReadAll(std::string_view text) {
    core::JsonReader reader(text);
    while (reader.Next() != JsonToken::End) {
    }
}

struct Refusal {
    const char* name;
    std::string text;
    Reason reason;
    std::size_t offset;
    const char* messagePart;
};

class JsonRefusalTest : public testing::TestWithParam<Refusal> {};

TEST_P(JsonRefusalTest, NamesTheReasonAndTheByte) {
    const Refusal& r = GetParam();
    try {
        ReadAll(r.text);
        FAIL() << "accepted";
    } catch (const JsonError& e) {
        EXPECT_EQ(e.GetReason(), r.reason) << e.what();
        EXPECT_EQ(e.Offset(), r.offset) << e.what();
        const std::string message = e.what();
        EXPECT_NE(message.find(r.messagePart), std::string::npos) << message;
        EXPECT_NE(message.find("(byte " + std::to_string(r.offset + 1) + ")"), std::string::npos)
            << message;
        EXPECT_EQ(message.find('\0'), std::string::npos);
        EXPECT_LT(message.size(), 200u);
    }
}

std::string Nested(std::size_t depth, const std::string& inner = "1") {
    return std::string(depth, '[') + inner + std::string(depth, ']');
}

// Names the row in test output instead of its bytes.
void PrintTo(const Refusal& c, std::ostream* os) {
    *os << c.name;
}

// Forty keys, then the eighth again.
std::string ManyKeysThenK7() {
    std::string text = "{";
    for (int i = 0; i < 40; ++i) text += "\"k" + std::to_string(i) + "\":0,";
    return text + "\"k7\":1}";
}

std::string RefusalName(const testing::TestParamInfo<Refusal>& param) {
    return param.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, JsonRefusalTest,
    testing::Values(
        Refusal{"Empty", "", Reason::Syntax, 0, "vazia"},
        Refusal{"Truncated", R"({"a":)", Reason::Syntax, 5, "termina"},
        Refusal{"TrailingText", R"({} x)", Reason::Syntax, 3, "depois do fim"},
        Refusal{"BareWord", R"([nul])", Reason::Syntax, 1, "esperado um valor"},
        Refusal{"LeadingZero", R"([01])", Reason::Syntax, 2, "esperado ','"},
        Refusal{"MissingColon", R"({"a" 1})", Reason::Syntax, 5, "':'"},
        Refusal{"TrailingComma", R"([1,])", Reason::Syntax, 3, "esperado um valor"},
        Refusal{"RawControl", "[\"a\tb\"]", Reason::Syntax, 3, "controle"},
        Refusal{"BadEscape", R"(["\x"])", Reason::Syntax, 2, "escape"},
        Refusal{"TooDeep", Nested(65), Reason::TooDeep, 64, "64 níveis"},
        Refusal{"ObjectWithoutKey", std::string(40, '[') + std::string(30, '{'), Reason::Syntax, 41,
                "nome de um membro"},
        Refusal{"DuplicateKey", R"({"kind":"deleted","kind":"inserted"})", Reason::DuplicateKey, 18,
                "'kind' aparece duas vezes"},
        Refusal{"DuplicateAmongMany", ManyKeysThenK7(), Reason::DuplicateKey, 311, "'k7'"},
        Refusal{"DuplicateEscapedKey", R"({"method":1,"meth\u006fd":2})", Reason::DuplicateKey, 12,
                "'method'"},
        Refusal{"HugeNumber", "[1e400]", Reason::NumberOutOfRange, 1, "1e400"},
        Refusal{"HugeNegative", "[-1.5E+309]", Reason::NumberOutOfRange, 1, "fora do alcance"},
        Refusal{"HugeInteger", "[" + std::string(400, '9') + "]", Reason::NumberOutOfRange, 1,
                "fora do alcance"},
        Refusal{"EscapedNul", R"(["a\u0000b"])", Reason::NulCharacter, 3, "nulo"},
        Refusal{"RawNul", std::string("[\"a\0b\"]", 7), Reason::NulCharacter, 3, "nulo"},
        Refusal{"NulInKey", R"({"a\u0000b":1})", Reason::NulCharacter, 3, "nulo"},
        Refusal{"InvalidUtf8", "[\"a\xC3(\"]", Reason::InvalidUtf8, 3, "UTF-8"},
        Refusal{"OverlongUtf8", "[\"\xC0\xAF\"]", Reason::InvalidUtf8, 2, "UTF-8"},
        Refusal{"Utf8Surrogate", "[\"\xED\xA0\x80\"]", Reason::InvalidUtf8, 2, "UTF-8"},
        Refusal{"LoneSurrogateEscape", R"(["\ud800x"])", Reason::InvalidUtf8, 2, "substituto"},
        Refusal{"LowSurrogateFirst", R"(["\udc00\ud800"])", Reason::InvalidUtf8, 2, "substituto"}),
    RefusalName);

TEST(JsonReaderTest, RefusesTwoHundredThousandLevelsWithoutRecursion) {
    // 400 KB of brackets: read with a counted stack, refused at level 65.
    try {
        ReadAll(Nested(200000));
        FAIL();
    } catch (const JsonError& e) {
        EXPECT_EQ(e.GetReason(), Reason::TooDeep);
    }
    EXPECT_NO_THROW(ReadAll(Nested(64)));
}

TEST(JsonReaderTest, RefusesTooManyMembersInOneObject) {
    std::string text = "{";
    for (int i = 0; i < 12; ++i) text += (i ? ",\"" : "\"") + std::to_string(i) + "\":0";
    text += "}";
    core::JsonReader reader(text, 64, 10);
    try {
        while (reader.Next() != JsonToken::End) {
        }
        FAIL();
    } catch (const JsonError& e) {
        EXPECT_EQ(e.GetReason(), Reason::TooManyMembers);
    }
}

TEST(JsonReaderTest, TokensSpansAndDecodedText) {
    const std::string text = R"( {"a\"b": [1, -2.5e3, "\u00e7\ud83d\ude00", true, null], "c":{}} )";
    core::JsonReader r(text);
    EXPECT_EQ(r.Next(), JsonToken::BeginObject);
    EXPECT_EQ(r.Next(), JsonToken::Key);
    EXPECT_EQ(r.Text(), "a\"b");
    EXPECT_EQ(r.Next(), JsonToken::BeginArray);
    const std::size_t arrayStart = r.Offset();
    EXPECT_EQ(r.Next(), JsonToken::Number);
    EXPECT_EQ(r.Number(), 1);
    EXPECT_EQ(r.Next(), JsonToken::Number);
    EXPECT_EQ(r.Text(), "-2.5e3");
    EXPECT_EQ(r.Number(), -2500);
    EXPECT_EQ(r.Next(), JsonToken::String);
    EXPECT_EQ(r.Text(), "ç😀");
    EXPECT_EQ(r.Next(), JsonToken::True);
    EXPECT_EQ(r.Next(), JsonToken::Null);
    EXPECT_EQ(r.Next(), JsonToken::EndArray);
    EXPECT_EQ(text.substr(arrayStart, r.Position() - arrayStart),
              R"([1, -2.5e3, "\u00e7\ud83d\ude00", true, null])");
    EXPECT_EQ(r.Next(), JsonToken::Key);
    EXPECT_EQ(r.Next(), JsonToken::BeginObject);
    EXPECT_EQ(r.Depth(), 2u);
    EXPECT_EQ(r.Next(), JsonToken::EndObject);
    EXPECT_EQ(r.Next(), JsonToken::EndObject);
    EXPECT_EQ(r.Next(), JsonToken::End);
    EXPECT_EQ(r.Next(), JsonToken::End);
}

TEST(JsonReaderTest, TinyNumbersReadAsZeroAndIdsKeepTheirForm) {
    core::JsonReader r("[1e-400, 5e-324]");
    r.Next();
    EXPECT_EQ(r.Next(), JsonToken::Number);
    EXPECT_EQ(r.Number(), 0.0);
    EXPECT_EQ(r.Next(), JsonToken::Number);
    EXPECT_GT(r.Number(), 0.0);
    const json parsed = core::ParseJson(R"({"id":7,"big":18446744073709551615,"f":7.0})");
    EXPECT_EQ(parsed["id"].dump(), "7");
    EXPECT_EQ(parsed["big"].dump(), "18446744073709551615");
    EXPECT_EQ(parsed["f"].dump(), "7.0");
    EXPECT_THROW(core::ParseJson("[1] [2]"), JsonError);
}

TEST(JsonValueReaderTest, ChecksParsedValuesAlike) {
    json deep = 1;
    for (int i = 0; i < 70; ++i) deep = json::array({deep});
    const auto reason = [](const json& value) {
        try {
            core::JsonValueReader reader(value);
            while (reader.Next() != JsonToken::End) {
            }
        } catch (const JsonError& e) {
            return std::optional<Reason>(e.GetReason());
        }
        return std::optional<Reason>();
    };
    EXPECT_EQ(reason(deep), Reason::TooDeep);
    EXPECT_EQ(reason(json::array({std::string("a\0b", 3)})), Reason::NulCharacter);
    EXPECT_EQ(reason(json::object({{std::string("k\0", 2), 1}})), Reason::NulCharacter);
    EXPECT_EQ(reason(json::array({"\xFF"})), Reason::InvalidUtf8);
    EXPECT_EQ(reason(json::array({std::numeric_limits<double>::infinity()})),
              Reason::NumberOutOfRange);
    EXPECT_EQ(reason(json::parse(R"({"a":[1,"x",{"b":null}]})")), std::nullopt);
}

TEST(JsonWriterTest, StringsStayReadableByTheStrictReader) {
    std::string out;
    core::AppendJsonString(out, std::string("a\"\\\n\x01\xC3\xA7\xFF", 8));
    EXPECT_EQ(out, "\"a\\\"\\\\\\u000a\\u0001ç\xEF\xBF\xBD\"");
    EXPECT_NO_THROW(ReadAll("[" + out + "]"));
    out.clear();
    core::AppendJsonNumber(out, 0.1 + 0.2);
    EXPECT_EQ(out, "0.30000000000000004");
}

}  // namespace

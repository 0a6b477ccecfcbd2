// Every error the dispatcher answers, one row each (refusals of the strict reader included),
// and the replies of good calls.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "core/Error.h"
#include "rpc/Dispatcher.h"
#include "rpc/RpcError.h"

namespace {

using nlohmann::json;

rpc::Dispatcher MakeDispatcher() {
    rpc::Dispatcher d;
    d.Add("Srv.mod", "Echo", [](const json& params) { return params.dump(); });
    d.Add("Srv.mod", "Refuse", [](const json&) -> std::string {
        throw rpc::RpcError(rpc::kConflict, "Registro alterado por outro usuário.");
    });
    d.Add("Srv.mod", "Fail",
          [](const json&) -> std::string { throw core::Error("Conta comercial já cadastrada."); });
    d.Add("Srv.mod", "Crash", [](const json&) -> std::string { throw std::logic_error("boom"); });
    d.Add("Srv.mod", "Range", [](const json& params) -> std::string {
        return std::to_string(params.at(5).get<int>());  // json's out_of_range
    });
    d.Add("Srv.mod", "Odd", [](const json&) -> std::string { throw 42; });
    // The second argument's JSON text, as a method that reads a packet from its span does.
    d.AddMethod("Srv.mod", "Span", [](const rpc::Arguments& a) {
        return "[" + std::to_string(a.Count()) + "," + std::string(a.Json(1)) + "]";
    });
    return d;
}

std::string Nested(std::size_t depth) {
    return std::string(depth, '[') + std::string(depth, ']');
}

std::string Call(const std::string& params, const std::string& id = "1") {
    return R"({"jsonrpc":"2.0","id":)" + id + R"(,"method":"Srv.mod.Echo","params":)" + params +
           "}";
}

struct ErrorCase {
    const char* name;
    std::string request;
    int code;
    const char* messagePart;
};

class DispatcherErrorTest : public testing::TestWithParam<ErrorCase> {};

TEST_P(DispatcherErrorTest, AnswersWithTheErrorAndItsMessage) {
    const ErrorCase& c = GetParam();
    const std::string text = MakeDispatcher().Handle(c.request);
    EXPECT_LT(text.size(), 1500u) << "the reply echoes the request";
    const json reply = json::parse(text);
    ASSERT_TRUE(reply.contains("error")) << reply;
    EXPECT_EQ(reply["jsonrpc"], "2.0");
    EXPECT_EQ(reply["error"]["code"], c.code);
    EXPECT_NE(reply["error"]["message"].get<std::string>().find(c.messagePart), std::string::npos)
        << reply["error"]["message"];
}

std::string ManyCalls(std::size_t n) {
    std::string batch = "[";
    for (std::size_t i = 0; i < n; ++i) batch += (i ? "," : "") + Call("[]", std::to_string(i));
    return batch + "]";
}

// Names the row in test output instead of its bytes.
void PrintTo(const ErrorCase& c, std::ostream* os) {
    *os << c.name;
}

std::string CaseName(const testing::TestParamInfo<ErrorCase>& param) {
    return param.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Errors, DispatcherErrorTest,
    testing::Values(
        ErrorCase{"Truncated", R"({"jsonrpc":"2.0","id":1,"method":)", rpc::kParseError, "JSON"},
        ErrorCase{"NotJson", R"(not json)", rpc::kParseError, "valor JSON"},
        ErrorCase{"Empty", "", rpc::kParseError, "vazia"},
        ErrorCase{"NotAnObject", R"(42)", rpc::kInvalidRequest, "objeto"},
        ErrorCase{"EmptyBatch", R"([])", rpc::kInvalidRequest, "vazio"},
        ErrorCase{"NoVersion", R"({"id":1,"method":"Srv.mod.Echo"})", rpc::kInvalidRequest,
                  "jsonrpc"},
        ErrorCase{"OldVersion", R"({"jsonrpc":"1.0","id":1,"method":"Srv.mod.Echo"})",
                  rpc::kInvalidRequest, "2.0"},
        ErrorCase{"MethodNotText", R"({"jsonrpc":"2.0","id":1,"method":7})", rpc::kInvalidRequest,
                  "method"},
        ErrorCase{"IdObject", R"({"jsonrpc":"2.0","id":{},"method":"Srv.mod.Echo"})",
                  rpc::kInvalidRequest, "id"},
        ErrorCase{"IdTooLong", Call("[]", "\"" + std::string(300, 'x') + "\""),
                  rpc::kInvalidRequest, "200 bytes"},
        ErrorCase{"NamedParams",
                  R"({"jsonrpc":"2.0","id":1,"method":"Srv.mod.Echo","params":{"a":1}})",
                  rpc::kInvalidParams, "posicionais"},
        ErrorCase{"UnknownServer", R"({"jsonrpc":"2.0","id":1,"method":"Other.mod.Echo"})",
                  rpc::kMethodNotFound, "Servidor desconhecido"},
        ErrorCase{"UnknownMethod", R"({"jsonrpc":"2.0","id":1,"method":"Srv.mod.Nope"})",
                  rpc::kMethodNotFound, "Nope"},
        ErrorCase{
            "HugeMethodName",
            R"({"jsonrpc":"2.0","id":1,"method":"Srv.mod.)" + std::string(100000, 'x') + "\"}",
            rpc::kMethodNotFound, "xxx…"},
        ErrorCase{"Refused", R"({"jsonrpc":"2.0","id":1,"method":"Srv.mod.Refuse"})",
                  rpc::kConflict, "outro usuário"},
        ErrorCase{"UserError", R"({"jsonrpc":"2.0","id":1,"method":"Srv.mod.Fail"})",
                  rpc::kServerError, "já cadastrada"},
        ErrorCase{"Crash", R"({"jsonrpc":"2.0","id":1,"method":"Srv.mod.Crash"})",
                  rpc::kInternalError, "registro do servidor"},
        ErrorCase{"LibraryException", R"({"jsonrpc":"2.0","id":1,"method":"Srv.mod.Range"})",
                  rpc::kInternalError, "Erro interno"},
        ErrorCase{"NotAnException", R"({"jsonrpc":"2.0","id":1,"method":"Srv.mod.Odd"})",
                  rpc::kInternalError, "Erro interno"},
        ErrorCase{"BatchTooLarge", ManyCalls(1001), rpc::kInvalidRequest, "1000"},
        // What the strict reader refuses: the whole line, before any method runs.
        ErrorCase{"DeepParams", Call("[" + Nested(200000) + "]"), rpc::kParseError, "64 níveis"},
        ErrorCase{"DeepParamsSanitizerSize", Call("[" + Nested(30000) + "]"), rpc::kParseError,
                  "64 níveis"},
        ErrorCase{"DeepId", Call("[]", Nested(200000)), rpc::kParseError, "64 níveis"},
        ErrorCase{"DeepIdSanitizerSize", Call("[]", Nested(30000)), rpc::kParseError, "64 níveis"},
        ErrorCase{"DeepBatch", "[" + Nested(100) + "]", rpc::kParseError, "64 níveis"},
        ErrorCase{"HugeNumberParam", Call("[1e400]"), rpc::kParseError, "1e400"},
        ErrorCase{"HugeNumberId", Call("[]", "1e400"), rpc::kParseError, "fora do alcance"},
        ErrorCase{
            "HugeNumberInPacket",
            Call(R"(["01","",{"fields":[],"changes":[{"kind":"inserted","new":[-1E+999]}]}])"),
            rpc::kParseError, "fora do alcance"},
        ErrorCase{
            "DuplicateKindInChange",
            Call(
                R"(["01","",{"fields":[],"changes":[{"kind":"deleted","kind":"inserted","new":[]}]}])"),
            rpc::kParseError, "'kind' aparece duas vezes"},
        ErrorCase{"DuplicateMethod",
                  R"({"jsonrpc":"2.0","id":1,"method":"Srv.mod.Fail","method":"Srv.mod.Echo"})",
                  rpc::kParseError, "'method' aparece duas vezes"},
        ErrorCase{"NulInParamKey", Call(R"([{"a\u0000b":1}])"), rpc::kParseError,
                  "caractere nulo (\\u0000) (byte"},
        ErrorCase{"NulInEnvelopeKey", R"({"jsonrpc":"2.0","id":1,"me\u0000thod":"Srv.mod.Echo"})",
                  rpc::kParseError, "caractere nulo"},
        ErrorCase{"NulInText", Call(R"(["a\u0000"])"), rpc::kParseError, "caractere nulo"},
        ErrorCase{"InvalidUtf8", Call("[\"S\xE3o\"]"), rpc::kParseError, "UTF-8"},
        ErrorCase{"InvalidUtf8Key", Call("[{\"\xFF\":1}]"), rpc::kParseError, "UTF-8"},
        ErrorCase{"LoneSurrogate", Call(R"(["\udc00"])"), rpc::kParseError, "substituto"}),
    CaseName);

TEST(DispatcherTest, ReturnsTheResultWithTheCallersId) {
    const json reply = json::parse(MakeDispatcher().Handle(
        R"({"jsonrpc":"2.0","id":"a7","method":"Srv.mod.Echo","params":[1,"x"]})"));
    EXPECT_EQ(reply, json::parse(R"({"jsonrpc":"2.0","id":"a7","result":[1,"x"]})"));
    EXPECT_EQ(MakeDispatcher().Handle(Call("[]", "12345678901234567890")),
              R"({"jsonrpc":"2.0","id":12345678901234567890,"result":[]})");
}

TEST(DispatcherTest, ARefusedLineIsAnsweredToTheIdReadBeforeTheFault) {
    const auto d = MakeDispatcher();
    EXPECT_EQ(json::parse(d.Handle(Call("[" + Nested(1000) + "]", "\"x9\"")))["id"], "x9");
    EXPECT_EQ(json::parse(d.Handle(Call("[1e400]", "5")))["id"], 5);
    // Nothing runs when any part of the line is refused, even after a good request.
    EXPECT_EQ(
        json::parse(d.Handle("[" + Call("[]") + "," + Call("[1e400]") + "]"))["error"]["code"],
        rpc::kParseError);
}

TEST(DispatcherTest, MethodsReadTheirArgumentsFromTheLine) {
    EXPECT_EQ(
        MakeDispatcher().Handle(
            R"({"jsonrpc":"2.0","id":1,"method":"Srv.mod.Span","params":["a", {"k" : [1, 2]} ,3]})"),
        R"({"jsonrpc":"2.0","id":1,"result":[3,{"k" : [1, 2]}]})");
}

TEST(DispatcherTest, NotificationsGetNoReplyAndBatchesOneReplyEach) {
    const auto d = MakeDispatcher();
    EXPECT_EQ(d.Handle(R"({"jsonrpc":"2.0","method":"Srv.mod.Echo","params":[]})"), "");
    EXPECT_EQ(d.Handle(R"({"jsonrpc":"2.0","method":"Srv.mod.Crash"})"), "");
    const json batch =
        json::parse(d.Handle(R"([{"jsonrpc":"2.0","id":1,"method":"Srv.mod.Echo","params":[1]},)"
                             R"({"jsonrpc":"2.0","method":"Srv.mod.Echo"},)"
                             R"({"jsonrpc":"2.0","id":2,"method":"Srv.mod.Nope"}, 7])"));
    ASSERT_EQ(batch.size(), 3u);
    EXPECT_EQ(batch[0]["result"], json::array({1}));
    EXPECT_EQ(batch[1]["error"]["code"], rpc::kMethodNotFound);
    EXPECT_EQ(batch[2]["error"]["code"], rpc::kInvalidRequest);
    EXPECT_EQ(json::parse(d.Handle(ManyCalls(1000))).size(), 1000u);
}

TEST(DispatcherTest, ErrorMessagesAreCut) {
    const std::string reply =
        rpc::Dispatcher::ErrorReply(1, rpc::kServerError, std::string(5000, 'a') + "ç");
    const json parsed = json::parse(reply);
    EXPECT_EQ(parsed["error"]["message"],
              std::string(rpc::Dispatcher::kMaxMessageChars, 'a') + "…");
}

}  // namespace

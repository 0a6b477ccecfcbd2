// Every error the dispatcher answers, one row each, and the replies of good calls.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

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
    d.Add("Srv.mod", "Fail", [](const json&) -> std::string {
        throw platform::Error("Conta comercial já cadastrada.");
    });
    d.Add("Srv.mod", "Crash", [](const json&) -> std::string { throw std::logic_error("boom"); });
    return d;
}

struct ErrorCase {
    const char* request;
    int code;
    const char* messagePart;
};

class DispatcherErrorTest : public testing::TestWithParam<ErrorCase> {};

TEST_P(DispatcherErrorTest, AnswersWithTheErrorAndItsMessage) {
    const ErrorCase& c = GetParam();
    const json reply = json::parse(MakeDispatcher().Handle(c.request));
    ASSERT_TRUE(reply.contains("error")) << reply;
    EXPECT_EQ(reply["jsonrpc"], "2.0");
    EXPECT_EQ(reply["error"]["code"], c.code);
    EXPECT_NE(reply["error"]["message"].get<std::string>().find(c.messagePart), std::string::npos)
        << reply["error"]["message"];
}

INSTANTIATE_TEST_SUITE_P(
    Errors, DispatcherErrorTest,
    testing::Values(
        ErrorCase{R"({"jsonrpc":"2.0","id":1,"method":)", rpc::kParseError, "JSON"},
        ErrorCase{R"(not json)", rpc::kParseError, "JSON"},
        ErrorCase{R"(42)", rpc::kInvalidRequest, "objeto"},
        ErrorCase{R"([])", rpc::kInvalidRequest, "vazio"},
        ErrorCase{R"({"id":1,"method":"Srv.mod.Echo"})", rpc::kInvalidRequest, "jsonrpc"},
        ErrorCase{R"({"jsonrpc":"1.0","id":1,"method":"Srv.mod.Echo"})", rpc::kInvalidRequest,
                  "2.0"},
        ErrorCase{R"({"jsonrpc":"2.0","id":1,"method":7})", rpc::kInvalidRequest, "method"},
        ErrorCase{R"({"jsonrpc":"2.0","id":{},"method":"Srv.mod.Echo"})", rpc::kInvalidRequest,
                  "id"},
        ErrorCase{R"({"jsonrpc":"2.0","id":1,"method":"Srv.mod.Echo","params":{"a":1}})",
                  rpc::kInvalidParams, "posicionais"},
        ErrorCase{R"({"jsonrpc":"2.0","id":1,"method":"Other.mod.Echo"})", rpc::kMethodNotFound,
                  "Servidor desconhecido"},
        ErrorCase{R"({"jsonrpc":"2.0","id":1,"method":"Srv.mod.Nope"})", rpc::kMethodNotFound,
                  "Nope"},
        ErrorCase{R"({"jsonrpc":"2.0","id":1,"method":"Srv.mod.Refuse"})", rpc::kConflict,
                  "outro usuário"},
        ErrorCase{R"({"jsonrpc":"2.0","id":1,"method":"Srv.mod.Fail"})", rpc::kServerError,
                  "já cadastrada"},
        ErrorCase{R"({"jsonrpc":"2.0","id":1,"method":"Srv.mod.Crash"})", rpc::kInternalError,
                  "boom"}));

TEST(DispatcherTest, ReturnsTheResultWithTheCallersId) {
    const json reply = json::parse(MakeDispatcher().Handle(
        R"({"jsonrpc":"2.0","id":"a7","method":"Srv.mod.Echo","params":[1,"x"]})"));
    EXPECT_EQ(reply, json::parse(R"({"jsonrpc":"2.0","id":"a7","result":[1,"x"]})"));
}

TEST(DispatcherTest, NotificationsGetNoReplyAndBatchesOneReplyEach) {
    const auto d = MakeDispatcher();
    EXPECT_EQ(d.Handle(R"({"jsonrpc":"2.0","method":"Srv.mod.Echo","params":[]})"), "");
    const json batch =
        json::parse(d.Handle(R"([{"jsonrpc":"2.0","id":1,"method":"Srv.mod.Echo","params":[1]},)"
                             R"({"jsonrpc":"2.0","method":"Srv.mod.Echo"},)"
                             R"({"jsonrpc":"2.0","id":2,"method":"Srv.mod.Nope"}])"));
    ASSERT_EQ(batch.size(), 2u);
    EXPECT_EQ(batch[0]["result"], json::array({1}));
    EXPECT_EQ(batch[1]["error"]["code"], rpc::kMethodNotFound);
}

}  // namespace

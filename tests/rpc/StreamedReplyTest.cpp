// Large results go out in pieces while they are made and are read as they arrive: the reply
// must come out whole through every client path, a failure part-way must never look like an
// answer, and the connection must stay usable (or be given up) accordingly.
#include <gtest/gtest.h>

#include <atomic>

#include "core/Error.h"
#include "core/JsonStream.h"
#include "rpc/Client.h"
#include "rpc/RpcError.h"
#include "rpc/Server.h"

namespace {

using nlohmann::json;

// "Rows" writes `count` rows ["linha N", N] as a list, marking after each; with a second
// argument it raises once that many rows have been written.
class StreamedReplyTest : public testing::Test {
  protected:
    void Start(std::size_t maxReplyBytes = std::size_t{256} << 20) {
        dispatcher_.AddStreamMethod(
            "S.m", "Rows", [this](const rpc::Arguments& a, rpc::ResultStream& result) {
                const json params = a.All();
                const int count = params.at(0).get<int>();
                const int failAt = params.size() > 1 ? params.at(1).get<int>() : -1;
                result.Text() += '[';
                for (int i = 0; i < count; ++i) {
                    if (i == failAt)
                        throw core::Error("A leitura falhou na linha " + std::to_string(i) + ".");
                    if (i > 0) result.Text() += ',';
                    result.Text() +=
                        "[\"linha " + std::to_string(i) + "\"," + std::to_string(i) + "]";
                    result.Mark();
                }
                result.Text() += ']';
                ++finished_;
            });
        dispatcher_.Add("S.m", "Echo", [](const json& p) { return p.dump(); });
        rpc::ServerOptions options;
        options.maxReplyBytes = maxReplyBytes;
        server_ = std::make_unique<rpc::Server>(dispatcher_, options);
        server_->Listen("127.0.0.1", 0);
        server_->Start();
    }

    static json Expected(int count) {
        json rows = json::array();
        for (int i = 0; i < count; ++i) rows.push_back({"linha " + std::to_string(i), i});
        return rows;
    }

    // Reads the result through the streaming path into a parsed value.
    static json Reading(rpc::Client& client, const json& params) {
        json value;
        client.CallReading("S.m.Rows", params, [&](core::JsonSource& result) {
            value = core::ReadJsonValue(result, result.Next());
            EXPECT_EQ(result.Next(), core::JsonToken::End);
        });
        return value;
    }

    rpc::Dispatcher dispatcher_;
    std::unique_ptr<rpc::Server> server_;
    std::atomic<int> finished_{0};
};

// About 5 MB: several pieces.
constexpr int kManyRows = 250000;

TEST_F(StreamedReplyTest, ALargeResultArrivesWholeThroughEveryPathOnOneConnection) {
    Start();
    rpc::Client client("127.0.0.1", server_->Port());
    const json expected = Expected(kManyRows);
    EXPECT_EQ(Reading(client, {kManyRows}), expected);
    EXPECT_EQ(client.Call("S.m.Rows", {kManyRows}), expected);
    EXPECT_EQ(Reading(client, {3}), Expected(3));
    EXPECT_EQ(client.Call("S.m.Echo", {1}), json::array({1}));
    EXPECT_TRUE(client.IsConnected());
}

TEST_F(StreamedReplyTest, AFailureBeforeTheFirstPieceIsAnErrorReplyOnAWorkingConnection) {
    Start();
    rpc::Client client("127.0.0.1", server_->Port());
    try {
        Reading(client, {kManyRows, 10});
        FAIL();
    } catch (const rpc::RpcError& e) {
        EXPECT_STREQ(e.what(), "A leitura falhou na linha 10.");
    }
    EXPECT_TRUE(client.IsConnected());
    EXPECT_EQ(client.Call("S.m.Echo", {2}), json::array({2}));
}

TEST_F(StreamedReplyTest, AFailureAfterAPieceWentOutCutsTheConnectionNeverAnswersAsIfWhole) {
    Start();
    for (const bool streamed : {true, false}) {
        rpc::Client client("127.0.0.1", server_->Port());
        try {
            if (streamed)
                Reading(client, {kManyRows, kManyRows - 10});
            else
                client.Call("S.m.Rows", {kManyRows, kManyRows - 10});
            FAIL() << "a cut reply was taken as an answer";
        } catch (const rpc::TransportError& e) {
            EXPECT_NE(std::string(e.what()).find("no meio da resposta"), std::string::npos)
                << e.what();
        }
        EXPECT_FALSE(client.IsConnected());
        EXPECT_EQ(client.Call("S.m.Echo", {3}), json::array({3})) << "a new connection works";
    }
}

TEST_F(StreamedReplyTest, TheReplyLimitHoldsBeforeAndAfterTheFirstPiece) {
    Start(std::size_t{3} << 20);
    rpc::Client client("127.0.0.1", server_->Port());
    try {
        Reading(client, {kManyRows});
        FAIL();
    } catch (const rpc::TransportError& e) {
        EXPECT_NE(std::string(e.what()).find("no meio da resposta"), std::string::npos);
    }
    EXPECT_EQ(client.Call("S.m.Echo", {4}), json::array({4}));

    server_.reset();
    dispatcher_ = rpc::Dispatcher();
    Start(rpc::ResultStream::kPieceBytes / 2);  // the first piece is already over it
    rpc::Client small("127.0.0.1", server_->Port());
    try {
        Reading(small, {kManyRows});
        FAIL();
    } catch (const rpc::RpcError& e) {
        EXPECT_EQ(e.Code(), rpc::kMessageTooLarge);
        EXPECT_NE(std::string(e.what()).find("limite"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(small.IsConnected());
}

TEST_F(StreamedReplyTest, AReaderThatFailsPartWayGivesUpTheConnectionAndTheNextCallWorks) {
    Start();
    rpc::Client client("127.0.0.1", server_->Port());
    EXPECT_THROW(client.CallReading("S.m.Rows", {kManyRows},
                                    [](core::JsonSource& result) {
                                        result.Next();
                                        result.Next();
                                        throw core::Error("O leitor desistiu.");
                                    }),
                 core::Error);
    EXPECT_FALSE(client.IsConnected());
    EXPECT_EQ(Reading(client, {2}), Expected(2));
}

}  // namespace

// The same sessions over the other transports: a local socket names the caller's user, TLS serves
// only a client that trusts the server's certificate, and neither changes what a call answers.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <asio.hpp>
#include <filesystem>

#include "rpc/Client.h"
#include "rpc/ResultStream.h"
#include "rpc/RpcError.h"
#include "rpc/Server.h"

namespace {

using nlohmann::json;
namespace fs = std::filesystem;

// A folder of the test's own, removed with it.
class TempDir {
  public:
    TempDir() {
        std::string name = (fs::temp_directory_path() / "saldo-transport-XXXXXX").string();
        path_ = mkdtemp(name.data());
    }
    ~TempDir() { fs::remove_all(path_); }
    const fs::path& Path() const { return path_; }

  private:
    fs::path path_;
};

class TransportTest : public testing::Test {
  protected:
    TransportTest() {
        // The connection the call came on, as the method sees it.
        dispatcher_.AddMethod("S.m", "Who", [this](const rpc::Arguments& a) {
            ++calls_;
            const rpc::Connection& c = *a.Origin();
            return json{{"transport", static_cast<int>(c.transport)},
                        {"peer", c.peer},
                        {"uid", c.uid ? json(*c.uid) : json()}}
                .dump();
        });
        dispatcher_.AddStreamMethod("S.m", "Big",
                                    [](const rpc::Arguments& a, rpc::ResultStream& result) {
                                        const int count = a.All().at(0).get<int>();
                                        result.Text() += '[';
                                        for (int i = 0; i < count; ++i) {
                                            if (i > 0) result.Text() += ',';
                                            result.Text() += std::to_string(i);
                                            result.Mark();
                                        }
                                        result.Text() += ']';
                                    });
    }

    rpc::Dispatcher dispatcher_;
    std::atomic<int> calls_{0};
    TempDir dir_;
};

TEST_F(TransportTest, LocalSocketNamesTheCallersUserAndStreamsLargeReplies) {
    const std::string path = (dir_.Path() / "saldo.sock").string();
    {
        // A socket file left by a server that ended abruptly.
        asio::io_context io;
        asio::local::stream_protocol::acceptor stale(io,
                                                     asio::local::stream_protocol::endpoint(path));
    }
    ASSERT_TRUE(fs::exists(path));
    auto server = std::make_unique<rpc::Server>(dispatcher_);
    server->ListenLocal(path);
    server->Start();
    struct stat made {};
    ASSERT_EQ(stat(path.c_str(), &made), 0);
    EXPECT_EQ(made.st_mode & 0777, 0666u);

    rpc::Client client(rpc::Endpoint{rpc::Transport::Local, {}, 0, path});
    EXPECT_EQ(client.Call("S.m.Who", json::array()),
              (json{{"transport", static_cast<int>(rpc::Transport::Local)},
                    {"peer", "local"},
                    {"uid", getuid()}}));
    const json big = client.Call("S.m.Big", {300000});  // about 2 MB, in several pieces
    ASSERT_EQ(big.size(), 300000u);
    EXPECT_EQ(big.back(), 299999);

    server.reset();
    EXPECT_FALSE(fs::exists(path)) << "the socket file goes with the server";
    try {
        client.Call("S.m.Who", json::array());
        FAIL();
    } catch (const rpc::TransportError& e) {
        EXPECT_NE(std::string(e.what()).find("unix:" + path), std::string::npos) << e.what();
    }
}

}  // namespace

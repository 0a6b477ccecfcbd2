// The PROXY header parser alone, fed the way the server feeds it (never more than it asks for):
// good headers of both versions give the client's address and stop exactly at their end; hostile
// ones are refused. Also the list of trusted proxies.
#include <gtest/gtest.h>

#include <string>

#include "core/Error.h"
#include "rpc/ProxyHeader.h"

namespace {

using Result = rpc::ProxyHeaderStep::Result;

struct Outcome {
    std::string what;  // "from ADDR", "proxy's own", "refused", "incomplete"
    std::size_t read = 0;
};

// Reads `input` as the server does: each time the bytes the parser wants, and no more.
Outcome Feed(const std::string& input) {
    std::string bytes;
    for (int steps = 0; steps < 1000; ++steps) {
        const rpc::ProxyHeaderStep step = rpc::ReadProxyHeader(bytes);
        switch (step.result) {
            case Result::kComplete:
                return {step.source ? "from " + *step.source : "proxy's own", bytes.size()};
            case Result::kInvalid:
                EXPECT_FALSE(step.reason.empty());
                return {"refused", bytes.size()};
            case Result::kNeedMore:
                EXPECT_GT(step.wanted, 0u);
                if (bytes.size() + step.wanted > input.size()) return {"incomplete", bytes.size()};
                bytes += input.substr(bytes.size(), step.wanted);
        }
    }
    return {"endless", bytes.size()};
}

std::string V2(unsigned char command, unsigned char family, const std::string& block) {
    std::string head("\r\n\r\n\0\r\nQUIT\n", 12);
    head += static_cast<char>(command);
    head += static_cast<char>(family);
    head += static_cast<char>(block.size() >> 8);
    head += static_cast<char>(block.size() & 0xff);
    return head + block;
}

const std::string kV4Block("\xc0\x00\x02\x07\x7f\x00\x00\x01\x1f\x90\xba\x2e", 12);

TEST(ProxyHeaderTest, GoodAndHostileHeaders) {
    const std::string json = R"({"jsonrpc":"2.0","id":1,"method":"x"})";
    const std::string v1 = "PROXY TCP4 192.0.2.7 127.0.0.1 51234 47630\r\n";
    const std::string v6Block = std::string("\x20\x01\x0d\xb8", 4) + std::string(11, '\0') +
                                "\x05" + std::string(15, '\0') +
                                std::string("\x01\x1f\x90\xba\x2e", 5);
    const struct {
        const char* name;
        std::string input;
        std::string what;
        std::size_t read;
    } rows[] = {
        {"v1 IPv4, the request after it untouched", v1 + json, "from 192.0.2.7", v1.size()},
        {"v1 IPv6, canonical text", "PROXY TCP6 2001:DB8:0::5 ::1 1 65535\r\n", "from 2001:db8::5",
         38},
        {"v1 UNKNOWN keeps the proxy's address", "PROXY UNKNOWN\r\n" + json, "proxy's own", 15},
        {"v1 UNKNOWN with addresses", "PROXY UNKNOWN ffff:: ffff:: 1 2\r\n", "proxy's own", 33},
        {"v1 longest accepted",
         "PROXY TCP6 ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff ffff:ffff:ffff:ffff:ffff:ffff:ffff:"
         "ffff 65535 65535\r\n",
         "from ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff", 104},
        {"v1 too long", "PROXY UNKNOWN " + std::string(200, 'x') + "\r\n", "refused", 107},
        {"v1 without CR", "PROXY TCP4 192.0.2.7 127.0.0.1 51234 47630\n", "refused", 43},
        {"v1 never ends", "PROXY TCP4 192.0.2.7 127.0.0.1 51234 4763", "incomplete", 41},
        {"v1 bad address", "PROXY TCP4 192.0.2.300 127.0.0.1 1 2\r\n", "refused", 38},
        {"v1 IPv6 address in TCP4", "PROXY TCP4 ::1 127.0.0.1 1 2\r\n", "refused", 30},
        {"v1 port over 65535", "PROXY TCP4 192.0.2.7 127.0.0.1 65536 2\r\n", "refused", 40},
        {"v1 port with a sign", "PROXY TCP4 192.0.2.7 127.0.0.1 +1 2\r\n", "refused", 37},
        {"v1 double space", "PROXY TCP4  192.0.2.7 127.0.0.1 1 2\r\n", "refused", 37},
        {"v1 field missing", "PROXY TCP4 192.0.2.7 127.0.0.1 1\r\n", "refused", 34},
        {"v1 unknown protocol", "PROXY UDP4 192.0.2.7 127.0.0.1 1 2\r\n", "refused", 36},
        {"v1 control byte",
         "PROXY TCP4 192.0.2.7\x01"
         "127.0.0.1 1 2\r\n",
         "refused", 36},
        {"plain JSON-RPC", json + "\n", "refused", 15},
        {"v2 IPv4", V2(0x21, 0x11, kV4Block) + json, "from 192.0.2.7", 28},
        {"v2 IPv6", V2(0x21, 0x21, v6Block), "from 2001:db8::5", 52},
        {"v2 with extra TLVs", V2(0x21, 0x11, kV4Block + std::string("\x04\x00\x01x", 4)),
         "from 192.0.2.7", 32},
        {"v2 LOCAL (health check)", V2(0x20, 0x00, ""), "proxy's own", 16},
        {"v2 bad signature",
         std::string("\r\n\r\n\0\r\nQUIT\r", 12) + V2(0x21, 0x11, kV4Block).substr(12), "refused",
         15},
        {"v2 version 1", V2(0x11, 0x11, kV4Block), "refused", 16},
        {"v2 block too large", V2(0x21, 0x11, std::string(600, '\0')), "refused", 16},
        {"v2 block too short for IPv4", V2(0x21, 0x11, kV4Block.substr(0, 8)), "refused", 24},
        {"v2 UDP", V2(0x21, 0x12, kV4Block), "refused", 28},
        {"v2 truncated", V2(0x21, 0x11, kV4Block).substr(0, 20), "incomplete", 16},
        {"empty", "", "incomplete", 0},
    };
    for (const auto& row : rows) {
        const Outcome outcome = Feed(row.input);
        EXPECT_EQ(outcome.what, row.what) << row.name;
        EXPECT_EQ(outcome.read, row.read) << row.name;
    }
}

TEST(ProxyHeaderTest, TrustedProxies) {
    const auto networks =
        rpc::ParseProxyNetworks(" 127.0.0.1 , 10.1.0.0/16,fd00::/8", "--proxy-from");
    ASSERT_EQ(networks.size(), 3u);
    for (const char* trusted : {"127.0.0.1", "::ffff:127.0.0.1", "10.1.255.3", "fd12::1"})
        EXPECT_TRUE(rpc::FromProxy(networks, trusted)) << trusted;
    for (const char* other : {"127.0.0.2", "10.2.0.1", "fe00::1", "::1", "x"})
        EXPECT_FALSE(rpc::FromProxy(networks, other)) << other;
    for (const char* bad : {"", "127.0.0.1,", "localhost", "10.0.0.0/33", "::/129", "1.2.3.4/",
                            "1.2.3.4/08", "1.2.3.4/x"}) {
        try {
            rpc::ParseProxyNetworks(bad, "--proxy-from");
            ADD_FAILURE() << "accepted '" << bad << "'";
        } catch (const core::Error& e) {
            EXPECT_NE(std::string(e.what()).find("--proxy-from inválido"), std::string::npos);
        }
    }
}

}  // namespace

// The PROXY protocol header a load balancer puts before a connection's own bytes (version 1 text,
// version 2 binary), read only from the proxies the server is told to trust, and the list of
// those proxies. The parser never reads past the header: it says how many bytes may be read next.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rpc {

// What the bytes received so far make of a header.
struct ProxyHeaderStep {
    enum class Result { kNeedMore, kComplete, kInvalid };
    Result result = Result::kNeedMore;
    // kNeedMore: how many more bytes may be read without reading past the header's end.
    std::size_t wanted = 0;
    // kComplete: the client's address as the proxy saw it (canonical text); none for a header
    // that names no client (v1 "UNKNOWN", v2 LOCAL or an unspecified family), whose connection
    // keeps the proxy's own address.
    std::optional<std::string> source;
    // kInvalid: why, in Portuguese, for the server's log.
    std::string reason;
};

// The longest version 1 header, CRLF included, and the largest version 2 address block accepted.
inline constexpr std::size_t kMaxProxyV1Bytes = 107;
inline constexpr std::size_t kMaxProxyV2Block = 512;

// Reads `bytes`, everything received so far on the connection (never more than the header, when
// each read took at most the `wanted` of the previous step). Starts with wanted 15, the shortest
// header ("PROXY UNKNOWN\r\n"). Not recursive; bounded by the limits above.
ProxyHeaderStep ReadProxyHeader(std::string_view bytes);

// An address or network ("10.0.0.0/8", "::1", "fd00::/64") whose connections must open with a
// PROXY header.
struct ProxyNetwork {
    bool v6 = false;
    std::array<std::uint8_t, 16> address{};  // the first 4 bytes for IPv4
    unsigned prefix = 0;                     // bits that must match
};

// At most this many entries in a list of trusted proxies.
inline constexpr std::size_t kMaxProxyNetworks = 32;

// Parses "ADDR[/BITS][,ADDR[/BITS]...]" (blanks around commas allowed); raises core::Error
// naming `source` and the bad entry when one is not an IPv4 or IPv6 address, its prefix is out
// of range, or there are more than kMaxProxyNetworks.
std::vector<ProxyNetwork> ParseProxyNetworks(std::string_view text, const std::string& source);

// True when the address text (as the socket reports it; an IPv4-mapped IPv6 address counts as
// its IPv4 address) falls in one of the networks.
bool FromProxy(const std::vector<ProxyNetwork>& networks, const std::string& address);

}  // namespace rpc

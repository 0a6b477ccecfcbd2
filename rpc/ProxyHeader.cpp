// A strict, bounded reading of the PROXY header: version 1 as one line of fields separated by
// single spaces, version 2 as a fixed 16-byte head and an address block of bounded length.
#include "rpc/ProxyHeader.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cstring>

#include "core/Error.h"

namespace rpc {

namespace {

using Result = ProxyHeaderStep::Result;

constexpr std::string_view kV1Prefix = "PROXY ";
constexpr std::string_view kV2Signature{"\r\n\r\n\0\r\nQUIT\n", 12};
constexpr std::size_t kShortest = 15;  // "PROXY UNKNOWN\r\n"
constexpr std::size_t kV2Head = 16;

ProxyHeaderStep More(std::size_t wanted) {
    return {Result::kNeedMore, wanted, {}, {}};
}

ProxyHeaderStep Invalid(std::string reason) {
    return {Result::kInvalid, 0, {}, std::move(reason)};
}

ProxyHeaderStep Complete(std::optional<std::string> source) {
    return {Result::kComplete, 0, std::move(source), {}};
}

// The canonical text of an address in binary form.
std::string AddressText(int family, const void* binary) {
    char text[INET6_ADDRSTRLEN] = {};
    inet_ntop(family, binary, text, sizeof text);
    return text;
}

// The canonical text of an address written in `family`'s form, or none.
std::optional<std::string> CanonicalAddress(int family, std::string_view text) {
    if (text.empty() || text.size() >= INET6_ADDRSTRLEN) return std::nullopt;
    char copy[INET6_ADDRSTRLEN] = {};
    std::memcpy(copy, text.data(), text.size());
    unsigned char binary[16];
    if (inet_pton(family, copy, binary) != 1) return std::nullopt;
    return AddressText(family, binary);
}

bool IsPort(std::string_view text) {
    if (text.empty() || text.size() > 5 || (text.size() > 1 && text.front() == '0')) return false;
    unsigned value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value <= 65535;
}

// "PROXY TCP4 src dst sport dport", "PROXY TCP6 ...", or "PROXY UNKNOWN[ anything]", without
// its CRLF.
ProxyHeaderStep ReadV1Line(std::string_view line) {
    line.remove_prefix(kV1Prefix.size());
    if (line == "UNKNOWN" || line.starts_with("UNKNOWN ")) return Complete(std::nullopt);
    std::array<std::string_view, 5> fields;
    std::size_t count = 0;
    while (count < fields.size()) {
        const std::size_t space = line.find(' ');
        fields[count++] = line.substr(0, space);
        if (space == std::string_view::npos) {
            line = {};
            break;
        }
        line.remove_prefix(space + 1);
    }
    if (count != fields.size() || !line.empty())
        return Invalid("cabeçalho PROXY com campos a mais ou a menos");
    int family = 0;
    if (fields[0] == "TCP4") {
        family = AF_INET;
    } else if (fields[0] == "TCP6") {
        family = AF_INET6;
    } else {
        return Invalid("protocolo desconhecido no cabeçalho PROXY");
    }
    std::optional<std::string> source = CanonicalAddress(family, fields[1]);
    if (!source || !CanonicalAddress(family, fields[2]))
        return Invalid("endereço inválido no cabeçalho PROXY");
    if (!IsPort(fields[3]) || !IsPort(fields[4]))
        return Invalid("porta inválida no cabeçalho PROXY");
    return Complete(std::move(source));
}

ProxyHeaderStep ReadV1(std::string_view bytes) {
    const std::size_t newline = bytes.find('\n');
    if (newline == std::string_view::npos) {
        if (bytes.size() >= kMaxProxyV1Bytes)
            return Invalid("cabeçalho PROXY maior que " + std::to_string(kMaxProxyV1Bytes) +
                           " bytes");
        // The end may be the next byte: one at a time, so nothing after it is read.
        return More(1);
    }
    if (newline + 1 != bytes.size() || newline == 0 || bytes[newline - 1] != '\r')
        return Invalid("cabeçalho PROXY sem CRLF no fim");
    const std::string_view line = bytes.substr(0, newline - 1);
    for (const char c : line) {
        if (c < 0x20 || c > 0x7e) return Invalid("caractere inválido no cabeçalho PROXY");
    }
    return ReadV1Line(line);
}

ProxyHeaderStep ReadV2(std::string_view bytes) {
    if (bytes.size() < kV2Head) return More(kV2Head - bytes.size());
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(bytes[i]); };
    const unsigned version = byte(12) >> 4, command = byte(12) & 0x0f;
    const std::size_t length = (std::size_t{byte(14)} << 8) | byte(15);
    if (version != 2 || command > 1)
        return Invalid("versão ou comando inválido no cabeçalho PROXY");
    if (length > kMaxProxyV2Block)
        return Invalid("bloco de endereços do cabeçalho PROXY maior que " +
                       std::to_string(kMaxProxyV2Block) + " bytes");
    if (bytes.size() < kV2Head + length) return More(kV2Head + length - bytes.size());
    if (bytes.size() > kV2Head + length) return Invalid("bytes além do cabeçalho PROXY");
    if (command == 0) return Complete(std::nullopt);  // LOCAL: the proxy's own connection
    const std::uint8_t family = byte(13);
    const unsigned char* block = reinterpret_cast<const unsigned char*>(bytes.data()) + kV2Head;
    switch (family) {
        case 0x00:  // unspecified: nothing to take
            return Complete(std::nullopt);
        case 0x11:  // TCP over IPv4: source, destination, ports
            if (length < 12) return Invalid("bloco de endereços IPv4 curto no cabeçalho PROXY");
            return Complete(AddressText(AF_INET, block));
        case 0x21:  // TCP over IPv6
            if (length < 36) return Invalid("bloco de endereços IPv6 curto no cabeçalho PROXY");
            return Complete(AddressText(AF_INET6, block));
        default:
            return Invalid("família de endereços não aceita no cabeçalho PROXY");
    }
}

}  // namespace

ProxyHeaderStep ReadProxyHeader(std::string_view bytes) {
    if (bytes.size() < kShortest) return More(kShortest - bytes.size());
    if (bytes.starts_with(kV1Prefix)) return ReadV1(bytes);
    if (bytes.starts_with(kV2Signature)) return ReadV2(bytes);
    return Invalid("a conexão não começa com um cabeçalho PROXY");
}

std::vector<ProxyNetwork> ParseProxyNetworks(std::string_view text, const std::string& source) {
    std::vector<ProxyNetwork> networks;
    const auto trim = [](std::string_view s) {
        const std::size_t begin = s.find_first_not_of(" \t");
        if (begin == std::string_view::npos) return std::string_view();
        return s.substr(begin, s.find_last_not_of(" \t") - begin + 1);
    };
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string_view entry = trim(text.substr(start, comma - start));
        start = comma + 1;
        const auto bad = [&] {
            return core::Error(source + " inválido: '" + std::string(entry) +
                               "' (esperado um endereço IPv4 ou IPv6, com /BITS opcional, por "
                               "exemplo 127.0.0.1 ou 10.0.0.0/8)");
        };
        if (networks.size() == kMaxProxyNetworks)
            throw core::Error(source + " inválido: mais de " + std::to_string(kMaxProxyNetworks) +
                              " endereços.");
        const std::size_t slash = entry.find('/');
        const std::string_view address = entry.substr(0, slash);
        ProxyNetwork network;
        std::optional<std::string> v4 = CanonicalAddress(AF_INET, address);
        network.v6 = !v4;
        if (!v4 && !CanonicalAddress(AF_INET6, address)) throw bad();
        const std::string copy(address);
        inet_pton(network.v6 ? AF_INET6 : AF_INET, copy.c_str(), network.address.data());
        const unsigned bits = network.v6 ? 128 : 32;
        network.prefix = bits;
        if (slash != std::string_view::npos) {
            const std::string_view prefix = entry.substr(slash + 1);
            if (prefix.empty() || prefix.size() > 3 || (prefix.size() > 1 && prefix[0] == '0'))
                throw bad();
            unsigned value = 0;
            for (const char c : prefix) {
                if (c < '0' || c > '9') throw bad();
                value = value * 10 + static_cast<unsigned>(c - '0');
            }
            if (value > bits) throw bad();
            network.prefix = value;
        }
        networks.push_back(network);
    }
    return networks;
}

bool FromProxy(const std::vector<ProxyNetwork>& networks, const std::string& address) {
    std::array<std::uint8_t, 16> binary{};
    bool v6 = false;
    if (inet_pton(AF_INET, address.c_str(), binary.data()) != 1) {
        if (inet_pton(AF_INET6, address.c_str(), binary.data()) != 1) return false;
        static constexpr std::uint8_t kMapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
        v6 = std::memcmp(binary.data(), kMapped, sizeof kMapped) != 0;
        if (!v6) std::memmove(binary.data(), binary.data() + 12, 4);
    }
    for (const ProxyNetwork& network : networks) {
        if (network.v6 != v6) continue;
        const unsigned whole = network.prefix / 8, rest = network.prefix % 8;
        if (std::memcmp(binary.data(), network.address.data(), whole) != 0) continue;
        const auto mask = static_cast<std::uint8_t>(0xff00u >> rest);
        if (rest != 0 && ((binary[whole] ^ network.address[whole]) & mask) != 0) continue;
        return true;
    }
    return false;
}

}  // namespace rpc

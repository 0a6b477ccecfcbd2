// The JSON-RPC client: synchronous calls with a time-out over one connection, opened on the
// first call and again after it was lost, to one server or to the next of a list that can. Every
// reply is read one way, in one pass, by the strict reader the server reads requests with; replies
// are bounded in size, time and depth, and anything that is not this protocol is reported in
// Portuguese naming host and port.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "rpc/Connection.h"
#include "rpc/Identification.h"

namespace core {
class JsonSource;
class JsonStreamReader;
}  // namespace core

namespace rpc {

class ByteStream;
class RpcError;

// Where the server listens: a local socket ("unix:/run/saldo/saldo.sock"), or a host and port
// reached over TCP, encrypted by TLS when the client has a trust anchor for it.
struct Endpoint {
    Transport transport = Transport::Tcp;
    std::string host;  // TCP and TLS
    std::uint16_t port = 0;
    std::string path;  // local socket
};

// How the client trusts the server's certificate: an authority's certificate file (PEM), or
// the SHA-256 fingerprint of the server's own certificate ("AB:CD:…", 32 bytes in hex).
struct TlsTrust {
    std::string authorityFile;
    std::string fingerprint;
};

// Who the server says the caller is, and the caller's rights by company ("*" for all).
struct Identity {
    std::string user;
    std::map<std::string, std::string> rights;
};

struct ClientOptions {
    // Time allowed for connecting, and for each call from sending to the whole reply.
    std::chrono::milliseconds timeout = std::chrono::seconds(60);
    // Largest reply accepted (the default carries a company of a million balances, about 150 MB).
    std::size_t maxReplyBytes = std::size_t{256} << 20;
    // Asked for a user and password when the server wants the caller to log in; nothing means
    // the user gave up, and the call fails with the server's refusal. Asked again, with the
    // refusal in the prompt, while the server refuses the answer (three tries in all).
    std::function<std::optional<Credentials>(const LoginPrompt& prompt)> credentials;
};

class Client {
  public:
    Client(std::string host, std::uint16_t port, ClientOptions options = {});
    // TLS when `endpoint.transport` is Tls (then `trust` must name an authority or a
    // fingerprint); a local socket when it is Local.
    Client(Endpoint endpoint, ClientOptions options = {}, std::optional<TlsTrust> trust = {});
    // Servers of one deployment (one database), tried in turn: a connection goes to the server
    // the last one went to, or, when it cannot be opened, to the next ones in the list, each
    // once, round the list; a connection that breaks (not one that is only slow) sends the next
    // connection to the next server. The session token a login gave is presented to whichever
    // server is reached. `trust` is the same for every TLS endpoint. At least one endpoint.
    Client(std::vector<Endpoint> endpoints, ClientOptions options = {},
           std::optional<TlsTrust> trust = {});
    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    // Calls "<server>.<method>" with positional arguments and returns the result. Throws
    // RpcError when the server answers with an error (or the arguments hold text that is not
    // UTF-8), TransportError naming host and port when it cannot be reached, does not answer in
    // time, breaks the connection, sends a reply over the limit, or is not this protocol's
    // server at all (another program on the port).
    nlohmann::json Call(const std::string& method, const nlohmann::json& params);

    // The same call, handing the result to `read` while it arrives: `read` gets a source that
    // ends with the result and reads it token by token (a record set loading a large packet).
    // The reply is never held whole: the client keeps a window of a few hundred kilobytes,
    // allocated once. What `read` raises travels on, and the connection is closed when the
    // reply was not read to its end.
    void CallReading(const std::string& method, const nlohmann::json& params,
                     const std::function<void(core::JsonSource& result)>& read);

    // Opens the connection now rather than on the first call; does nothing when it is open.
    // Throws TransportError naming host and port when the server cannot be reached in time (with
    // a list: naming every server tried, none of which could be).
    void Connect();
    bool IsConnected() const;
    void Close();
    // The time allowed from now on for connecting and for each call.
    void SetTimeout(std::chrono::milliseconds timeout) { options_.timeout = timeout; }

    // Who the server takes the caller for (asking "Sessao.Quem" once, which logs in first when
    // the server wants it). The session token a login gave is presented again on every new
    // connection, so a reconnect or a safe retry never asks the user twice.
    const Identity& WhoAmI();
    // The SHA-256 fingerprint of the server's certificate on TLS ("AB:CD:…"), else empty.
    std::string Fingerprint() const;

    // The server connected to, or to be tried first: "host:port", or "unix:PATH".
    std::string Where() const;

  private:
    using Clock = std::chrono::steady_clock;
    using Reader = std::function<void(core::JsonSource& result)>;
    // What has arrived of a reply: its size, and its first bytes to tell which program sent it.
    struct Progress {
        std::size_t received = 0;
        bool opened = false;  // a byte other than a blank has arrived
        std::string head;
    };

    // Exchange, and when the server answers that the caller must identify itself first,
    // Identify and the same call once more.
    std::optional<nlohmann::json> Identified(const std::string& method,
                                             const nlohmann::json& params, const Reader& read);
    // Presents the session token again, or else asks the user (options_.credentials) and logs
    // in, up to a few times while the server refuses; throws the refusal when the user gives up.
    void Identify(const RpcError& unidentified);
    // Takes the identity (and the token, when `withToken`) from a Sessao answer.
    void Adopt(const nlohmann::json& answer, bool withToken);
    // Opens the stream and presents the session token held, if any; with a list, on the next
    // servers in turn while one cannot be reached. Returns the deadline the call goes on with:
    // `deadline`, or a new one when the connection went to another server.
    Clock::time_point Open(Clock::time_point deadline);
    // The current server's stream.
    ByteStream& Stream() const { return *streams_[current_]; }
    // Closes a connection that broke: the next one goes to the next server of the list.
    void Drop();
    // Sends "Sessao.Retomar" on the new connection; a refused token is dropped.
    void Resume(Clock::time_point deadline);
    static std::string Request(std::int64_t id, const std::string& method,
                               const nlohmann::json& params);
    // Sends the call and reads its reply (Send); on a connection that turns out to have been
    // closed while idle, once more on a new connection.
    std::optional<nlohmann::json> Exchange(const std::string& method, const nlohmann::json& params,
                                           const Reader& read);
    // Writes the request on the open stream and reads its reply (ReadReply).
    std::optional<nlohmann::json> Send(const std::string& request, std::int64_t id,
                                       Clock::time_point deadline, bool reused, const Reader& read);
    // Reads the reply of the call `id` from the stream: a result in this server's order goes to
    // `read` as it arrives and nothing comes back; a result in another order comes back whole.
    // An error reply becomes RpcError.
    std::optional<nlohmann::json> ReadReply(std::int64_t id, Clock::time_point deadline,
                                            bool reused, const Reader& read);
    // Reads the reply's envelope, streaming the result when the id came first and matches;
    // otherwise the envelope comes back for ResultOf.
    std::optional<nlohmann::json> ReadEnvelope(core::JsonStreamReader& reply, std::int64_t id,
                                               const Reader& read, const std::string& head);
    // The result of a reply read whole, or the error it carries as RpcError.
    nlohmann::json ResultOf(nlohmann::json reply, std::int64_t id);
    // Counts bytes of the reply that arrived; the first that is not a blank must open a JSON
    // object, or the peer is not this server.
    void Arrived(Progress& progress, std::string_view bytes);
    // Up to `room` bytes of the reply into `into`, waiting until the deadline; never none.
    std::size_t ReadSome(char* into, std::size_t room, Clock::time_point deadline, bool reused,
                         Progress& progress);
    // Closes the connection and throws the error saying that the peer is not this server.
    [[noreturn]] void ThrowForeign(std::string_view received);

    ClientOptions options_;
    std::vector<std::unique_ptr<ByteStream>> streams_;  // one per server, in the list's order
    std::size_t current_ = 0;
    std::string buffer_;  // bytes received after the last reply
    std::string window_;  // the reply reader's, kept between calls
    std::int64_t nextId_ = 1;
    std::optional<Identity> identity_;
    std::optional<std::string> token_;  // the session a login gave; never the password
};

}  // namespace rpc

// The JSON-RPC server: accepts connections over TCP, TLS or a local socket, reads one request
// per line, hands each to the dispatcher on a pool of worker threads and writes the reply line
// back. Every connection is bounded in size, time and number, whatever its transport, so no peer
// can take the server from the others.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "rpc/Dispatcher.h"
#include "rpc/ProxyHeader.h"

namespace rpc {

struct ServerOptions {
    // Largest request line accepted; a longer line is answered with an error and skipped, and the
    // connection goes on. The default holds a change packet of 100,000 modified rows.
    std::size_t maxRequestBytes = std::size_t{64} << 20;
    // Largest reply sent; a larger result is replaced by an error reply. The default carries a
    // company of a million balances (about 150 MB).
    std::size_t maxReplyBytes = std::size_t{256} << 20;
    // Time allowed from a message's first byte to its end; then the connection is closed.
    std::chrono::milliseconds readTimeout = std::chrono::seconds(60);
    // Time allowed to send a reply to a peer that does not read it; then the connection is closed.
    std::chrono::milliseconds writeTimeout = std::chrono::seconds(60);
    // A connection that sends nothing for this long is closed.
    std::chrono::milliseconds idleTimeout = std::chrono::minutes(10);
    // Open connections. When full, a new connection takes the place of the connection without a
    // call under way that has been silent the longest, from the address holding the most; only
    // when every connection is in a call is the new one refused (-32002).
    std::size_t maxConnections = 64;
    // Open connections from one remote address. Beyond it, a new connection from that address
    // takes the place of its own connection silent the longest, or is refused (-32002) when all
    // of them are in a call.
    std::size_t maxConnectionsPerPeer = 16;
    // Calls run at the same time.
    std::size_t threads = 4;
    // Load balancers whose TCP connections open with a PROXY header (v1 or v2, before TLS when
    // the listener speaks it). The client's address it names is the connection's address for
    // everything: the share above, the audit, the login throttle, the log. A connection from one
    // of them without a valid header within the read time-out is closed unanswered; a header from
    // any other address is an ordinary (refused) request line.
    std::vector<ProxyNetwork> proxies;
};

class Server {
  public:
    Server(const Dispatcher& dispatcher, ServerOptions options = {});
    // Stops and waits for the threads.
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Binds and listens; port 0 takes a free port (see Port()). Throws TransportError.
    void Listen(const std::string& host, std::uint16_t port);
    // The same over TLS (1.2 at least) with the server's certificate chain and private key (PEM
    // files); a file that cannot be read or does not hold them is named in the TransportError.
    // The handshake must end within the read time-out; a peer that does not speak TLS is closed
    // unanswered, and so is a TLS peer the connection limits refuse. One TCP listener in all:
    // Listen or ListenTls.
    void ListenTls(const std::string& host, std::uint16_t port, const std::string& certificateFile,
                   const std::string& keyFile);
    // Also listens on a local socket at `path`; its calls carry the caller's user id
    // (Connection::uid) as the operating system reports it, and connections are counted per
    // user. The file is made readable and writable by all (each connection is identified on its
    // own), replaces a socket file nobody answers on, and is removed when the server stops.
    void ListenLocal(const std::string& path);
    // The TCP listener's port; 0 when there is none.
    std::uint16_t Port() const;

    // Starts the network thread and the workers; returns at once.
    void Start();
    // Also stop on SIGTERM and SIGINT. Call before Start().
    void StopOnSignals();
    // Stops accepting, lets every call under way finish and its reply go out, then closes the
    // connections. Returns at once; safe from any thread, more than once.
    void Stop();
    // Blocks until the threads have ended (after Stop or a signal).
    void Wait();

    struct Impl;

  private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace rpc

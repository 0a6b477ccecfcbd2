// The JSON-RPC server: accepts TCP connections, reads one request per line, hands each to the
// dispatcher on a pool of threads and writes the reply line back.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "rpc/Dispatcher.h"

namespace rpc {

struct ServerOptions {
    // Largest request line accepted; a longer line is answered with an error and skipped.
    std::size_t maxMessageBytes = std::size_t{256} << 20;
    // Time allowed to receive the rest of a line once it has begun.
    std::chrono::milliseconds readTimeout = std::chrono::seconds(60);
    // A connection that sends nothing for this long is closed.
    std::chrono::milliseconds idleTimeout = std::chrono::minutes(10);
    // Connections beyond this number get an error reply and are closed.
    std::size_t maxConnections = 64;
    std::size_t threads = 4;
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
    std::uint16_t Port() const;

    // Starts the worker threads; returns at once.
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

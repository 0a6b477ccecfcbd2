// A fixed-size pool of connections to one database, shared by the server's worker threads.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "db/Connection.h"

namespace db {

class ConnectionPool {
  public:
    // Opens `size` connections at once, so a bad URL fails at start and not on the first call.
    ConnectionPool(std::string url, std::size_t size);

    // A connection on loan; it returns to the pool when the lease ends, or is replaced by a fresh
    // one when Discard() was called (after a failure that may have broken it), and so are the
    // idle ones then.
    class Lease {
      public:
        Lease(ConnectionPool& pool, std::unique_ptr<Connection> connection);
        ~Lease();
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;

        Connection& operator*() { return *connection_; }
        Connection* operator->() { return connection_.get(); }
        void Discard() { discard_ = true; }

      private:
        ConnectionPool& pool_;
        std::unique_ptr<Connection> connection_;
        bool discard_ = false;
    };

    // Waits for a free connection.
    Lease Acquire();

  private:
    void Return(std::unique_ptr<Connection> connection, bool discard);

    const std::string url_;
    std::mutex mutex_;
    std::condition_variable available_;
    std::vector<std::unique_ptr<Connection>> idle_;
    std::size_t reopen_ = 0;  // connections discarded and not yet reopened
};

}  // namespace db

// Connection pool.
#include "db/ConnectionPool.h"

namespace db {

ConnectionPool::ConnectionPool(std::string url, std::size_t size) : url_(std::move(url)) {
    for (std::size_t i = 0; i < size; ++i) idle_.push_back(Connection::Open(url_));
}

ConnectionPool::Lease::Lease(ConnectionPool& pool, std::unique_ptr<Connection> connection)
    : pool_(pool), connection_(std::move(connection)) {}

ConnectionPool::Lease::~Lease() {
    pool_.Return(std::move(connection_), discard_);
}

ConnectionPool::Lease ConnectionPool::Acquire() {
    std::unique_lock lock(mutex_);
    available_.wait(lock, [this] { return !idle_.empty() || reopen_ > 0; });
    if (!idle_.empty()) {
        auto connection = std::move(idle_.back());
        idle_.pop_back();
        return Lease(*this, std::move(connection));
    }
    --reopen_;
    lock.unlock();
    try {
        return Lease(*this, Connection::Open(url_));
    } catch (...) {
        const std::lock_guard relock(mutex_);
        ++reopen_;
        throw;
    }
}

void ConnectionPool::Return(std::unique_ptr<Connection> connection, bool discard) {
    if (!discard && connection) {
        try {
            connection->Settle();
        } catch (const std::exception&) {
            discard = true;
        }
    }
    // A failure that broke one connection (a lost database server, a failover) has most often
    // broken the idle ones too: they are all reopened on their next use, so that the failure
    // costs one call rather than one per pooled connection.
    std::vector<std::unique_ptr<Connection>> dropped;
    {
        const std::lock_guard lock(mutex_);
        if (discard || !connection) {
            dropped.swap(idle_);
            reopen_ += 1 + dropped.size();
        } else {
            idle_.push_back(std::move(connection));
        }
    }
    available_.notify_all();
}

}  // namespace db

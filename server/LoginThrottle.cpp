// The throttle's counts and its one delay rule.
#include "server/LoginThrottle.h"

#include <algorithm>

namespace server {

std::chrono::milliseconds LoginThrottle::DelayAfter(int failures) {
    if (failures < kFreeFailures) return std::chrono::milliseconds(0);
    const int doublings = std::min(failures - kFreeFailures, 16);
    return std::min(kMaxDelay, std::chrono::milliseconds(kFirstDelay.count() << doublings));
}

std::chrono::milliseconds LoginThrottle::Delay(const std::string& address,
                                               const std::string& user) {
    const std::lock_guard lock(mutex_);
    const auto now = clock_();
    const int byUser = user.empty() ? 0 : Failures("u:" + user, now);
    return DelayAfter(std::max(Failures("a:" + address, now), byUser));
}

void LoginThrottle::Failed(const std::string& address, const std::string& user) {
    const std::lock_guard lock(mutex_);
    const auto now = clock_();
    Count("a:" + address, now);
    if (!user.empty()) Count("u:" + user, now);
}

bool LoginThrottle::BeginWait(const std::string& address) {
    const std::lock_guard lock(mutex_);
    return waiting_.insert(address).second;
}

void LoginThrottle::EndWait(const std::string& address) {
    const std::lock_guard lock(mutex_);
    waiting_.erase(address);
}

void LoginThrottle::Succeeded(const std::string& address, const std::string& user) {
    const std::lock_guard lock(mutex_);
    entries_.erase("a:" + address);
    entries_.erase("u:" + user);
}

int LoginThrottle::Failures(const std::string& key, std::chrono::steady_clock::time_point now) {
    const auto found = entries_.find(key);
    if (found == entries_.end()) return 0;
    if (now - found->second.last > kForgetAfter) {
        entries_.erase(found);
        return 0;
    }
    return found->second.failures;
}

void LoginThrottle::Count(const std::string& key, std::chrono::steady_clock::time_point now) {
    const int failures = Failures(key, now) + 1;
    entries_[key] = {failures, now};
    if (entries_.size() <= kMaxEntries) return;
    // Full: forget what is stale, else the entry idle longest (not the one just counted).
    std::erase_if(entries_, [&](const auto& e) { return now - e.second.last > kForgetAfter; });
    while (entries_.size() > kMaxEntries) {
        const auto oldest = std::min_element(
            entries_.begin(), entries_.end(),
            [](const auto& a, const auto& b) { return a.second.last < b.second.last; });
        entries_.erase(oldest);
    }
}

}  // namespace server

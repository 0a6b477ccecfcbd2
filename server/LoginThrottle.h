// Slows down password guessing: failed logins are counted per address and per user name, and
// from the 3rd failure on each attempt waits before it is answered, 0.25 s doubling up to
// 8 s. A success clears both counts; a count left alone for an hour is forgotten. The table is
// bounded: past kMaxEntries the entry idle longest goes first. Safe to use from many threads.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>

namespace server {

class LoginThrottle {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    static constexpr int kFreeFailures = 3;
    static constexpr std::chrono::milliseconds kFirstDelay{250};
    static constexpr std::chrono::milliseconds kMaxDelay{8000};
    static constexpr std::chrono::minutes kForgetAfter{60};
    static constexpr std::size_t kMaxEntries = 10000;

    explicit LoginThrottle(Clock clock = std::chrono::steady_clock::now)
        : clock_(std::move(clock)) {}

    // How long an attempt from the address for the user waits before it is answered: the
    // delay of the larger of the two counts. An empty user (a session token) counts by address
    // only.
    std::chrono::milliseconds Delay(const std::string& address, const std::string& user);
    void Failed(const std::string& address, const std::string& user);
    void Succeeded(const std::string& address, const std::string& user);

    // Marks a delayed attempt from the address as under way; false when one already is, and
    // the caller then refuses the attempt at once, so that a guesser keeps at most one of the
    // server's threads waiting however many connections it opens.
    bool BeginWait(const std::string& address);
    void EndWait(const std::string& address);

    // The delay after `failures` failures.
    static std::chrono::milliseconds DelayAfter(int failures);

  private:
    struct Entry {
        int failures = 0;
        std::chrono::steady_clock::time_point last;
    };
    // Keys: "a:" address, "u:" user name.
    int Failures(const std::string& key, std::chrono::steady_clock::time_point now);
    void Count(const std::string& key, std::chrono::steady_clock::time_point now);

    Clock clock_;
    std::mutex mutex_;
    std::map<std::string, Entry> entries_;
    std::set<std::string> waiting_;  // addresses with a delayed attempt under way
};

}  // namespace server

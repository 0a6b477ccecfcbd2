// A blocking TCP connection that exchanges newline-terminated messages, each step bounded
// by a time-out.
#pragma once

#include <chrono>
#include <memory>
#include <string>

namespace library::detail {

class LineSocket {
  public:
    // Raises std::runtime_error with the reason when the connection cannot be made.
    LineSocket(const std::string& host, int port, std::chrono::milliseconds timeout);
    ~LineSocket();
    LineSocket(const LineSocket&) = delete;
    LineSocket& operator=(const LineSocket&) = delete;

    // Sends `line` plus "\n" and returns the next line received (without the "\n").
    // Raises std::runtime_error on a dropped connection, a time-out or a reply over
    // `maxBytes`; the socket is unusable afterwards.
    std::string Exchange(const std::string& line, std::chrono::milliseconds timeout,
                         std::size_t maxBytes);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace library::detail

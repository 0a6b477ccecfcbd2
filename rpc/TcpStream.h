// The client's byte stream over one TCP connection to the application server.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "rpc/ByteStream.h"

namespace rpc {

class TcpStream final : public ByteStream {
  public:
    TcpStream(std::string host, std::uint16_t port);
    ~TcpStream() override;
    TcpStream(const TcpStream&) = delete;
    TcpStream& operator=(const TcpStream&) = delete;

    // Resolves the host and connects before the deadline.
    void Open(Deadline deadline) override;
    bool IsOpen() const override;
    void Close() override;
    std::error_code Write(std::string_view bytes, Deadline deadline) override;
    std::error_code ReadSome(char* into, std::size_t room, Deadline deadline,
                             std::size_t& got) override;
    // "host:port".
    std::string Where() const override;

  private:
    struct Impl;
    std::string host_;
    std::uint16_t port_;
    std::unique_ptr<Impl> impl_;
};

}  // namespace rpc

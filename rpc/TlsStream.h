// The client's byte stream over TLS: a TCP connection whose server must prove itself with a
// certificate the client trusts (signed by the configured authority and issued for the host
// name, or the very certificate whose fingerprint was configured) before any byte of a call goes
// out.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "rpc/ByteStream.h"
#include "rpc/Client.h"

namespace rpc {

class TlsStream final : public ByteStream {
  public:
    TlsStream(std::string host, std::uint16_t port, TlsTrust trust);
    ~TlsStream() override;
    TlsStream(const TlsStream&) = delete;
    TlsStream& operator=(const TlsStream&) = delete;

    // Connects and completes the TLS handshake before the deadline. Throws TransportError saying
    // why the server's certificate is not trusted, or why no secure connection could be made.
    void Open(Deadline deadline) override;
    bool IsOpen() const override;
    void Close() override;
    std::error_code Write(std::string_view bytes, Deadline deadline) override;
    std::error_code ReadSome(char* into, std::size_t room, Deadline deadline,
                             std::size_t& got) override;
    // "host:port".
    std::string Where() const override;
    // "AB:CD:…", the SHA-256 of the server certificate (DER) of the last connection.
    std::string Fingerprint() const override;

  private:
    struct Impl;
    std::string host_;
    std::uint16_t port_;
    TlsTrust trust_;
    std::unique_ptr<Impl> impl_;
};

}  // namespace rpc

// The client's byte stream over a local (Unix domain) socket to a server on the same machine,
// which knows the caller by its operating-system user.
#pragma once

#include <memory>
#include <string>

#include "rpc/ByteStream.h"

namespace rpc {

class LocalStream final : public ByteStream {
  public:
    explicit LocalStream(std::string path);
    ~LocalStream() override;
    LocalStream(const LocalStream&) = delete;
    LocalStream& operator=(const LocalStream&) = delete;

    void Open(Deadline deadline) override;
    bool IsOpen() const override;
    void Close() override;
    std::error_code Write(std::string_view bytes, Deadline deadline) override;
    std::error_code ReadSome(char* into, std::size_t room, Deadline deadline,
                             std::size_t& got) override;
    // "unix:PATH".
    std::string Where() const override;

  private:
    struct Impl;
    std::string path_;
    std::unique_ptr<Impl> impl_;
};

}  // namespace rpc

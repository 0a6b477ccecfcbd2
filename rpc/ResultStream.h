// A method's result written piece by piece: a large packet goes out to the connection while
// its rows are still being read, so the server never holds its whole text, let alone twice.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

namespace rpc {

// Where the first pieces of a reply go while the rest is being made (the connection).
class ReplySink {
  public:
    virtual ~ReplySink() = default;
    // Takes the bytes of `piece` to send, leaving it empty with its memory kept for the next
    // one, and returns once the piece before has gone out, so that two at most are held.
    // Raises ReplyAborted when the connection takes no more (closed, too slow, over the limit).
    virtual void Send(std::string& piece) = 0;
};

// A reply cut short after its first pieces went out: nothing can be answered any more, the
// connection must be closed. what() says why, for the server's log.
class ReplyAborted : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The reply line being written: the envelope's head, then the method's result text. A method
// appends to Text() and calls Mark() where the text may be cut (between rows).
class ResultStream {
  public:
    // One piece of a streamed reply.
    static constexpr std::size_t kPieceBytes = std::size_t{256} << 10;

    // Without a sink (a batch, a notification) the whole reply is kept.
    ResultStream(ReplySink* sink, std::string head) : sink_(sink), text_(std::move(head)) {}

    std::string& Text() { return text_; }
    // Sends the text written so far when it has grown past a piece.
    void Mark() {
        if (sink_ != nullptr && text_.size() >= kPieceBytes) {
            sink_->Send(text_);
            started_ = true;
        }
    }
    // Some of the reply has gone out: it can no longer be replaced by an error.
    bool Started() const { return started_; }

  private:
    ReplySink* sink_;
    std::string text_;
    bool started_ = false;
};

}  // namespace rpc

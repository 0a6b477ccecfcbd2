// Reading JSON text that arrives in pieces, without ever holding all of it: a reply of a
// hundred megabytes goes through a window of a few hundred kilobytes into whatever consumes
// its tokens. The same strict rules and limits as JsonReader apply.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "core/Json.h"

namespace core {

// One JSON text, read piece by piece from `fill`, ending at the first newline (a line of the
// wire: JSON text never holds a raw newline inside a token) or where the pieces end. Between
// tokens it keeps at least `ahead` bytes (kMaxTokenBytes) in the window, so a token longer than
// that is refused as malformed (blanks after a comma or before a colon count with the token
// that follows; other runs of blanks may be of any length).
class JsonStreamReader final : public JsonSource {
  public:
    // Puts up to `room` bytes at `into` and returns how many; 0 when there are no more. What it
    // raises travels on to the reader's caller.
    using Fill = std::function<std::size_t(char* into, std::size_t room)>;

    static constexpr std::size_t kMaxTokenBytes = std::size_t{64} << 10;
    static constexpr std::size_t kPieceBytes = std::size_t{256} << 10;

    // `window` is the caller's buffer, kept between texts so that it is allocated once.
    JsonStreamReader(Fill fill, std::string& window, std::size_t ahead = kMaxTokenBytes,
                     std::size_t maxDepth = kMaxJsonDepth,
                     std::size_t maxMembers = kMaxJsonMembers);

    JsonToken Next() override;
    std::string_view Text() const override { return reader_.Text(); }
    double Number() const override { return reader_.Number(); }
    std::size_t Offset() const override { return reader_.Offset(); }
    std::size_t Depth() const override { return reader_.Depth(); }

    // Bytes received after the newline that ended the text: the start of the next one.
    std::string_view Rest() const;

  private:
    // Moves the unread bytes to the front of the window and reads until `ahead_` bytes lie
    // ahead or the text has ended.
    void Refill();

    Fill fill_;
    std::string& window_;
    std::size_t ahead_;
    JsonReader reader_;
    std::size_t filled_ = 0;     // bytes of the window holding data
    std::size_t textEnd_ = 0;    // where the text seen so far ends in the window
    std::size_t restBegin_ = 0;  // after the newline, once it has arrived
    bool ended_ = false;
};

// One value inside a larger text, as a source of its own that ends with the value: a reader
// expecting a whole text (a record packet) can read the result inside a reply's envelope. The
// value's first token has already been read from the parent.
class JsonNestedValue final : public JsonSource {
  public:
    JsonNestedValue(JsonSource& parent, JsonToken first);

    JsonToken Next() override;
    std::string_view Text() const override { return parent_.Text(); }
    double Number() const override { return parent_.Number(); }
    std::size_t Offset() const override { return parent_.Offset(); }
    std::size_t Depth() const override { return parent_.Depth() - baseDepth_; }

    // Reads whatever of the value its reader left unread.
    void Finish();

  private:
    JsonSource& parent_;
    std::size_t baseDepth_;
    JsonToken first_;
    bool firstGiven_ = false;
    bool done_ = false;
};

}  // namespace core

// The strict JSON reader every request and every packet goes through, as a pull parser over
// the text (or over an already parsed value). It never recurses over the input: nesting is a
// counted stack, refused beyond a depth limit. It also refuses what a lenient parser would let
// through: a key repeated in one object, a number a double cannot hold (1e400), text with a
// NUL (raw or \u0000) or that is not UTF-8, and more members in one object than a request or
// a packet ever needs. Every refusal is a JsonError whose message names the reason in
// Portuguese and the byte where it was found, never echoing more than a few characters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "core/Error.h"

namespace core {

inline constexpr std::size_t kMaxJsonDepth = 64;
inline constexpr std::size_t kMaxJsonMembers = 10000;

class JsonError : public Error {
  public:
    enum class Reason {
        Syntax,
        TooDeep,
        TooManyMembers,
        DuplicateKey,
        NumberOutOfRange,
        NulCharacter,
        InvalidUtf8,
    };
    static constexpr std::size_t kNoOffset = static_cast<std::size_t>(-1);

    // `detail` is the reason alone; the message adds the byte ("(byte 17)") when known.
    JsonError(Reason reason, std::string detail, std::size_t offset);
    ~JsonError() override;

    Reason GetReason() const { return reason_; }
    const std::string& Detail() const { return detail_; }
    // From 0; kNoOffset for a parsed value.
    std::size_t Offset() const { return offset_; }

  private:
    Reason reason_;
    std::string detail_;
    std::size_t offset_;
};

enum class JsonToken : std::uint8_t {
    BeginObject,
    EndObject,
    BeginArray,
    EndArray,
    Key,
    String,
    Number,
    True,
    False,
    Null,
    End,  // the whole value has been read
};

// One JSON value as a sequence of tokens, checked as they are read. After End, Next keeps
// returning End.
class JsonSource {
  public:
    virtual ~JsonSource() = default;
    // Raises JsonError.
    virtual JsonToken Next() = 0;
    // Key and String: the decoded text, valid until the next call of Next. Number: the number
    // as written (empty for a parsed value).
    virtual std::string_view Text() const = 0;
    // Number: its value, always finite.
    virtual double Number() const = 0;
    // Where the last token began, from 0; JsonError::kNoOffset for a parsed value.
    virtual std::size_t Offset() const = 0;
    // Depth of the containers open after the last token.
    virtual std::size_t Depth() const = 0;

    // Reads past the rest of a value whose first token was `first` (nothing for a scalar),
    // checking it as usual.
    void SkipValue(JsonToken first);
};

// Reads JSON text. The text must outlive the reader.
class JsonReader final : public JsonSource {
  public:
    explicit JsonReader(std::string_view text, std::size_t maxDepth = kMaxJsonDepth,
                        std::size_t maxMembers = kMaxJsonMembers);
    ~JsonReader() override;
    JsonReader(const JsonReader&) = delete;
    JsonReader& operator=(const JsonReader&) = delete;

    JsonToken Next() override;
    std::string_view Text() const override { return text_; }
    double Number() const override;
    std::size_t Offset() const override { return base_ + tokenStart_; }
    std::size_t Depth() const override;
    // Just past the last token: with Offset(), the span of a scalar, or after EndObject and
    // EndArray the end of the container's span.
    std::size_t Position() const { return base_ + pos_; }

    // For text that arrives in pieces: goes on reading `text`, which must begin with the bytes
    // of the current text not yet read (from Position()) and may hold more after them. Offsets
    // keep counting from the start of the whole text. A token must lie whole in one text: a
    // caller guarantees enough bytes ahead (see JsonStreamReader).
    void Continue(std::string_view text);
    // The bytes of the current text not yet read.
    std::size_t Unread() const { return input_.size() - pos_; }
    // Reads past blanks; true when they run to the end of the current text (so that a caller
    // feeding pieces must give more before the next token can be told).
    bool SkipBlanks();

  private:
    struct Frame;
    enum class State : std::uint8_t;

    [[noreturn]] void Fail(JsonError::Reason reason, const std::string& detail,
                           std::size_t at) const;
    JsonToken ReadValue();
    JsonToken Close(bool object);
    void ReadString();
    void ReadEscape(std::size_t& i);
    void ReadNumber();
    void ReadLiteral(std::string_view word);
    void AfterValue();
    void CheckKey();

    std::string_view input_;
    std::size_t base_ = 0;  // bytes of earlier texts (Continue)
    std::size_t pos_ = 0;
    std::size_t tokenStart_ = 0;
    std::size_t maxDepth_;
    std::size_t maxMembers_;
    std::vector<Frame> frames_;
    std::uint8_t topState_ = 0;  // 0 before the value, 1 after it
    std::string_view text_;
    std::string buffer_;  // decoded text of a string with escapes
};

// Walks a value already parsed, with the same checks on what it holds (depth, finite numbers,
// text free of NUL and valid UTF-8); a parsed value cannot repeat a key.
class JsonValueReader final : public JsonSource {
  public:
    explicit JsonValueReader(const nlohmann::json& value, std::size_t maxDepth = kMaxJsonDepth);
    ~JsonValueReader() override;

    JsonToken Next() override;
    std::string_view Text() const override { return text_; }
    double Number() const override { return number_; }
    std::size_t Offset() const override { return JsonError::kNoOffset; }
    std::size_t Depth() const override;

  private:
    struct State;
    std::unique_ptr<State> state_;
    std::string_view text_;
    double number_ = 0;
};

// The value of strict JSON text as a parsed value, for small texts (a request's envelope, one
// argument). Integers that fit stay integers, so an id is echoed as it came. Raises JsonError.
nlohmann::json ParseJson(std::string_view text);
// The value whose first token `first` the source has just given, as a parsed value.
nlohmann::json ReadJsonValue(JsonSource& source, JsonToken first);

// JSON text writing: a string (invalid UTF-8 replaced by U+FFFD, so the text stays readable by
// the strict reader) and a finite number in its shortest form (null when not finite).
void AppendJsonString(std::string& out, std::string_view text);
void AppendJsonNumber(std::string& out, double value);

}  // namespace core

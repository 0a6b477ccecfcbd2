// The window of a streamed text: refilled between tokens, never inside one.
#include "core/JsonStream.h"

#include <algorithm>
#include <cstring>

namespace core {

JsonStreamReader::JsonStreamReader(Fill fill, std::string& window, std::size_t ahead,
                                   std::size_t maxDepth, std::size_t maxMembers)
    : fill_(std::move(fill)), window_(window), ahead_(ahead), reader_({}, maxDepth, maxMembers) {
    const std::size_t piece = std::min(kPieceBytes, std::max<std::size_t>(ahead, 64));
    if (window_.size() < ahead + piece) window_.resize(ahead + piece);
}

JsonToken JsonStreamReader::Next() {
    // Blanks are no token: a run of them longer than the window is read through, piece by piece.
    for (;;) {
        if (!ended_ && reader_.Unread() < ahead_) Refill();
        if (ended_ || !reader_.SkipBlanks()) break;
    }
    return reader_.Next();
}

std::string_view JsonStreamReader::Rest() const {
    if (restBegin_ >= filled_) return {};
    return std::string_view(window_).substr(restBegin_, filled_ - restBegin_);
}

void JsonStreamReader::Refill() {
    const std::size_t unread = reader_.Unread();
    const std::size_t from = textEnd_ - unread;
    if (from > 0) std::memmove(window_.data(), window_.data() + from, filled_ - from);
    filled_ -= from;
    while (!ended_ && filled_ < ahead_) {
        const std::size_t got = fill_(window_.data() + filled_, window_.size() - filled_);
        if (got == 0) {
            ended_ = true;
            restBegin_ = filled_;
            break;
        }
        const void* newline = std::memchr(window_.data() + filled_, '\n', got);
        filled_ += got;
        if (newline != nullptr) {
            ended_ = true;
            restBegin_ =
                static_cast<std::size_t>(static_cast<const char*>(newline) - window_.data());
            break;
        }
    }
    textEnd_ = ended_ ? restBegin_ : filled_;
    if (ended_ && restBegin_ < filled_) ++restBegin_;  // past the newline
    reader_.Continue(std::string_view(window_.data(), textEnd_));
}

JsonNestedValue::JsonNestedValue(JsonSource& parent, JsonToken first)
    : parent_(parent), baseDepth_(parent.Depth()), first_(first) {
    if (first == JsonToken::BeginObject || first == JsonToken::BeginArray) --baseDepth_;
}

JsonToken JsonNestedValue::Next() {
    if (done_) return JsonToken::End;
    JsonToken t = first_;
    if (firstGiven_)
        t = parent_.Next();
    else
        firstGiven_ = true;
    if (t == JsonToken::End || parent_.Depth() == baseDepth_) done_ = true;
    return t;
}

void JsonNestedValue::Finish() {
    while (Next() != JsonToken::End) {
    }
}

}  // namespace core

// The strict JSON reader: an explicit stack of open containers, strings validated as they are
// scanned, numbers checked against the range of a double.
#include "core/Json.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <unordered_set>

#include <nlohmann/json.hpp>

#include "core/MessageText.h"
#include "core/Utf8.h"

namespace core {

using nlohmann::json;

namespace {

std::string WithOffset(const std::string& detail, std::size_t offset) {
    if (offset == JsonError::kNoOffset) return detail;
    return detail + " (byte " + std::to_string(offset + 1) + ")";
}

std::string DepthText(std::size_t maxDepth) {
    return "listas e objetos aninhados em mais de " + std::to_string(maxDepth) + " níveis";
}

std::string MembersText(std::size_t maxMembers) {
    return "um objeto com mais de " + std::to_string(maxMembers) + " membros";
}

const char* const kNulText = "texto com o caractere nulo (\\u0000)";
const char* const kUtf8Text = "texto que não está em UTF-8 válido";

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Checks decoded text of a parsed value.
void CheckText(std::string_view text) {
    if (std::memchr(text.data(), 0, text.size()) != nullptr)
        throw JsonError(JsonError::Reason::NulCharacter, kNulText, JsonError::kNoOffset);
    if (!IsValidUtf8(text))
        throw JsonError(JsonError::Reason::InvalidUtf8, kUtf8Text, JsonError::kNoOffset);
}

}  // namespace

JsonError::JsonError(Reason reason, std::string detail, std::size_t offset)
    : Error(WithOffset(detail, offset)),
      reason_(reason),
      detail_(std::move(detail)),
      offset_(offset) {}

JsonError::~JsonError() = default;

void JsonSource::SkipValue(JsonToken first) {
    if (first != JsonToken::BeginObject && first != JsonToken::BeginArray) return;
    std::size_t open = 1;
    while (open > 0) {
        const JsonToken t = Next();
        if (t == JsonToken::BeginObject || t == JsonToken::BeginArray) {
            ++open;
        } else if (t == JsonToken::EndObject || t == JsonToken::EndArray) {
            --open;
        } else if (t == JsonToken::End) {
            return;
        }
    }
}

// ---------------------------------------------------------------------------------------------

enum class JsonReader::State : std::uint8_t {
    FirstKeyOrEnd,  // object just opened
    Key,            // after a comma in an object
    Value,          // after a key, or after a comma in an array
    FirstValueOrEnd,
    CommaOrEnd,
};

struct JsonReader::Frame {
    bool object = false;
    State state = State::FirstValueOrEnd;
    std::size_t members = 0;
    // Keys of the object: a short list, then a hash set once the object grows.
    std::vector<std::string> keys;
    std::unique_ptr<std::unordered_set<std::string>> index;
};

JsonReader::JsonReader(std::string_view text, std::size_t maxDepth, std::size_t maxMembers)
    : input_(text), maxDepth_(maxDepth), maxMembers_(maxMembers) {}

JsonReader::~JsonReader() = default;

std::size_t JsonReader::Depth() const {
    return frames_.size();
}

void JsonReader::Fail(JsonError::Reason reason, const std::string& detail, std::size_t at) const {
    throw JsonError(reason, detail, base_ + at);
}

void JsonReader::Continue(std::string_view text) {
    base_ += pos_;
    input_ = text;
    pos_ = 0;
    tokenStart_ = 0;
    text_ = {};
}

bool JsonReader::SkipBlanks() {
    while (pos_ < input_.size()) {
        const char c = input_[pos_];
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r') return false;
        ++pos_;
    }
    return true;
}

JsonToken JsonReader::Next() {
    for (;;) {
        SkipBlanks();
        tokenStart_ = pos_;
        if (frames_.empty()) {
            if (topState_ == 0) return ReadValue();
            if (pos_ < input_.size())
                Fail(JsonError::Reason::Syntax,
                     "texto depois do fim do valor JSON: " + Quoted(input_.substr(pos_, 8), 8),
                     pos_);
            text_ = {};
            return JsonToken::End;
        }
        Frame& f = frames_.back();
        if (pos_ >= input_.size())
            Fail(JsonError::Reason::Syntax, "o texto JSON termina no meio de um valor", pos_);
        const char c = input_[pos_];
        switch (f.state) {
            case State::FirstKeyOrEnd:
                if (c == '}') return Close(true);
                [[fallthrough]];
            case State::Key:
                if (c != '"')
                    Fail(JsonError::Reason::Syntax,
                         "esperado o nome de um membro entre aspas, encontrado " +
                             Quoted(input_.substr(pos_, 1), 1),
                         pos_);
                ReadString();
                CheckKey();
                SkipBlanks();
                if (pos_ >= input_.size() || input_[pos_] != ':')
                    Fail(JsonError::Reason::Syntax, "esperado ':' depois do nome de um membro",
                         pos_);
                ++pos_;
                f.state = State::Value;
                return JsonToken::Key;
            case State::FirstValueOrEnd:
                if (c == ']') return Close(false);
                [[fallthrough]];
            case State::Value:
                return ReadValue();
            case State::CommaOrEnd:
                if (c == ',') {
                    ++pos_;
                    f.state = f.object ? State::Key : State::Value;
                    continue;
                }
                if (c == (f.object ? '}' : ']')) return Close(f.object);
                Fail(JsonError::Reason::Syntax,
                     std::string("esperado ',' ou '") + (f.object ? '}' : ']') + "', encontrado " +
                         Quoted(input_.substr(pos_, 1), 1),
                     pos_);
        }
    }
}

JsonToken JsonReader::Close(bool object) {
    ++pos_;
    frames_.pop_back();
    AfterValue();
    text_ = {};
    return object ? JsonToken::EndObject : JsonToken::EndArray;
}

void JsonReader::AfterValue() {
    if (frames_.empty())
        topState_ = 1;
    else
        frames_.back().state = State::CommaOrEnd;
}

JsonToken JsonReader::ReadValue() {
    if (pos_ >= input_.size())
        Fail(JsonError::Reason::Syntax,
             tokenStart_ == 0 && frames_.empty() ? "mensagem vazia"
                                                 : "o texto JSON termina no meio de um valor",
             pos_);
    const char c = input_[pos_];
    if (c == '{' || c == '[') {
        if (frames_.size() >= maxDepth_)
            Fail(JsonError::Reason::TooDeep, DepthText(maxDepth_), pos_);
        ++pos_;
        const bool object = c == '{';
        Frame f;
        f.object = object;
        f.state = object ? State::FirstKeyOrEnd : State::FirstValueOrEnd;
        frames_.push_back(std::move(f));
        text_ = {};
        return object ? JsonToken::BeginObject : JsonToken::BeginArray;
    }
    JsonToken token = JsonToken::Null;
    if (c == '"') {
        ReadString();
        token = JsonToken::String;
    } else if (c == '-' || IsDigit(c)) {
        ReadNumber();
        token = JsonToken::Number;
    } else if (c == 't') {
        ReadLiteral("true");
        token = JsonToken::True;
    } else if (c == 'f') {
        ReadLiteral("false");
        token = JsonToken::False;
    } else if (c == 'n') {
        ReadLiteral("null");
        token = JsonToken::Null;
    } else {
        Fail(JsonError::Reason::Syntax,
             "esperado um valor JSON, encontrado " + Quoted(input_.substr(pos_, 1), 1), pos_);
    }
    AfterValue();
    return token;
}

void JsonReader::ReadLiteral(std::string_view word) {
    if (input_.substr(pos_, word.size()) != word)
        Fail(JsonError::Reason::Syntax,
             "esperado um valor JSON, encontrado " + Quoted(input_.substr(pos_, word.size()), 8),
             pos_);
    text_ = input_.substr(pos_, word.size());
    pos_ += word.size();
}

void JsonReader::ReadString() {
    const std::size_t open = pos_++;
    const std::size_t start = pos_;
    bool escaped = false;
    std::size_t i = pos_;
    const std::size_t n = input_.size();
    for (;;) {
        if (i >= n) Fail(JsonError::Reason::Syntax, "texto sem as aspas finais", open);
        const auto c = static_cast<unsigned char>(input_[i]);
        if (c == '"') break;
        if (c == '\\') {
            if (!escaped) {
                buffer_.assign(input_.substr(start, i - start));
                escaped = true;
            }
            ReadEscape(i);
            continue;
        }
        if (c < 0x20) {
            if (c == 0) Fail(JsonError::Reason::NulCharacter, kNulText, i);
            Fail(JsonError::Reason::Syntax, "caractere de controle sem escape dentro de um texto",
                 i);
        }
        if (c < 0x80) {
            if (escaped) buffer_ += static_cast<char>(c);
            ++i;
            continue;
        }
        const std::size_t from = i;
        char32_t cp = 0;
        if (!NextUtf8(input_, i, cp)) Fail(JsonError::Reason::InvalidUtf8, kUtf8Text, from);
        if (escaped) buffer_.append(input_.substr(from, i - from));
    }
    text_ = escaped ? std::string_view(buffer_) : input_.substr(start, i - start);
    pos_ = i + 1;
}

void JsonReader::ReadEscape(std::size_t& i) {
    const std::size_t at = i;
    if (i + 1 >= input_.size()) Fail(JsonError::Reason::Syntax, "texto sem as aspas finais", at);
    const char e = input_[i + 1];
    i += 2;
    switch (e) {
        case '"':
        case '\\':
        case '/':
            buffer_ += e;
            return;
        case 'b':
            buffer_ += '\b';
            return;
        case 'f':
            buffer_ += '\f';
            return;
        case 'n':
            buffer_ += '\n';
            return;
        case 'r':
            buffer_ += '\r';
            return;
        case 't':
            buffer_ += '\t';
            return;
        case 'u':
            break;
        default:
            Fail(JsonError::Reason::Syntax,
                 "escape inválido " + Quoted(input_.substr(at, 2), 2) + " dentro de um texto", at);
    }
    const auto hex4 = [&](std::size_t from) {
        if (from + 4 > input_.size()) return -1;
        int v = 0;
        for (std::size_t k = from; k < from + 4; ++k) {
            const int d = HexDigit(input_[k]);
            if (d < 0) return -1;
            v = v * 16 + d;
        }
        return v;
    };
    int cp = hex4(i);
    if (cp < 0) Fail(JsonError::Reason::Syntax, "escape \\u sem quatro dígitos hexadecimais", at);
    i += 4;
    if (cp == 0) Fail(JsonError::Reason::NulCharacter, kNulText, at);
    if (cp >= 0xDC00 && cp <= 0xDFFF)
        Fail(JsonError::Reason::InvalidUtf8, "texto com um substituto UTF-16 sem par (\\u)", at);
    if (cp >= 0xD800 && cp <= 0xDBFF) {
        const int low =
            i + 1 < input_.size() && input_[i] == '\\' && input_[i + 1] == 'u' ? hex4(i + 2) : -1;
        if (low < 0xDC00 || low > 0xDFFF)
            Fail(JsonError::Reason::InvalidUtf8, "texto com um substituto UTF-16 sem par (\\u)",
                 at);
        i += 6;
        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
    }
    AppendUtf8(buffer_, static_cast<char32_t>(cp));
}

void JsonReader::ReadNumber() {
    const std::size_t start = pos_;
    std::size_t i = pos_;
    const std::size_t n = input_.size();
    const auto bad = [&] {
        Fail(JsonError::Reason::Syntax,
             "número malformado " + Quoted(input_.substr(start, i + 1 - start), 24), start);
    };
    if (input_[i] == '-') ++i;
    std::size_t integerDigits = 0;
    if (i < n && input_[i] == '0') {
        ++i;
    } else if (i < n && IsDigit(input_[i])) {
        for (; i < n && IsDigit(input_[i]); ++i) ++integerDigits;
    } else {
        bad();
    }
    if (i < n && input_[i] == '.') {
        ++i;
        if (i >= n || !IsDigit(input_[i])) bad();
        while (i < n && IsDigit(input_[i])) ++i;
    }
    bool exponent = false;
    if (i < n && (input_[i] == 'e' || input_[i] == 'E')) {
        exponent = true;
        ++i;
        if (i < n && (input_[i] == '+' || input_[i] == '-')) ++i;
        if (i >= n || !IsDigit(input_[i])) bad();
        while (i < n && IsDigit(input_[i])) ++i;
    }
    pos_ = i;
    text_ = input_.substr(start, i - start);
    // Without an exponent a number is within range up to 308 integer digits; only the others
    // need converting to be checked.
    if (exponent || integerDigits > 308) (void)Number();
}

double JsonReader::Number() const {
    double value = 0;
    const auto result = std::from_chars(text_.data(), text_.data() + text_.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Too small to tell from zero reads as zero; too large is refused.
        const auto decimal = text_.find_first_of("eE");
        long long magnitude = 0;
        std::size_t i = text_[0] == '-' ? 1 : 0;
        while (i < text_.size() && text_[i] == '0') ++i;
        for (; i < text_.size() && IsDigit(text_[i]); ++i) ++magnitude;
        if (decimal != std::string_view::npos) {
            long long e = 0;
            std::size_t k = decimal + 1;
            const bool negative = text_[k] == '-';
            if (text_[k] == '-' || text_[k] == '+') ++k;
            for (; k < text_.size(); ++k)
                if (e < 1'000'000'000) e = e * 10 + (text_[k] - '0');
            magnitude += negative ? -e : e;
        }
        if (magnitude <= 0) return text_[0] == '-' ? -0.0 : 0.0;
        Fail(JsonError::Reason::NumberOutOfRange,
             "número fora do alcance de um double: " + Quoted(text_, 24), tokenStart_);
    }
    if (result.ec != std::errc() || !std::isfinite(value))
        Fail(JsonError::Reason::NumberOutOfRange,
             "número fora do alcance de um double: " + Quoted(text_, 24), tokenStart_);
    return value;
}

void JsonReader::CheckKey() {
    Frame& f = frames_.back();
    if (++f.members > maxMembers_)
        Fail(JsonError::Reason::TooManyMembers, MembersText(maxMembers_), tokenStart_);
    const auto duplicate = [&] {
        Fail(JsonError::Reason::DuplicateKey, "o membro " + Quoted(text_) + " aparece duas vezes",
             tokenStart_);
    };
    if (f.index) {
        if (!f.index->emplace(text_).second) duplicate();
        return;
    }
    for (const std::string& k : f.keys)
        if (k == text_) duplicate();
    if (f.keys.size() < 16) {
        f.keys.emplace_back(text_);
        return;
    }
    f.index = std::make_unique<std::unordered_set<std::string>>(f.keys.begin(), f.keys.end());
    f.keys.clear();
    f.index->emplace(text_);
}

// ---------------------------------------------------------------------------------------------

struct JsonValueReader::State {
    struct Frame {
        const json* node;
        json::const_iterator it;
        bool keyGiven = false;
    };
    const json* root;
    std::size_t maxDepth;
    bool started = false;
    std::vector<Frame> frames;
};

JsonValueReader::JsonValueReader(const json& value, std::size_t maxDepth)
    : state_(std::make_unique<State>()) {
    state_->root = &value;
    state_->maxDepth = maxDepth;
}

JsonValueReader::~JsonValueReader() = default;

std::size_t JsonValueReader::Depth() const {
    return state_->frames.size();
}

JsonToken JsonValueReader::Next() {
    State& s = *state_;
    const json* node = nullptr;
    if (!s.started) {
        s.started = true;
        node = s.root;
    } else {
        if (s.frames.empty()) return JsonToken::End;
        State::Frame& f = s.frames.back();
        if (f.it == f.node->cend()) {
            const bool object = f.node->is_object();
            s.frames.pop_back();
            return object ? JsonToken::EndObject : JsonToken::EndArray;
        }
        if (f.node->is_object() && !f.keyGiven) {
            f.keyGiven = true;
            text_ = f.it.key();
            CheckText(text_);
            return JsonToken::Key;
        }
        f.keyGiven = false;
        node = &*f.it;
        ++f.it;
    }
    text_ = {};
    switch (node->type()) {
        case json::value_t::object:
        case json::value_t::array:
            if (s.frames.size() >= s.maxDepth)
                throw JsonError(JsonError::Reason::TooDeep, DepthText(s.maxDepth),
                                JsonError::kNoOffset);
            s.frames.push_back({node, node->cbegin()});
            return node->is_object() ? JsonToken::BeginObject : JsonToken::BeginArray;
        case json::value_t::string:
            text_ = node->get_ref<const std::string&>();
            CheckText(text_);
            return JsonToken::String;
        case json::value_t::number_integer:
        case json::value_t::number_unsigned:
        case json::value_t::number_float:
            number_ = node->get<double>();
            if (!std::isfinite(number_))
                throw JsonError(JsonError::Reason::NumberOutOfRange,
                                "número fora do alcance de um double", JsonError::kNoOffset);
            return JsonToken::Number;
        case json::value_t::boolean:
            return node->get<bool>() ? JsonToken::True : JsonToken::False;
        case json::value_t::null:
            return JsonToken::Null;
        default:
            throw JsonError(JsonError::Reason::Syntax, "valor que não é JSON",
                            JsonError::kNoOffset);
    }
}

// ---------------------------------------------------------------------------------------------

namespace {

json NumberValue(const JsonSource& source) {
    const std::string_view text = source.Text();
    if (!text.empty() && text.find_first_of(".eE") == std::string_view::npos) {
        std::int64_t i = 0;
        auto r = std::from_chars(text.data(), text.data() + text.size(), i);
        if (r.ec == std::errc() && r.ptr == text.data() + text.size()) return i;
        std::uint64_t u = 0;
        r = std::from_chars(text.data(), text.data() + text.size(), u);
        if (r.ec == std::errc() && r.ptr == text.data() + text.size()) return u;
    }
    return source.Number();
}

}  // namespace

json ReadJsonValue(JsonSource& source, JsonToken first) {
    json root;
    std::vector<json*> open;
    std::string key;
    const auto place = [&](json value) -> json& {
        if (open.empty()) {
            root = std::move(value);
            return root;
        }
        json& container = *open.back();
        if (container.is_object()) return container[key] = std::move(value);
        container.push_back(std::move(value));
        return container.back();
    };
    for (JsonToken t = first;; t = source.Next()) {
        switch (t) {
            case JsonToken::BeginObject:
                open.push_back(&place(json::object()));
                continue;
            case JsonToken::BeginArray:
                open.push_back(&place(json::array()));
                continue;
            case JsonToken::EndObject:
            case JsonToken::EndArray:
                open.pop_back();
                break;
            case JsonToken::Key:
                key.assign(source.Text());
                continue;
            case JsonToken::String:
                place(std::string(source.Text()));
                break;
            case JsonToken::Number:
                place(NumberValue(source));
                break;
            case JsonToken::True:
            case JsonToken::False:
                place(t == JsonToken::True);
                break;
            case JsonToken::Null:
                place(nullptr);
                break;
            case JsonToken::End:
                return root;
        }
        if (open.empty()) return root;
    }
}

json ParseJson(std::string_view text) {
    JsonReader reader(text);
    json value = ReadJsonValue(reader, reader.Next());
    if (reader.Next() != JsonToken::End)
        throw JsonError(JsonError::Reason::Syntax, "texto depois do fim do valor JSON",
                        reader.Offset());
    return value;
}

void AppendJsonString(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    std::size_t i = 0;
    while (i < text.size()) {
        // Plain characters go in runs: most text needs no escape at all.
        std::size_t run = i;
        while (run < text.size()) {
            const auto c = static_cast<unsigned char>(text[run]);
            if (c < 0x20 || c >= 0x80 || c == '"' || c == '\\') break;
            ++run;
        }
        if (run > i) {
            out.append(text.data() + i, run - i);
            i = run;
            continue;
        }
        const auto u = static_cast<unsigned char>(text[i]);
        if (u >= 0x80) {
            const std::size_t from = i;
            char32_t cp = 0;
            if (NextUtf8(text, i, cp))
                out.append(text.substr(from, i - from));
            else
                out += "\xEF\xBF\xBD";
            continue;
        }
        if (u == '"' || u == '\\') {
            out += '\\';
            out += static_cast<char>(u);
        } else if (u < 0x20) {
            out += "\\u00";
            out += kHex[u >> 4];
            out += kHex[u & 0xF];
        } else {
            out += static_cast<char>(u);
        }
        ++i;
    }
    out += '"';
}

void AppendJsonNumber(std::string& out, double value) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
}

}  // namespace core

// TMessages: a table of keyed texts, one line per entry: key, "|", text.
#pragma once

#include <string>
#include <vector>

namespace library {

class TMessages {
  public:
    TMessages() = default;
    explicit TMessages(std::vector<std::string> lines) : Lines(std::move(lines)) {}
    virtual ~TMessages() = default;

    // The entries; a line without "|" is a key with an empty text.
    std::vector<std::string> Lines;

    // The text stored under `key`, compared regardless of letter case (ASCII letters, as
    // keys are). A key that is not in the table is a programming error and raises.
    std::string Msg(const std::string& key) const;

    // True when the table has an entry under the key (letter case ignored).
    bool HasKey(const std::string& key) const;
};

}  // namespace library

// TMessages: a table of keyed texts, one line per entry: key, "|", text.
#pragma once

#include <string>
#include <vector>

#include "platform/app/DialogPort.h"
#include "platform/ui/Component.h"

namespace library {

class TMessages : public platform::Component {
  public:
    TMessages() = default;
    explicit TMessages(std::vector<std::string> lines) : Lines(std::move(lines)) {}
    ~TMessages() override;

    // The entries; a line without "|" is a key with an empty text.
    std::vector<std::string> Lines;

    // The text stored under `key`, compared regardless of letter case (ASCII letters, as
    // keys are). A key that is not in the table is a programming error and raises.
    std::string Msg(const std::string& key) const;

    // True when the table has an entry under the key (letter case ignored).
    bool HasKey(const std::string& key) const;

    // Asks the keyed text through the dialog port and returns the answer (mrYes = 6).
    // Without a dialog port there is nobody to ask: the answer is mrCancel.
    int ShowMsg(const std::string& key, platform::DialogType type, platform::DialogButtons buttons,
                int helpContext) const;
};

}  // namespace library

// Keyed text tables.
#include "library/Orv_msg.h"

#include <algorithm>

#include "platform/Exceptions.h"
#include "platform/app/Application.h"

namespace library {

namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameKey(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Lower(x) == Lower(y); });
}

const std::string* Find(const std::vector<std::string>& lines, const std::string& key) {
    for (const auto& line : lines) {
        const auto bar = line.find('|');
        if (SameKey(std::string_view(line).substr(0, bar), key)) return &line;
    }
    return nullptr;
}

}  // namespace

std::string TMessages::Msg(const std::string& key) const {
    const auto* line = Find(Lines, key);
    if (!line) throw platform::Error("Mensagem sem texto cadastrado: '" + key + "'");
    const auto bar = line->find('|');
    return bar == std::string::npos ? std::string() : line->substr(bar + 1);
}

TMessages::~TMessages() {
    DestroyComponents();
}

int TMessages::ShowMsg(const std::string& key, platform::DialogType type,
                       platform::DialogButtons buttons, int helpContext) const {
    const auto text = Msg(key);
    auto* dialogs = platform::Application::Instance().Dialogs();
    if (!dialogs) return platform::mrCancel;
    return dialogs->Ask(text, type, buttons, helpContext);
}

bool TMessages::HasKey(const std::string& key) const {
    return Find(Lines, key) != nullptr;
}

}  // namespace library

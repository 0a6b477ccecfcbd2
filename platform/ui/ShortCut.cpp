// Parsing and normal form of shortcut texts.
#include "platform/ui/ShortCut.h"

#include <array>
#include <cctype>
#include <vector>

#include "platform/Exceptions.h"

namespace platform {

namespace {

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

// The key's normal name, or "" when `lower` names no key.
std::string KeyName(const std::string& lower) {
    if (lower.size() == 1 && std::isalnum(static_cast<unsigned char>(lower[0])))
        return std::string(1,
                           static_cast<char>(std::toupper(static_cast<unsigned char>(lower[0]))));
    if (lower.size() >= 2 && lower.size() <= 3 && lower[0] == 'f') {
        int number = 0;
        for (std::size_t i = 1; i < lower.size(); ++i) {
            if (!std::isdigit(static_cast<unsigned char>(lower[i]))) return {};
            number = number * 10 + (lower[i] - '0');
        }
        if (lower[1] != '0' && number >= 1 && number <= 24) return "F" + std::to_string(number);
        return {};
    }
    static const std::array<const char*, 16> names{
        "Ins",  "Del", "Esc",  "Return", "Enter", "Tab",  "Backspace", "Space",
        "Home", "End", "PgUp", "PgDown", "Up",    "Down", "Left",      "Right"};
    for (const char* name : names)
        if (Lower(name) == lower) return name;
    return {};
}

}  // namespace

std::string NormalizeShortCut(std::string_view text) {
    if (text.empty()) return {};
    const auto refuse = [&] {
        throw Error("Tecla de atalho inválida: \"" + std::string(text) + "\"");
    };
    static const std::array<const char*, 4> modifiers{"Ctrl", "Shift", "Alt", "Meta"};
    std::array<bool, 4> held{};
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t plus = text.find('+', start);
        parts.push_back(Lower(text.substr(start, plus - start)));
        if (plus == std::string_view::npos) break;
        start = plus + 1;
    }
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        bool known = false;
        for (std::size_t m = 0; m < modifiers.size(); ++m) {
            if (parts[i] != Lower(modifiers[m])) continue;
            if (held[m]) refuse();
            held[m] = known = true;
        }
        if (!known) refuse();
    }
    const std::string key = KeyName(parts.back());
    if (key.empty()) refuse();
    std::string normal;
    for (std::size_t m = 0; m < modifiers.size(); ++m)
        if (held[m]) normal += std::string(modifiers[m]) + "+";
    return normal + key;
}

}  // namespace platform

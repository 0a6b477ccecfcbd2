// Shortcut keys as portable text: modifiers in the order Ctrl, Shift, Alt, Meta, then one key
// ("Ctrl+Shift+Del", "F5", "Ctrl+N"), the form a host's toolkit reads.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Checks a shortcut text and gives it back in normal form: modifiers and key names with
// their usual capitals and the modifiers in their fixed order ("shift+ctrl+n" gives
// "Ctrl+Shift+N"). Keys: a letter, a digit, F1 to F24, or Ins, Del, Esc, Return, Enter, Tab,
// Backspace, Space, Home, End, PgUp, PgDown, Up, Down, Left, Right. "" stays "". Raises
// platform::Error naming the text for anything else (no key, two keys, a modifier twice).
std::string NormalizeShortCut(std::string_view text);

}  // namespace platform

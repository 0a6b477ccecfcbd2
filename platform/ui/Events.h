// Event handler types shared by every control: the sender is always the component that
// raised the event.
#pragma once

#include <functional>

namespace platform {

class Component;

using NotifyEvent = std::function<void(Component* sender)>;

// `key` is the typed character (a Unicode code point); a handler that sets it to 0 discards
// the keystroke.
using KeyPressEvent = std::function<void(Component* sender, char32_t& key)>;

}  // namespace platform

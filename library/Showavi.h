// The busy animation shown while a server call runs, through the application's dialog port.
#pragma once

namespace platform {
class Form;
}

namespace library {

inline constexpr int kAviReading = 6;
inline constexpr int kAviSaving = 1;

// Starts the animation of the kind (6 reading or checking, 1 saving) over the window.
void ActiveShowAvi(platform::Form* mainWindow, int kind);
// Stops it; a call with no animation running does nothing.
void DeactiveShowAvi();

}  // namespace library

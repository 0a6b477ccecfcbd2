// A scope that shows the library's busy animation while a server call runs and stops it on
// every way out, a raised error included (the error travels on unchanged).
#pragma once

#include "library/Showavi.h"

namespace screen {

class BusyAnimation {
  public:
    // The animation covers the host's main window, which is not one of the framework's
    // forms: the dialog port places it.
    explicit BusyAnimation(int kind) { library::ActiveShowAvi(nullptr, kind); }
    ~BusyAnimation() { library::DeactiveShowAvi(); }
    BusyAnimation(const BusyAnimation&) = delete;
    BusyAnimation& operator=(const BusyAnimation&) = delete;
};

}  // namespace screen

// A scope that shows the library's busy animation while a server call runs and stops it on
// every way out, a raised error included (the error travels on unchanged).
#pragma once

#include <exception>

#include "library/Showavi.h"

namespace screen {

class BusyAnimation {
  public:
    // The animation covers the host's main window, which is not one of the framework's
    // forms: the dialog port places it.
    explicit BusyAnimation(int kind) : exceptions_(std::uncaught_exceptions()) {
        library::ActiveShowAvi(nullptr, kind);
    }
    // Leaving the scope stops the animation unless Stop did. A failure stops it even then:
    // the server calls' guard stops the animation on any failure, and stopping accepts a
    // call when none runs.
    ~BusyAnimation() {
        if (!stopped_ || std::uncaught_exceptions() > exceptions_) library::DeactiveShowAvi();
    }
    BusyAnimation(const BusyAnimation&) = delete;
    BusyAnimation& operator=(const BusyAnimation&) = delete;

    // Stops the animation once the call's result has been checked, before the work that
    // follows it.
    void Stop() {
        library::DeactiveShowAvi();
        stopped_ = true;
    }

  private:
    int exceptions_;
    bool stopped_ = false;
};

}  // namespace screen

// The framework's job port in Qt: a blocking job runs on a worker thread while the
// user-interface thread waits in a local event loop that paints, runs timers (the busy
// indicator) and holds user input back, so the caller's code stays synchronous.
#pragma once

#include <functional>

#include "platform/app/JobPort.h"

namespace host {

class QtJobPort : public platform::JobPort {
  public:
    // Called from the user-interface thread; a job started from any other thread (a job
    // inside a job) runs inline there. Jobs may nest: each waits in its own loop.
    void Run(const std::function<void()>& job) override;

    // True while a job runs: the shell then ignores what would start framework events
    // (activation, focus, close) until the caller has its result.
    bool Running() const { return depth_ > 0; }
    // Run on the user-interface thread before and after each outermost job (before its
    // caller resumes): the shell notes which window made the call, then puts back what the
    // window system changed meanwhile.
    std::function<void()> beforeJob;
    std::function<void()> afterJob;

  private:
    int depth_ = 0;
};

}  // namespace host

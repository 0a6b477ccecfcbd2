// JobPort: how code that waits for a long job (a server call, a large query) runs it. The
// default runs the job inline; the shell runs it on a worker thread while the user-interface
// thread keeps painting with user input held back, so the caller stays synchronous.
#pragma once

#include <functional>
#include <optional>
#include <type_traits>
#include <utility>

namespace platform {

class JobPort {
  public:
    virtual ~JobPort() = default;

    // Runs `job` and returns once it has finished; what the job raises is raised here,
    // unchanged. The job may run on another thread: it must not touch forms, controls or
    // record sets, only its own data.
    virtual void Run(const std::function<void()>& job) = 0;
};

// Runs the job on the calling thread: tests and hosts without a user interface.
class InlineJobPort : public JobPort {
  public:
    void Run(const std::function<void()>& job) override { job(); }
};

// Runs `job` through `port` and hands back what it returns.
template <class Job>
auto RunJob(JobPort& port, Job&& job) -> std::invoke_result_t<Job&> {
    using Result = std::invoke_result_t<Job&>;
    if constexpr (std::is_void_v<Result>) {
        port.Run(std::forward<Job>(job));
    } else {
        std::optional<Result> result;
        port.Run([&] { result.emplace(job()); });
        return std::move(*result);
    }
}

}  // namespace platform

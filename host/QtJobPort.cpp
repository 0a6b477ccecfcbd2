// Blocking jobs on a worker thread with a local event loop on the user-interface thread.
#include "host/QtJobPort.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <atomic>
#include <exception>
#include <thread>

namespace host {

void QtJobPort::Run(const std::function<void()>& job) {
    if (QCoreApplication::instance() == nullptr ||
        QThread::currentThread() != QCoreApplication::instance()->thread()) {
        job();
        return;
    }
    if (depth_ == 0 && beforeJob) beforeJob();
    ++depth_;
    QEventLoop loop;
    std::exception_ptr error;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        try {
            job();
        } catch (...) {
            error = std::current_exception();
        }
        done = true;
        // Queued: the loop may not have started yet; the call waits for it.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    if (!done) loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    --depth_;
    if (depth_ == 0 && afterJob) afterJob();
    if (error) std::rethrow_exception(error);
}

}  // namespace host

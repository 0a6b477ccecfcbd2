// The application's ports for the host: blocking jobs (inline unless the host installs its
// own) and the status line.
#include <gtest/gtest.h>

#include <string>

#include "FormFixture.h"
#include "platform/Exceptions.h"
#include "platform/app/JobPort.h"

namespace platform {
namespace {

using ApplicationPortsTest = FormFixture;

TEST_F(ApplicationPortsTest, BlockingJobsRunInlineByDefaultAndThroughTheHostsPort) {
    int result = RunJob(app.Jobs(), [] { return 42; });
    EXPECT_EQ(result, 42);
    EXPECT_THROW(app.Jobs().Run([] { throw Error("Servidor fora do ar"); }), Error);

    struct CountingPort : JobPort {
        int runs = 0;
        void Run(const std::function<void()>& job) override {
            ++runs;
            job();
        }
    } port;
    app.SetJobs(&port);
    RunJob(app.Jobs(), [] {});
    EXPECT_EQ(RunJob(app.Jobs(), [] { return std::string("ok"); }), "ok");
    EXPECT_EQ(port.runs, 2);
    app.SetJobs(nullptr);
    RunJob(app.Jobs(), [] {});
    EXPECT_EQ(port.runs, 2);
}

TEST_F(ApplicationPortsTest, TheStatusLineKeepsOneTextPerPartAndAnnouncesEveryMessage) {
    int heard = 0;
    app.SubscribeApp([&](const Notification& n) {
        if (n.event == AppEvent::StatusChanged) ++heard;
    });
    app.ShowStatus(StatusPart::Message, "Saldo gravado.");
    app.ShowStatus(StatusPart::Message, "Saldo gravado.");
    app.ShowStatus(StatusPart::Connection, "Servidor 127.0.0.1:47630");
    EXPECT_EQ(heard, 3);
    EXPECT_EQ(app.StatusText(StatusPart::Message), "Saldo gravado.");
    EXPECT_EQ(app.StatusText(StatusPart::Connection), "Servidor 127.0.0.1:47630");
}

}  // namespace
}  // namespace platform

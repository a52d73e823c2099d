// Every "more than N ms" rule of the workers and the serial link's line read at its edge, on a
// clock the test moves (the clock seam): at exactly the limit nothing has happened yet, one tick
// later the time-out has. Each edge is also looked at by a step the test forces at the limit
// itself, so a rule that fired a tick early would show. The waits' own due times are checked
// against the same edges.
#include <atomic>
#include <thread>

#include "panels/AdWorker.h"
#include "panels/DaWorker.h"
#include "panels/IoWorker.h"
#include "platform/serial_port.h"
#include "statlink.h"
#include "support/test_clock.h"
#include "support/test_port.h"
#include "worker_test_util.h"

namespace {

constexpr int kCom = 6;
constexpr int kChannel = 2;

// Waits in real time until the link's port holds at least n bytes (a pty passes bytes on a
// moment after they were written).
bool BytesArrive(const SerialLink& link, int n) {
    return WaitFor([&] { return SpBytesWaiting(link.handle()) >= n; });
}

}  // namespace

class TimeEdgesTest : public IsolatedTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(box.ok());
        ASSERT_NE(link.Open(Port(kCom)), kNoSerialHandle);
        settings.channelIndex = kChannel;
    }
    int32_t Error() const { return slk_GetChildErr(kChannel); }

    // Steps the worker at exactly `limit` ms after `from`, where it still waits (no error, and
    // whatever stillWaiting checks), then one tick later, where it reports `error`.
    template <class Worker, class Check>
    void ExpectErrorJustPast(TestClock& clock, Worker& worker, uint32_t from, uint32_t limit,
                             int32_t error, Check stillWaiting) {
        clock.Set(from + limit);
        worker.Step();
        EXPECT_EQ(Error(), 0);
        stillWaiting();
        clock.Set(from + limit + 1);
        worker.Step();
        EXPECT_EQ(Error(), error);
    }
    // Steps the worker at exactly `limit` ms after `from`, which posts nothing of `kind` yet,
    // then one tick later, which posts it once.
    template <class Worker>
    void ExpectPostJustPast(TestClock& clock, Worker& worker, uint32_t from, uint32_t limit,
                            int kind) {
        const int before = posts.Count(kind);
        clock.Set(from + limit);
        worker.Step();
        EXPECT_EQ(posts.Count(kind), before);
        clock.Set(from + limit + 1);
        worker.Step();
        EXPECT_EQ(posts.Count(kind), before + 1);
    }

    PtyBox box{env.comDir(), kCom};
    SerialLink link;
    AppSettings settings;
    PostRecorder posts;
};

TEST_F(TimeEdgesTest, LineReadEndsWhenFiveHundredMillisecondsHavePassed) {
    TestClock clock(TestClock::kHeld);
    const uint32_t start = clock.Now();
    for (const bool lineAtTheLastTick : {false, true}) {
        clock.Set(start);
        std::atomic<int> result{-1};
        char line[SerialLink::kLineBufferSize];
        int length = 0;
        std::thread reader([&] { result = link.ReadLine(line, &length); });
        ASSERT_TRUE(clock.Settled());
        clock.Set(start + 499);
        ASSERT_TRUE(clock.Settled());
        EXPECT_EQ(result, -1) << "the read ended before its 500 ms";
        if (lineAtTheLastTick) {
            // A line that completes within the 500 ms is taken.
            box.Send("?\r\n");
            EXPECT_TRUE(WaitFor([&] { return result != -1; }));
            EXPECT_EQ(result, 0);
            EXPECT_EQ(length, 2);
        } else {
            clock.Set(start + 500);
            EXPECT_TRUE(WaitFor([&] { return result != -1; }));
            EXPECT_EQ(result, 99);
        }
        clock.Set(start + 5000);  // lets a read that missed its limit go
        reader.join();
    }
}

TEST_F(TimeEdgesTest, AdReplyLimitAndCycle) {
    TestClock clock(TestClock::kStepped);
    settings.adBlock.adRange = 1;
    settings.workerPhase = AdWorker::kStart;
    AdWorker worker(link, settings, posts.Function());
    worker.Step();  // the start's 100 ms pause passes on the test's clock
    const uint32_t cycleTime = clock.Now();
    ASSERT_EQ(settings.workerPhase, AdWorker::kCycling);

    // Eight requests, each answered at once.
    for (int i = 0; i < kAdInputs; ++i) {
        worker.Step();
        ASSERT_EQ(box.NextLine(), "B" + std::to_string(i));
        const StepWake waiting = worker.Wake(clock.Now());
        EXPECT_FALSE(waiting.now);
        EXPECT_EQ(waiting.portFd, link.ReadableFd());
        EXPECT_EQ(waiting.due, clock.Now() + 501);
        box.Send("B" + std::to_string(i) + "800\n");
        ASSERT_TRUE(BytesArrive(link, 6));
        clock.Advance(1);
        worker.Step();
        ASSERT_EQ(worker.requestIndex(), i + 1);
    }
    // The refresh comes once more than 500 ms have passed since the cycle began.
    const StepWake cycleEnd = worker.Wake(clock.Now());
    EXPECT_FALSE(cycleEnd.now);
    EXPECT_EQ(cycleEnd.portFd, -1);
    EXPECT_EQ(cycleEnd.due, cycleTime + 501);
    ExpectPostJustPast(clock, worker, cycleTime, 500, kPanelRefreshAd);

    // The next request is left unanswered: error 15 only once more than 500 ms have passed.
    worker.Step();
    ASSERT_EQ(box.NextLine(), "B0");
    const uint32_t sent = clock.Now();
    ExpectErrorJustPast(clock, worker, sent, 500, AdWorker::kErrorNoReply,
                        [&] { EXPECT_EQ(settings.workerPhase, AdWorker::kCycling); });
    EXPECT_EQ(settings.workerPhase, AdWorker::kFailed);
}

TEST_F(TimeEdgesTest, DaEchoLimit) {
    TestClock clock(TestClock::kStepped);
    settings.daBlock.daRange = settings.daBlock.daSentRange = 0;
    settings.workerPhase = DaWorker::kStart;
    DaWorker worker(link, settings, nullptr);
    worker.Step();
    ASSERT_EQ(settings.workerPhase, DaWorker::kRunning);
    // Nothing to send: only the box's bytes and the window's changes wake the worker.
    const StepWake idle = worker.Wake(clock.Now());
    EXPECT_FALSE(idle.now);
    EXPECT_FALSE(idle.hasDue);
    EXPECT_EQ(idle.portFd, link.ReadableFd());
    settings.daBlock.daVolts = 5.0;
    EXPECT_TRUE(worker.Wake(clock.Now()).now);

    worker.Step();
    ASSERT_EQ(box.NextLine(), "P7FFF");
    const uint32_t sent = clock.Now();
    EXPECT_EQ(worker.Wake(sent).due, sent + 501);
    ExpectErrorJustPast(clock, worker, sent, 500, DaWorker::kErrorNoEcho,
                        [&] { EXPECT_TRUE(worker.waitingForEcho()); });
    EXPECT_EQ(settings.workerPhase, DaWorker::kFailed);
}

TEST_F(TimeEdgesTest, IoReplyLimitsRefreshStartAndSampling) {
    TestClock clock(TestClock::kStepped);
    IoWorker worker(link, settings, posts.Function());
    settings.workerPhase = IoWorker::kRunning;

    // The input poll's reply limit.
    worker.Step();
    ASSERT_EQ(box.NextLine(), "I");
    const uint32_t polled = clock.Now();
    const StepWake poll = worker.Wake(polled);
    EXPECT_EQ(poll.portFd, link.ReadableFd());
    EXPECT_EQ(poll.due, polled + 201);  // the first refresh comes before the reply's limit
    ExpectErrorJustPast(clock, worker, polled, 500, IoWorker::kErrorNoInputReply,
                        [&] { EXPECT_TRUE(worker.waitingForInput()); });
    worker.Step();
    ASSERT_EQ(settings.workerPhase, IoWorker::kIdle);

    // The output echo's limit.
    slk_SetChildErr(kChannel, 0);
    settings.workerPhase = IoWorker::kRunning;
    settings.ioBlock.ioOut[0] = 1;
    worker.Step();
    ASSERT_EQ(box.NextLine(), "O01");
    const uint32_t sent = clock.Now();
    // No poll while the echo is awaited.
    ExpectErrorJustPast(clock, worker, sent, 500, IoWorker::kErrorNoEcho,
                        [&] { EXPECT_EQ(box.Pending(), ""); });
    worker.Step();
    ASSERT_EQ(settings.workerPhase, IoWorker::kIdle);
}

TEST_F(TimeEdgesTest, IoRefreshStartsAfterTwoHundredMillisecondsAndFollowsTheSamples) {
    TestClock clock(TestClock::kStepped);
    const uint32_t start = clock.Now();
    IoWorker worker(link, settings, posts.Function());
    settings.workerPhase = IoWorker::kIdle;
    // Idle: only the refresh is ever due.
    const StepWake first = worker.Wake(start);
    EXPECT_FALSE(first.now);
    EXPECT_EQ(first.portFd, -1);
    EXPECT_EQ(first.due, start + 201);
    ExpectPostJustPast(clock, worker, start, 200, kPanelRefreshIo);

    // The window took its sample at that refresh: the next refresh is due 100 ms later (the
    // window samples at the first refresh at least 100 ms after its last sample).
    const uint32_t sampled = clock.Now();
    settings.ioBlock.ioLastSample = sampled;
    EXPECT_EQ(worker.Wake(sampled).due, sampled + 100);
    ExpectPostJustPast(clock, worker, sampled, 99, kPanelRefreshIo);
    // Not taken yet: asked again an interval later, not at every step.
    EXPECT_EQ(worker.Wake(sampled + 100).due, sampled + 200);
    clock.Set(sampled + 101);
    worker.Step();
    EXPECT_EQ(posts.Count(kPanelRefreshIo), 2);
    // Taken a little late: the next one is due an interval after the window's own sample.
    settings.ioBlock.ioLastSample = sampled + 103;
    EXPECT_EQ(worker.Wake(sampled + 103).due, sampled + 203);

    // An input change asks for a refresh at the step that saw it.
    settings.ioBlock.ioIn[5] = 1;
    clock.Set(sampled + 104);
    worker.Step();
    EXPECT_EQ(posts.Count(kPanelRefreshIo), 3);
    worker.Step();
    EXPECT_EQ(posts.Count(kPanelRefreshIo), 3);
}

// What wakes a waiting worker: a due time, bytes on its port, the window's changes and the stop
// request (on a clock the test holds still, so nothing but the source itself can wake it), the
// launcher's main word (set through the library, and written straight into the segment), a
// reply; and the pace: a worker with something to send still steps at most once a millisecond.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "device/box_sim_helper.h"
#include "panels/AdWorker.h"
#include "panels/DaWorker.h"
#include "panels/IoWorker.h"
#include "platform/waker.h"
#include "statlink.h"
#include "support/test_clock.h"
#include "support/test_port.h"
#include "worker_test_util.h"

namespace {

// A step that records the tick of each run and waits for what the test set.
struct Script {
    std::mutex lock;
    StepWake wake;
    std::vector<uint32_t> ticks;
    int drainFd = -1;  // read empty at each step (the port the step "reads")

    size_t Steps() {
        std::lock_guard<std::mutex> hold(lock);
        return ticks.size();
    }
    uint32_t LastTick() {
        std::lock_guard<std::mutex> hold(lock);
        return ticks.empty() ? 0 : ticks.back();
    }
};
class ScriptedStep : public PanelWorkerStep {
  public:
    explicit ScriptedStep(std::shared_ptr<Script> script) : script_(std::move(script)) {}
    void Step() override {
        std::lock_guard<std::mutex> hold(script_->lock);
        script_->ticks.push_back(TickCount());
        char buf[64];
        if (script_->drainFd >= 0) {
            while (read(script_->drainFd, buf, sizeof buf) > 0) {
            }
        }
    }
    StepWake Wake(uint32_t) const override {
        std::lock_guard<std::mutex> hold(script_->lock);
        return script_->wake;
    }

  private:
    std::shared_ptr<Script> script_;
};

// A real worker step with a count of its steps.
class CountedStep : public PanelWorkerStep {
  public:
    CountedStep(std::unique_ptr<PanelWorkerStep> inner, std::shared_ptr<std::atomic<int>> count)
        : inner_(std::move(inner)), count_(std::move(count)) {}
    void Step() override {
        ++*count_;
        inner_->Step();
    }
    StepWake Wake(uint32_t now) const override { return inner_->Wake(now); }

  private:
    std::unique_ptr<PanelWorkerStep> inner_;
    std::shared_ptr<std::atomic<int>> count_;
};

// Steps made in about ms milliseconds of real time.
int StepsWithin(const std::atomic<int>& steps, int ms) {
    const int before = steps.load();
    SleepForMs(ms);
    return steps.load() - before;
}

// The worker loop's 1 ms pace means a busy worker makes about one step per millisecond; an
// idle one makes none. Far below the pace, far above nothing: machine speed cannot make an idle
// worker look busy.
constexpr int kIdleWindowMs = 300;
constexpr int kIdleStepsAtMost = 10;

double NowMsExact() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

class WakeSourcesTest : public IsolatedTest {};

// A real worker step in the worker loop, on a box played by the test (COM 3), its steps counted.
class WorkerOnPty : public WakeSourcesTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(box.ok());
        ASSERT_NE(link.Open(Port(3)), kNoSerialHandle);
    }
    // Starts the loop with the step in the given phase, on settings.channelIndex.
    void StartCounted(std::unique_ptr<PanelWorkerStep> step, int32_t phase) {
        settings.workerPhase = phase;
        ASSERT_TRUE(worker.Start(std::make_unique<CountedStep>(std::move(step), steps),
                                 settings.channelIndex, &settings.workerPhase));
    }
    int32_t Error() const { return slk_GetChildErr(settings.channelIndex); }

    PtyBox box{env.comDir(), 3};
    SerialLink link;
    AppSettings settings;
    PostRecorder posts;
    std::shared_ptr<std::atomic<int>> steps = std::make_shared<std::atomic<int>>(0);
    PanelWorker worker{posts.Function()};  // last: it ends before what its thread uses
};

TEST_F(WakeSourcesTest, HeldClockOnlyTheSourceWakesTheWorker) {
    int pipeFds[2];
    ASSERT_EQ(pipe2(pipeFds, O_NONBLOCK | O_CLOEXEC), 0);
    auto script = std::make_shared<Script>();
    script->drainFd = pipeFds[0];
    AppSettings settings;
    PostRecorder posts;
    PanelWorker worker(posts.Function());
    {
        TestClock clock(TestClock::kHeld);
        const uint32_t start = clock.Now();
        script->wake.hasDue = true;
        script->wake.due = start + 50;
        ASSERT_TRUE(worker.Start(std::make_unique<ScriptedStep>(script), 1, &settings.workerPhase));
        ASSERT_TRUE(WaitFor([&] { return script->Steps() == 1; }));

        // A due time: at the tick before it nothing, at the tick itself the step.
        clock.Set(start + 49);
        ASSERT_TRUE(clock.Settled());
        EXPECT_EQ(script->Steps(), 1u);
        clock.Set(start + 50);
        ASSERT_TRUE(WaitFor([&] { return script->Steps() == 2; }));
        EXPECT_EQ(script->LastTick(), start + 50);

        // Nothing due: the time stands still from now on and only a source wakes the worker.
        {
            std::lock_guard<std::mutex> hold(script->lock);
            script->wake = StepWake{};
            script->wake.portFd = pipeFds[0];
        }
        clock.Set(start + 51);  // past the 1 ms pace after the last step
        ASSERT_TRUE(clock.Settled());
        EXPECT_EQ(script->Steps(), 2u);
        // Bytes on the port.
        ASSERT_EQ(write(pipeFds[1], "x", 1), 1);
        ASSERT_TRUE(WaitFor([&] { return script->Steps() == 3; }));
        clock.Set(start + 52);
        ASSERT_TRUE(clock.Settled());
        EXPECT_EQ(script->Steps(), 3u);
        // A change by the window.
        settings.daBlock.daVolts = 1.0;
        ASSERT_TRUE(WaitFor([&] { return script->Steps() == 4; }));

        // The pace: a step that has something to do at once waits for the next millisecond.
        {
            std::lock_guard<std::mutex> hold(script->lock);
            script->wake = StepWake::AtOnce();
        }
        RaiseWakers();
        clock.Set(start + 53);
        ASSERT_TRUE(WaitFor([&] { return script->Steps() >= 5; }));
        ASSERT_TRUE(clock.Settled());
        const size_t steps = script->Steps();
        EXPECT_EQ(script->LastTick(), start + 53);
        clock.Set(start + 54);
        ASSERT_TRUE(WaitFor([&] { return script->Steps() == steps + 1; }));
        ASSERT_TRUE(clock.Settled());
        EXPECT_EQ(script->Steps(), steps + 1);

        // The stop request (the window's wait for the end runs on the held clock too).
        {
            std::lock_guard<std::mutex> hold(script->lock);
            script->wake = StepWake{};
        }
        // Past the pace of a step a leftover wake-up may still cause: the worker waits for work.
        clock.Set(start + 56);
        ASSERT_TRUE(clock.Settled());
        clock.Set(start + 58);
        ASSERT_TRUE(clock.Settled());
        std::atomic<int> stopped{-1};
        std::thread window([&] { stopped = worker.Stop() ? 1 : 0; });
        EXPECT_TRUE(WaitFor([&] { return worker.stopFlag() == PanelWorker::kEnded; }));
        clock.Set(start + 59);
        window.join();
        EXPECT_EQ(stopped, 1);
    }
    close(pipeFds[0]);
    close(pipeFds[1]);
}

TEST_F(WorkerOnPty, IdleDaWorkerSleepsUntilTheWindowOrTheBoxHasSomething) {
    settings.channelIndex = 1;
    settings.daBlock.daRange = settings.daBlock.daSentRange = 0;
    StartCounted(std::make_unique<DaWorker>(link, settings, nullptr), DaWorker::kStart);
    ASSERT_TRUE(WaitFor([&] { return settings.workerPhase == DaWorker::kRunning; }));
    EXPECT_LE(StepsWithin(*steps, kIdleWindowMs), kIdleStepsAtMost);

    // The window's change goes out, the echo is taken, and the worker is idle again.
    settings.daBlock.daVolts = 5.0;
    EXPECT_EQ(box.NextLine(), "P7FFF");
    box.Send("P7FFF\n");
    EXPECT_TRUE(WaitFor([&] { return settings.daBlock.daSentVolts == 5.0; }));
    EXPECT_TRUE(WaitFor([&] { return !worker.Created() || StepsWithin(*steps, 50) == 0; }));
    EXPECT_LE(StepsWithin(*steps, kIdleWindowMs), kIdleStepsAtMost);
    EXPECT_EQ(Error(), 0);

    // The launcher's main word, set through the library: the close request reaches the window.
    slk_SetMainSta(1, 1);
    EXPECT_TRUE(WaitFor([&] { return posts.Count(kPanelCloseAsked) == 1; }));
    EXPECT_TRUE(worker.Stop());
}

TEST_F(WakeSourcesTest, MainWordWrittenStraightIntoTheSegmentIsSeen) {
    // Another tool may write the words without the library: the worker still sees them.
    const char* name = std::getenv("VANTREL_STATLINK");
    ASSERT_NE(name, nullptr);
    slk_SetMainSta(2, 0);  // the segment exists
    const int fd = shm_open(name, O_RDWR, 0600);
    ASSERT_GE(fd, 0);
    void* mapped = mmap(nullptr, 12 * sizeof(int32_t), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    ASSERT_NE(mapped, MAP_FAILED);
    auto* words = static_cast<std::atomic<int32_t>*>(mapped);

    AppSettings settings;
    PostRecorder posts;
    PanelWorker worker(posts.Function());
    auto script = std::make_shared<Script>();
    script->wake = StepWake{};  // nothing to do, ever
    ASSERT_TRUE(worker.Start(std::make_unique<ScriptedStep>(script), 2, &settings.workerPhase));
    ASSERT_TRUE(WaitFor([&] { return script->Steps() == 1; }));
    words[3 * 2].store(1);
    EXPECT_TRUE(WaitFor([&] { return posts.Count(kPanelCloseAsked) == 1; }));
    EXPECT_TRUE(worker.Stop());
    munmap(mapped, 12 * sizeof(int32_t));
}

TEST_F(WorkerOnPty, AdWorkerWakesForTheReplyAndKeepsThePace) {
    settings.channelIndex = 0;
    settings.adBlock.adRange = 1;
    StartCounted(std::make_unique<AdWorker>(link, settings, posts.Function()), AdWorker::kStart);
    // The first request waits for its reply without stepping.
    ASSERT_EQ(box.NextLine(), "B0");
    EXPECT_LE(StepsWithin(*steps, 100), kIdleStepsAtMost);
    // Each reply is taken as it comes (well inside its 500 ms), and the next request follows
    // no sooner than a millisecond after the step that read it.
    for (int i = 0; i < kAdInputs; ++i) {
        const double replied = NowMsExact();
        box.Send("B" + std::to_string(i) + "800\n");
        if (i + 1 == kAdInputs) break;
        EXPECT_EQ(box.NextLine(), "B" + std::to_string(i + 1));
        EXPECT_GE(NowMsExact() - replied, 1.0) << i;
    }
    EXPECT_TRUE(WaitFor([&] { return posts.Count(kPanelRefreshAd) == 1; }));
    EXPECT_EQ(Error(), 0);
    EXPECT_TRUE(worker.Stop());
}

TEST_F(WorkerOnPty, IoWorkerPollsAtThePaceAndSleepsInInterruptMode) {
    settings.channelIndex = 3;
    for (int i = 0; i < kIoBits; ++i) settings.ioBlock.ioSentOut[i] = -1;
    StartCounted(std::make_unique<IoWorker>(link, settings, posts.Function()), IoWorker::kStart);
    ASSERT_EQ(box.NextLine(), "O00");
    box.Send("O00\n");

    // The box answers every poll at once: the next poll still waits for the worker's pace, two
    // steps of at least a millisecond each (one sends, one reads the reply).
    const double from = NowMsExact();
    int polls = 0;
    while (NowMsExact() - from < 200) {
        ASSERT_EQ(box.NextLine(), "I");
        ++polls;
        box.Send("I00\n");
    }
    const double elapsed = NowMsExact() - from;
    EXPECT_LE(polls, elapsed / 2 + 2) << polls << " polls in " << elapsed << " ms";

    // Interrupt mode: no polls, no steps while nothing comes, and the box's report is taken.
    settings.ioBlock.ioIntEnable[0] = 1;
    std::string line;
    while ((line = box.NextLine()) == "I") box.Send("I00\n");
    EXPECT_EQ(line, "W01");
    EXPECT_TRUE(WaitFor([&] { return StepsWithin(*steps, 30) <= 1; }));
    EXPECT_LE(StepsWithin(*steps, kIdleWindowMs), kIdleStepsAtMost);
    EXPECT_EQ(box.Pending(), "");
    box.Send("W81\n");
    EXPECT_TRUE(WaitFor([&] { return settings.ioBlock.ioIn[7] == 1; }));
    EXPECT_EQ(Error(), 0);
    EXPECT_TRUE(worker.Stop());
}

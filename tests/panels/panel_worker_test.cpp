// The worker loop shared by the panels: close request, stop, and the 10-second stop limit.
#include <memory>

#include "panels/PanelWorker.h"
#include "settings/AppSettings.h"
#include "statlink.h"
#include "worker_test_util.h"

namespace {

class CountingStep : public PanelWorkerStep {
  public:
    explicit CountingStep(std::shared_ptr<std::atomic<int>> steps) : steps_(std::move(steps)) {}
    void Step() override { ++*steps_; }

  private:
    std::shared_ptr<std::atomic<int>> steps_;
};

// A step that hangs until released, as a write to a stuck port would; then it posts a refresh.
struct HangState {
    std::atomic<bool> entered{false};
    std::atomic<bool> release{false};
    std::atomic<bool> done{false};
};
class HangingStep : public PanelWorkerStep {
  public:
    HangingStep(std::shared_ptr<HangState> state, PostToWindow post)
        : state_(std::move(state)), post_(std::move(post)) {}
    void Step() override {
        state_->entered = true;
        while (!state_->release) SleepMs(1);
        post_(kPanelRefreshAd);
        state_->done = true;
    }

  private:
    std::shared_ptr<HangState> state_;
    PostToWindow post_;
};

}  // namespace

class PanelWorkerTest : public IsolatedTest {};

TEST_F(PanelWorkerTest, CloseRequestIsPostedOnceAndStopEndsTheLoop) {
    AppSettings settings;
    PostRecorder posts;
    PanelWorker worker(posts.Function());
    auto steps = std::make_shared<std::atomic<int>>(0);
    EXPECT_FALSE(worker.Created());
    ASSERT_TRUE(worker.Start(std::make_unique<CountingStep>(steps), 3, &settings.workerPhase));
    EXPECT_FALSE(worker.Start(std::make_unique<CountingStep>(steps), 3, &settings.workerPhase));
    settings.workerPhase = 7;
    EXPECT_EQ(worker.stopFlag(), PanelWorker::kRun);

    // Another channel's main word is none of this worker's business.
    slk_SetMainSta(2, 1);
    ASSERT_TRUE(WaitFor([&] { return *steps > 20; }));
    EXPECT_EQ(posts.Posts().size(), 0u);

    // The launcher sets the main word to 1, and again after a while: one close request.
    slk_SetMainSta(3, 1);
    ASSERT_TRUE(WaitFor([&] { return posts.Count(kPanelCloseAsked) == 1; }));
    slk_SetMainSta(3, 0);
    int seen = *steps;
    ASSERT_TRUE(WaitFor([&] { return *steps > seen + 20; }));
    slk_SetMainSta(3, 1);
    seen = *steps;
    ASSERT_TRUE(WaitFor([&] { return *steps > seen + 50; }));
    EXPECT_EQ(posts.Count(kPanelCloseAsked), 1);
    EXPECT_EQ(posts.Posts().size(), 1u);

    EXPECT_TRUE(worker.Stop());
    EXPECT_EQ(worker.stopFlag(), PanelWorker::kEnded);
    EXPECT_EQ(settings.workerPhase, 0);
    EXPECT_FALSE(worker.Created());
    seen = *steps;
    SleepForMs(50);
    EXPECT_EQ(*steps, seen);
    EXPECT_TRUE(worker.Stop());  // nothing left to stop
}

TEST_F(PanelWorkerTest, StopGivesUpAfterItsLimitAndTheWindowHearsNoMore) {
    AppSettings settings;
    PostRecorder posts;
    auto state = std::make_shared<HangState>();
    {
        PanelWorker worker(posts.Function());
        ASSERT_TRUE(worker.Start(std::make_unique<HangingStep>(state, worker.Poster()), 0,
                                 &settings.workerPhase));
        auto kept = std::make_shared<int>(42);
        std::weak_ptr<int> keptWeak = kept;
        worker.KeepAlive(std::move(kept));
        ASSERT_TRUE(WaitFor([&] { return state->entered.load(); }));

        EXPECT_FALSE(worker.Stop(200));
        EXPECT_FALSE(worker.Created());
        // The thread still runs and keeps what it may use.
        EXPECT_FALSE(keptWeak.expired());
        state->release = true;
        ASSERT_TRUE(WaitFor([&] { return state->done.load(); }));
        // The thread ends by itself once its step returns, and lets go of what it kept.
        EXPECT_TRUE(WaitFor([&] { return keptWeak.expired(); }));
    }
    // The refresh the late step posted never reached the window that had given up on it.
    EXPECT_EQ(posts.Posts().size(), 0u);
}

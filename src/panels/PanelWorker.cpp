#include "panels/PanelWorker.h"

#include <mutex>
#include <system_error>
#include <vector>

#include "platform/clock.h"
#include "statlink.h"

// What the worker thread shares with the window. Held by both through a shared pointer, so a
// worker that outlives the stop limit still finds it.
struct PanelWorker::Shared {
    RelaxedAtomic<int32_t> stopFlag{PanelWorker::kRun};
    std::unique_ptr<PanelWorkerStep> step;
    std::vector<std::shared_ptr<void>> keptAlive;

    // The window's post function. The lock only makes sure it is never called once the window
    // has let go of the worker (Stop returned); the worker never waits for the window's thread.
    std::mutex postLock;
    PostToWindow post;

    void Post(int wParam) {
        std::lock_guard<std::mutex> hold(postLock);
        if (post) post(wParam);
    }
};

PanelWorker::PanelWorker(PostToWindow post)
    : windowPost_(std::move(post)), shared_(std::make_shared<Shared>()) {}

PanelWorker::~PanelWorker() {
    Stop();
}

PostToWindow PanelWorker::Poster() const {
    // Weak: the step that holds this function is itself held by the shared state.
    std::weak_ptr<Shared> weak = shared_;
    return [weak](int wParam) {
        if (std::shared_ptr<Shared> shared = weak.lock()) shared->Post(wParam);
    };
}

int32_t PanelWorker::stopFlag() const {
    return shared_->stopFlag.load();
}

void PanelWorker::SetStopFlag(int32_t value) {
    shared_->stopFlag.store(value);
}

void PanelWorker::KeepAlive(std::shared_ptr<void> object) {
    if (Created()) {
        shared_->keptAlive.push_back(std::move(object));
    }
}

bool PanelWorker::Start(std::unique_ptr<PanelWorkerStep> step, int channelIndex,
                        RelaxedAtomic<int32_t>* workerPhase) {
    if (Created() || !step || !workerPhase) return false;
    shared_->step = std::move(step);
    shared_->keptAlive.clear();
    shared_->stopFlag.store(kRun);
    {
        std::lock_guard<std::mutex> hold(shared_->postLock);
        shared_->post = windowPost_;
    }
    try {
        thread_ = std::thread(&PanelWorker::Loop, shared_, channelIndex, workerPhase);
    } catch (const std::system_error&) {
        shared_->step.reset();
        return false;
    }
    return true;
}

void PanelWorker::Loop(std::shared_ptr<Shared> shared, int channelIndex,
                       RelaxedAtomic<int32_t>* workerPhase) {
    bool closeAsked = false;
    while (shared->stopFlag.load() == kRun) {
        shared->step->Step();
        // The launcher asks the panel to end with main word 1; the window hears it once.
        if (slk_GetMainSta(channelIndex) == 1 && !closeAsked) {
            shared->Post(kPanelCloseAsked);
            closeAsked = true;
        }
        SleepMs(1);
    }
    workerPhase->store(0);
    shared->stopFlag.store(kEnded);
}

bool PanelWorker::Stop(uint32_t limitMs) {
    if (!Created()) return true;
    shared_->stopFlag.store(kStopAsked);
    const uint32_t start = TickCount();
    while (shared_->stopFlag.load() != kEnded && TickCount() - start <= limitMs) {
        SleepMs(1);
    }
    const bool ended = shared_->stopFlag.load() == kEnded;
    {
        std::lock_guard<std::mutex> hold(shared_->postLock);
        shared_->post = nullptr;
    }
    if (ended) {
        thread_.join();
        shared_->step.reset();
        shared_->keptAlive.clear();
    } else {
        // The thread still holds its step and the kept objects through its own shared pointer.
        thread_.detach();
        shared_ = std::make_shared<Shared>();
    }
    return ended;
}

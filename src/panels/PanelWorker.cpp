#include "panels/PanelWorker.h"

#include <mutex>
#include <system_error>
#include <vector>

#include "coordination/status_watch.h"
#include "platform/clock.h"
#include "platform/waker.h"
#include "platform/waking_value.h"
#include "statlink.h"

// What the worker thread shares with the window. Held by both through a shared pointer, so a
// worker that outlives the stop limit still finds it.
struct PanelWorker::Shared {
    // A stop request wakes the waiting worker at once.
    WakingValue<int32_t> stopFlag{PanelWorker::kRun};
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

void StepWake::DueAt(uint32_t tick, uint32_t now) {
    if (!hasDue || TicksSince(now, tick) < TicksSince(now, due)) due = tick;
    hasDue = true;
}

namespace {

bool HungUp(const pollfd& fd) {
    return (fd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

// The pause between two steps, after the 1 ms pace: returns when the step has something to do
// (StepWake), the window changed a value the worker reads or asked it to stop, or a status word
// changed (the waker, for all three), or the main word asks for an end the window has not heard
// of yet. Without the status words' watch the worker looks at its main word every 10 ms.
void WaitForWork(const WakingValue<int32_t>& stopFlag, const PanelWorkerStep& step, Waker& waker,
                 int channelIndex, bool closeAsked, bool watched) {
    // A port that hung up (a box unplugged) reads as ready for ever with nothing to read; it is
    // left out for the rest of this pause rather than spun on.
    bool portHungUp = false;
    while (stopFlag.load() == PanelWorker::kRun) {
        // Watched, a change of the word raises the waker, so only the unwatched wait looks.
        if (!watched && !closeAsked && slk_GetMainSta(channelIndex) == 1) return;
        const uint32_t now = TickCount();
        const StepWake wake = step.Wake(now);
        if (wake.now) return;
        int timeoutMs = -1;
        if (wake.hasDue) {
            const int32_t left = TicksSince(now, wake.due);
            if (left <= 0) return;
            timeoutMs = left;
        }
        if (!watched && (timeoutMs < 0 || timeoutMs > kStatusLookMs)) timeoutMs = kStatusLookMs;
        pollfd fds[2] = {{waker.fd(), POLLIN, 0}, {wake.portFd, POLLIN, 0}};
        const int count = wake.portFd >= 0 && !portHungUp ? 2 : 1;
        const int ready = WaitReadable(fds, count, timeoutMs);
        if (ready < 0) {
            SleepMs(1);  // cannot wait on the descriptors: step at the plain pace
            return;
        }
        if (ready == 0) continue;  // a due time, or the look at the main word
        if (fds[0].revents != 0) {
            waker.Clear();
            return;
        }
        if (count == 2 && fds[1].revents != 0) {
            if (!HungUp(fds[1])) return;
            portHungUp = true;
        }
    }
}

}  // namespace

void PanelWorker::Loop(std::shared_ptr<Shared> shared, int channelIndex,
                       RelaxedAtomic<int32_t>* workerPhase) {
    // Raised by the window's changes to the values the worker reads, by the stop request and by
    // the status words.
    Waker waker;
    const bool watched = WatchStatusWords();
    bool closeAsked = false;
    // Watched, the main word is read again only after the words changed; the first step reads it.
    unsigned wordsReadAt = StatusWordChanges() - 1;
    while (shared->stopFlag.load() == kRun) {
        shared->step->Step();
        // The launcher asks the panel to end with main word 1; the window hears it once.
        const unsigned changes = StatusWordChanges();
        if (!closeAsked && (!watched || changes != wordsReadAt) &&
            slk_GetMainSta(channelIndex) == 1) {
            shared->Post(kPanelCloseAsked);
            closeAsked = true;
        }
        wordsReadAt = changes;
        // The pace: a step that has something to do runs no sooner than 1 ms after the last.
        SleepMs(1);
        WaitForWork(shared->stopFlag, *shared->step, waker, channelIndex, closeAsked, watched);
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

// The worker thread of a panel: runs the panel's worker step at most once a millisecond and only
// when the step has something to do (see StepWake), passes the launcher's close request (main
// word 1) to the window once, and ends when the window asks it to stop.
//
// The worker never touches a widget. It reaches the window only through the post function the
// window hands over (in the panels: PostUserMessage of WM_USER+100 with the given wParam).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "platform/relaxed_atomic.h"

// Posts WM_USER+100 with this wParam (and lParam 0) to the panel window.
using PostToWindow = std::function<void(int wParam)>;

// wParam values of WM_USER+100 for a panel window.
enum PanelMessage : int {
    kPanelRefreshIo = 1,
    kPanelRefreshAd = 2,
    kPanelCloseAsked = 4,
};

// A tick the workers remember a request by: 0 stands for "none", so a real 0 is taken as 1.
inline uint32_t NonZeroTick(uint32_t tick) {
    return tick == 0 ? 1 : tick;
}

// What a worker's next step waits for. The loop runs the next step no sooner than 1 ms after
// this one (the worker's pace) and then as soon as any of these holds, or the window changed a
// value the worker reads, or the launcher's main word changed.
struct StepWake {
    bool now = false;     // the step has something to do at once (send, or read what waits)
    int portFd = -1;      // wake when bytes arrive on this descriptor (-1: none)
    bool hasDue = false;  // wake when the tick count reaches due
    uint32_t due = 0;

    static StepWake AtOnce() {
        StepWake w;
        w.now = true;
        return w;
    }
    // Adds a due time; the earlier of two due times counts.
    void DueAt(uint32_t tick, uint32_t now);
};

// The first tick at which "more than limitMs have passed since start" holds.
inline uint32_t TickPast(uint32_t start, uint32_t limitMs) {
    return start + limitMs + 1;
}

// One step of a panel's worker (A/D, D/A or I/O). Runs on the worker thread only; its state is
// the worker's own.
class PanelWorkerStep {
  public:
    virtual ~PanelWorkerStep() = default;
    virtual void Step() = 0;
    // What the next step waits for, asked right after Step() with the tick count of now. A step
    // that does not say runs about every millisecond.
    virtual StepWake Wake(uint32_t now) const {
        (void)now;
        return StepWake::AtOnce();
    }
};

class PanelWorker {
  public:
    // stopFlag values: the window may let the worker run, asks it to stop, the worker has ended.
    enum StopState : int32_t { kRun = 0, kStopAsked = 1, kEnded = 2 };
    static constexpr uint32_t kStopLimitMs = 10000;

    // post is the window's own post function; the worker and its step call it only through
    // Poster(), which stops calling it once Stop() has returned, so a window that gave up on a
    // hanging worker can go away safely.
    explicit PanelWorker(PostToWindow post);
    // Stops a running worker (with the usual limit).
    ~PanelWorker();
    PanelWorker(const PanelWorker&) = delete;
    PanelWorker& operator=(const PanelWorker&) = delete;

    // The guarded post function for the worker step.
    PostToWindow Poster() const;

    // Starts the worker loop on its own thread with stopFlag 0. channelIndex picks the status
    // words; workerPhase is the phase word the loop clears as it ends (it must outlive the
    // worker). False when a worker is already there or the thread cannot be made.
    bool Start(std::unique_ptr<PanelWorkerStep> step, int channelIndex,
               RelaxedAtomic<int32_t>* workerPhase);

    // Sets stopFlag to 1 (waking the worker) and polls every millisecond until the worker sets it
    // to 2 or limitMs have passed. True when the worker ended in time; otherwise the thread is left
    // to finish on its own (it keeps its step and whatever KeepAlive() was given). Afterwards no
    // worker.
    bool Stop(uint32_t limitMs = kStopLimitMs);

    // Keeps an object alive for as long as the running worker may still use it (the serial link
    // its step talks through, should the worker outlive the stop limit). Call after Start().
    void KeepAlive(std::shared_ptr<void> object);

    bool Created() const { return thread_.joinable(); }
    int32_t stopFlag() const;
    void SetStopFlag(int32_t value);

  private:
    struct Shared;
    static void Loop(std::shared_ptr<Shared> shared, int channelIndex,
                     RelaxedAtomic<int32_t>* workerPhase);

    PostToWindow windowPost_;
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

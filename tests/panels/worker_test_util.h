// Helpers for driving the panels' worker steps from a test thread and recording what a worker
// posts to its window.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "panels/PanelWorker.h"
#include "platform/clock.h"
#include "pty_box.h"
#include "support/test_env.h"

// Runs step.Step() with the worker loop's 1 ms pause until cond holds or timeoutMs passes.
template <class Cond>
bool StepUntil(PanelWorkerStep& step, Cond cond, int timeoutMs = 30000) {
    const int64_t end = NowMs() + timeoutMs;
    while (!cond()) {
        if (NowMs() > end) return false;
        step.Step();
        SleepMs(1);
    }
    return true;
}

// Runs the step for about ms milliseconds.
inline void StepFor(PanelWorkerStep& step, int ms) {
    const int64_t end = NowMs() + ms;
    while (NowMs() < end) {
        step.Step();
        SleepMs(1);
    }
}

// Steps the worker until the box has received the next command line, and returns it.
inline std::string NextRequest(PanelWorkerStep& worker, PtyBox& box) {
    StepUntil(worker, [&] { return box.Pending().find('\n') != std::string::npos; });
    return box.NextLine(0);
}

// The posts a worker made: wParam and the moment, in order.
class PostRecorder {
  public:
    struct Post {
        int wParam;
        int64_t atMs;
    };
    PostToWindow Function() {
        return [this](int wParam) {
            std::lock_guard<std::mutex> hold(lock_);
            posts_.push_back({wParam, NowMs()});
        };
    }
    std::vector<Post> Posts() const {
        std::lock_guard<std::mutex> hold(lock_);
        return posts_;
    }
    int Count(int wParam) const {
        int n = 0;
        for (const Post& p : Posts()) n += p.wParam == wParam ? 1 : 0;
        return n;
    }

  private:
    mutable std::mutex lock_;
    std::vector<Post> posts_;
};

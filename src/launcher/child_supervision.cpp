#include "launcher/child_supervision.h"

#include <unistd.h>

#include "coordination/StatusWords.h"
#include "coordination/status_watch.h"
#include "launcher/launcher_texts.h"
#include "launcher/open_failure_note.h"
#include "platform/clock.h"
#include "platform/process_spawn.h"
#include "platform/waker.h"

namespace {
// Catalog message 1, "COMのセットアップに失敗しました。": a panel could not open its port.
constexpr int32_t kMessageComSetupFailed = 1;

// Ended panels are reaped as soon as their process descriptor says so. A sweep runs besides
// this often while any panel runs: for one started after the wait began, and as the only way
// where the kernel gives no process descriptors. A zombie costs nothing meanwhile.
constexpr uint32_t kSweepEveryMs = 1000;
constexpr uint32_t kSweepWithoutEndFdsMs = 100;
// More running children than this are swept on the short timer instead.
constexpr int kWatchedEnds = 16;

// The pause between two passes, after the 1 ms pace. The waker is raised by the window's stop
// request and by every change of a status word; without the status words' watch the thread looks
// at the words every 10 ms. True when ended children are to be reaped now.
bool WaitForPass(const SupervisorShared& shared, Waker& waker, uint32_t lastReap, bool watched) {
    for (;;) {
        if (shared.state.load() != SupervisorShared::kRunning) return false;
        if (ChildWordsWaiting()) return false;
        const uint32_t now = TickCount();
        int timeoutMs = watched ? -1 : kStatusLookMs;
        pollfd fds[1 + kWatchedEnds];
        fds[0] = {waker.fd(), POLLIN, 0};
        int count = 1;
        if (SpawnedChildrenRunning() > 0) {
            int ends[kWatchedEnds];
            const int endCount = SpawnedChildEndFds(ends, kWatchedEnds);
            for (int i = 0; i < endCount; ++i) fds[count++] = {ends[i], POLLIN, 0};
            const uint32_t every = endCount < 0 ? kSweepWithoutEndFdsMs : kSweepEveryMs;
            const int32_t left = TicksSince(now, lastReap + every);
            if (left <= 0) return true;
            if (timeoutMs < 0 || left < timeoutMs) timeoutMs = left;
        }
        const int ready = WaitReadable(fds, count, timeoutMs);
        if (ready < 0) {
            SleepMs(1);
            return false;
        }
        if (ready == 0) continue;
        if (fds[0].revents != 0) waker.Clear();
        for (int i = 1; i < count; ++i) {
            if (fds[i].revents != 0) return true;
        }
        return false;
    }
}

}  // namespace

bool ChildWordsWaiting() {
    for (int i = 0; i < kChannelCount; ++i) {
        if (GetChildStatus(i) == status::kChildEnded || GetChildError(i) != 0) return true;
    }
    return false;
}

void SupervisorShared::MirrorRows(const AppSettings& settings) {
    for (int i = 0; i < kChannelCount; ++i) {
        mode[i] = settings.chMode[i];
        com[i] = settings.chCom[i];
    }
}

void SupervisePass(SupervisorShared& shared, AppSettings& settings, SupervisionSink& sink) {
    for (int i = 0; i < kChannelCount; ++i) {
        if (GetChildStatus(i) == status::kChildEnded) {
            SetChildStatus(i, status::kChildNone);
            settings.chRunning[i] = 0;
            sink.RowsChanged();
            // The type is the row's type now, which the user may have changed since the start.
            sink.LogText(PanelEndedText(shared.mode[i], i, shared.com[i]).c_str());
        }
        const int32_t code = GetChildError(i);
        if (code != 0) {
            SetChildError(i, 0);
            std::string line = ChildErrorText(i, code, shared.com[i]);
            // A port the panel could not open: what the system said about it.
            if (code == kMessageComSetupFailed) {
                line += OpenFailureNote(settings.launcherIni, shared.mode[i], shared.com[i]);
            }
            sink.LogText(line.c_str());
        }
    }
}

int SuperviseChannels(SupervisorShared& shared, AppSettings& settings, SupervisionSink& sink) {
    shared.threadId = static_cast<int32_t>(gettid());
    // Raised by the window's stop request and by changes of the status words.
    Waker waker;
    const bool watched = WatchStatusWords();
    uint32_t lastReap = TickCount();
    bool reapNow = false;
    while (shared.state.load() == SupervisorShared::kRunning) {
        SupervisePass(shared, settings, sink);
        if (reapNow) {
            lastReap = TickCount();
            ReapSpawnedChildren();
        }
        SleepMs(1);
        reapNow = WaitForPass(shared, waker, lastReap, watched);
    }
    shared.state.store(SupervisorShared::kFinished);
    return 0;
}

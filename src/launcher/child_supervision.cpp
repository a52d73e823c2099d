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

// Ended panel processes are reaped this often while any runs; a zombie costs nothing meanwhile.
constexpr uint32_t kReapEveryMs = 100;
// The pause between two passes, after the 1 ms pace. The waker is raised by the window's stop
// request and by every change of a status word; without the status words' watch the thread looks
// at the words every 10 ms.
void WaitForPass(const SupervisorShared& shared, Waker& waker, uint32_t lastReap, bool watched) {
    for (;;) {
        if (shared.state.load() != SupervisorShared::kRunning) return;
        if (ChildWordsWaiting()) return;
        const uint32_t now = TickCount();
        int timeoutMs = watched ? -1 : kStatusLookMs;
        if (SpawnedChildrenRunning() > 0) {
            const int32_t left = TicksSince(now, lastReap + kReapEveryMs);
            if (left <= 0) return;
            if (timeoutMs < 0 || left < timeoutMs) timeoutMs = left;
        }
        pollfd wake{waker.fd(), POLLIN, 0};
        const int ready = WaitReadable(&wake, 1, timeoutMs);
        if (ready < 0) {
            SleepMs(1);
            return;
        }
        if (ready > 0) {
            waker.Clear();
            return;
        }
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
    while (shared.state.load() == SupervisorShared::kRunning) {
        SupervisePass(shared, settings, sink);
        if (TicksSince(lastReap, TickCount()) >= static_cast<int32_t>(kReapEveryMs)) {
            lastReap = TickCount();
            ReapSpawnedChildren();
        }
        SleepMs(1);
        WaitForPass(shared, waker, lastReap, watched);
    }
    shared.state.store(SupervisorShared::kFinished);
    return 0;
}

#include "launcher/child_supervision.h"

#include <unistd.h>

#include "coordination/StatusWords.h"
#include "launcher/launcher_texts.h"
#include "launcher/open_failure_note.h"
#include "platform/clock.h"
#include "platform/process_spawn.h"

namespace {
// Catalog message 1, "COMのセットアップに失敗しました。": a panel could not open its port.
constexpr int32_t kMessageComSetupFailed = 1;
}  // namespace

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
    // Ended panels are reaped every so often; a zombie costs nothing meanwhile.
    constexpr int kReapEvery = 100;
    int pass = 0;
    while (shared.state.load() == SupervisorShared::kRunning) {
        SupervisePass(shared, settings, sink);
        if (++pass >= kReapEvery) {
            pass = 0;
            ReapSpawnedChildren();
        }
        SleepMs(1);
    }
    shared.state.store(SupervisorShared::kFinished);
    return 0;
}

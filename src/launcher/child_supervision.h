// The supervision of the panel processes: a thread that looks at the child words of the four
// channels whenever one changes (at most once a millisecond), marks a row stopped when its panel
// reports its end, and turns a panel's error code into a log line. It never touches a window; it
// reports through a SupervisionSink (posting to the launcher window).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "platform/waking_value.h"
#include "settings/AppSettings.h"

// What the launcher window and its supervision thread share.
struct SupervisorShared {
    enum : int32_t { kRunning = 0, kStopRequested = 1, kFinished = 2 };

    // supervisorState: 0 runs, 1 stop requested (window), 2 finished (thread, its last act).
    // Sequentially consistent: the window relies on everything the thread did before it wrote 2.
    // A store wakes the waiting thread.
    WakingValue<int32_t, std::memory_order_seq_cst> state{kRunning};

    // The rows' device type and COM number as the window last set them. The window keeps these
    // copies of chMode and chCom, which are plain fields of the record, so that the thread reads
    // them without a data race.
    std::array<SharedInt, kChannelCount> mode{};
    std::array<SharedInt, kChannelCount> com{};

    // The thread's kernel thread id, published as soon as it runs (0 before).
    SharedInt threadId{0};

    // Copies chMode and chCom of settings into mode and com.
    void MirrorRows(const AppSettings& settings);
};

// Where the thread's reports go.
class SupervisionSink {
  public:
    virtual ~SupervisionSink() = default;
    // Redraw the channel rows (WM_USER+100, wParam 3).
    virtual void RowsChanged() = 0;
    // Hand a text to the log (PostLogText).
    virtual void LogText(const char* text) = 0;
};

// True when a pass has something to do: a child status of 3 or a non-zero child error waits.
bool ChildWordsWaiting();

// One pass over rows 0 to 3: a child status of 3 is reset to 0, the row's chRunning cleared, the
// rows redrawn and the end line logged; then a non-zero child error is reset and logged (message
// 1 with what the system said about the row's COM entry, when the panel kept a reason).
void SupervisePass(SupervisorShared& shared, AppSettings& settings, SupervisionSink& sink);

// The thread procedure: passes while state is 0, then state = 2; also reaps ended panel
// processes now and then. Returns 0. Between passes it sleeps 1 ms and then until a pass has
// something to do (a child status 3 or a child error waits), the window asks it to stop, or a
// panel process is due to be reaped.
int SuperviseChannels(SupervisorShared& shared, AppSettings& settings, SupervisionSink& sink);

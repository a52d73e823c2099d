// The D/A panel's worker step: sends "Phhhh" whenever the window changed the set voltage or the
// range, one command at a time, and checks the box's echo against the command built from the
// values in effect when the echo arrives.
//
// workerPhase: 4 start (100 ms pause, input purged) -> 5 running -> 6 failed (error 12 or 13
// published) -> 0 idle. After a failure nothing more is sent.
#pragma once

#include <cstdint>

#include "device/SerialLink.h"
#include "panels/PanelWorker.h"
#include "panels/ReplyLine.h"
#include "settings/AppSettings.h"

class DaWorker : public PanelWorkerStep {
  public:
    enum Phase : int32_t { kIdle = 0, kStart = 4, kRunning = 5, kFailed = 6 };
    static constexpr uint32_t kEchoLimitMs = 500;
    static constexpr uint32_t kStartPauseMs = 100;
    static constexpr int kReadPerStep = 10;
    static constexpr int kEchoLength = 5;     // "P" and four digits
    static constexpr int kErrorNoEcho = 12;   // "QVX-D/A 出力指示失敗"
    static constexpr int kErrorBadEcho = 13;  // "QVX-D/A 出力指示失敗2"

    // post is not used: the D/A window updates itself after its own changes.
    DaWorker(SerialLink& link, AppSettings& settings, PostToWindow post);
    void Step() override;
    // Running: wakes for the box's bytes, for the echo's time-out while a command waits, and
    // (through the waker) for the window's changes of the value or the range.
    StepWake Wake(uint32_t now) const override;

    // True while a command waits for its echo; may be read from the window's thread.
    bool waitingForEcho() const { return requestTime_.load() != 0; }

  private:
    void Run();
    void SendIfChanged();
    void ReadEcho();

    SerialLink& link_;
    AppSettings& settings_;
    PostToWindow post_;

    RelaxedAtomic<uint32_t> requestTime_{0};  // tick of the command waiting for its echo; 0 none
    ReplyLine reply_;
};

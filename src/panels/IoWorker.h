// The I/O panel's worker step: sends the output image "Ohh" whenever the window changed an
// output, polls the inputs with "I" (or, with an interrupt mask "Whh" set, takes the box's own
// "Whh" reports), and never has more than one command waiting for its answer.
//
// workerPhase: 1 start (first output command and its echo) -> 2 running -> 3 failed (one of the
// errors 4 to 8 published) -> 0 idle. After a failure nothing more is sent.
// From 200 ms after the worker began, a step posts the refresh (wParam 1) when the window has
// something to do: the first time, when an input changed, and when the graph's next 100 ms
// sample is due.
#pragma once

#include <cstdint>

#include "device/SerialLink.h"
#include "panels/PanelWorker.h"
#include "panels/ReplyLine.h"
#include "settings/AppSettings.h"

class IoWorker : public PanelWorkerStep {
  public:
    enum Phase : int32_t { kIdle = 0, kStart = 1, kRunning = 2, kFailed = 3 };
    static constexpr uint32_t kReplyLimitMs = 500;
    static constexpr uint32_t kStartPauseMs = 100;
    static constexpr uint32_t kRefreshAfterMs = 200;
    static constexpr int kReadPerStep = 10;
    static constexpr int kEchoLength = 3;         // "O" and two hex digits
    static constexpr int kErrorStartBadEcho = 4;  // "QVX-I/O 初期化処理失敗1"
    static constexpr int kErrorStartNoReply = 5;  // "QVX-I/O 初期化処理失敗2"
    static constexpr int kErrorNoEcho = 6;        // "QVX-I/O IO出力失敗"
    static constexpr int kErrorNoInputReply = 7;  // "QVX-I/O IO入力確認失敗"
    static constexpr int kErrorBadEcho = 8;       // "QVX-I/O IO出力失敗2"

    IoWorker(SerialLink& link, AppSettings& settings, PostToWindow post);
    void Step() override;
    // Running: polls at the loop's pace; waits for an answer, the box's own reports in interrupt
    // mode, the window's changes and the next refresh due.
    StepWake Wake(uint32_t now) const override;

    // The worker's own state, for the thread that steps it.
    bool waitingForInput() const { return inputRequestTime_ != 0; }
    bool interruptMode() const { return interruptMode_ != 0; }

  private:
    void Start();
    void Run();
    void SendOutputs();
    void SendInterruptMask();
    void PollInputs();
    void ReadReplies();
    void Fail(int code);
    void PostRefresh();
    // When the refresh that lets the window take its next graph sample is due.
    uint32_t SampleDue() const;

    SerialLink& link_;
    AppSettings& settings_;
    PostToWindow post_;

    uint32_t startTime_;
    uint32_t inputRequestTime_ = 0;   // tick of the waiting "I"; 0 none
    uint32_t outputRequestTime_ = 0;  // tick of the waiting "Ohh"; 0 none
    int32_t interruptMode_ = 0;       // 1 while the box reports by itself
    bool refreshed_ = false;          // the first refresh has been asked for
    uint32_t sampleAskedAt_ = 0;      // the last refresh asked for a sample, from the first on
    int32_t postedIn_[kIoBits] = {};  // the inputs as the last refresh asked for showed them
    ReplyLine reply_;
};

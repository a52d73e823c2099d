// The A/D panel's worker step: asks the eight inputs in turn ("Un" or "Bn"), one request at a
// time, converts each reply into adBlock, and once per cycle (eight replies, and more than
// 500 ms since the last refresh) asks the window to refresh.
//
// workerPhase: 7 start (100 ms pause) -> 8 cycling -> 9 failed (error 15 published) -> 0 idle.
#pragma once

#include <cstdint>

#include "device/SerialLink.h"
#include "panels/PanelWorker.h"
#include "panels/ReplyLine.h"
#include "settings/AppSettings.h"

class AdWorker : public PanelWorkerStep {
  public:
    enum Phase : int32_t { kIdle = 0, kStart = 7, kCycling = 8, kFailed = 9 };
    static constexpr uint32_t kReplyLimitMs = 500;
    static constexpr uint32_t kCycleMs = 500;
    static constexpr uint32_t kStartPauseMs = 100;
    static constexpr int kReadPerStep = 10;
    static constexpr int kErrorNoReply = 15;  // "QVX-A/D 入力確認に失敗"

    AdWorker(SerialLink& link, AppSettings& settings, PostToWindow post);
    void Step() override;
    // Cycling: a request waiting for its reply wakes for the reply or its time-out; after the
    // eighth reply only the cycle's end (more than 500 ms after the last) is due.
    StepWake Wake(uint32_t now) const override;

    int requestIndex() const { return requestIndex_; }

  private:
    void Cycle();
    void SendRequest();
    void ReadReply();

    SerialLink& link_;
    AppSettings& settings_;
    PostToWindow post_;

    int requestIndex_ = 0;      // replies received in this cycle, 0..8
    uint32_t requestTime_ = 0;  // tick of the request waiting for its reply; 0 none
    uint32_t cycleTime_ = 0;    // tick of the last cycle end
    ReplyLine reply_;
};

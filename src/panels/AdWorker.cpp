#include "panels/AdWorker.h"

#include "device/box_commands.h"
#include "platform/clock.h"
#include "statlink.h"

AdWorker::AdWorker(SerialLink& link, AppSettings& settings, PostToWindow post)
    : link_(link), settings_(settings), post_(std::move(post)) {}

void AdWorker::Step() {
    switch (settings_.workerPhase.load()) {
        case kStart:
            SleepMs(kStartPauseMs);
            requestIndex_ = 0;
            requestTime_ = 0;
            cycleTime_ = TickCount();
            settings_.workerPhase = kCycling;
            break;
        case kCycling:
            Cycle();
            break;
        case kFailed:
            settings_.workerPhase = kIdle;
            requestTime_ = 0;
            reply_.Clear();
            break;
        default:
            break;
    }
}

StepWake AdWorker::Wake(uint32_t now) const {
    const int32_t phase = settings_.workerPhase.load();
    if (phase == kStart || phase == kFailed) return StepWake::AtOnce();
    StepWake wake;
    if (phase != kCycling) return wake;  // idle: nothing more to do
    if (requestIndex_ >= kAdInputs) {
        // The cycle's step reads nothing: bytes that come meanwhile wait for the next request.
        wake.DueAt(TickPast(cycleTime_, kCycleMs), now);
        return wake;
    }
    if (requestTime_ == 0 || link_.InputBuffered()) return StepWake::AtOnce();
    wake.portFd = link_.ReadableFd();
    wake.DueAt(TickPast(requestTime_, kReplyLimitMs), now);
    return wake;
}

void AdWorker::Cycle() {
    if (requestIndex_ >= kAdInputs) {
        // All eight inputs answered: one refresh per cycle, at most every 500 ms.
        const uint32_t now = TickCount();
        if (now - cycleTime_ > kCycleMs) {
            cycleTime_ = now;
            if (post_) post_(kPanelRefreshAd);
            requestIndex_ = 0;
        }
        return;
    }
    if (requestTime_ == 0) {
        SendRequest();
    } else if (TickCount() - requestTime_ > kReplyLimitMs) {
        slk_SetChildErr(settings_.channelIndex, kErrorNoReply);
        requestTime_ = 0;
        settings_.workerPhase = kFailed;
    }
    ReadReply();
}

void AdWorker::SendRequest() {
    const char command[4] = {settings_.adBlock.adRange.load() == 0 ? 'U' : 'B',
                             static_cast<char>('0' + requestIndex_), '\n', '\0'};
    // A write that fails (an unplugged box) simply gets no reply and ends in error 15.
    link_.Write(command, 3, 1);
    requestTime_ = NonZeroTick(TickCount());
}

void AdWorker::ReadReply() {
    if (!reply_.Collect(link_, kReadPerStep)) return;
    const char* line = reply_.text();
    if (reply_.length() > 0 && (line[0] == 'U' || line[0] == 'B')) {
        // The current range converts, whatever letter the reply carries; the reply's channel
        // digit picks the input.
        AdBlock& block = settings_.adBlock;
        ParseAnalogReply(line, reply_.length(), block.adRange.load(), block.adRaw.data(),
                         block.adVolts.data());
        ++requestIndex_;
        requestTime_ = 0;
    }
}

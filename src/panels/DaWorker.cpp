#include "panels/DaWorker.h"

#include <cstring>

#include "device/box_commands.h"
#include "platform/clock.h"
#include "statlink.h"

DaWorker::DaWorker(SerialLink& link, AppSettings& settings, PostToWindow post)
    : link_(link), settings_(settings), post_(std::move(post)) {}

void DaWorker::Step() {
    switch (settings_.workerPhase.load()) {
        case kStart:
            requestTime_ = 0;
            reply_.Clear();
            SleepMs(kStartPauseMs);
            link_.PurgeInput();
            settings_.workerPhase = kRunning;
            break;
        case kRunning:
            Run();
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

StepWake DaWorker::Wake(uint32_t now) const {
    const int32_t phase = settings_.workerPhase.load();
    if (phase == kStart || phase == kFailed) return StepWake::AtOnce();
    StepWake wake;
    if (phase != kRunning) return wake;  // idle: nothing more to do
    const uint32_t requestTime = requestTime_.load();
    const DaBlock& block = settings_.daBlock;
    const bool changed = block.daSentVolts.load() != block.daVolts.load() ||
                         block.daSentRange.load() != block.daRange.load();
    if ((requestTime == 0 && changed) || link_.InputBuffered()) return StepWake::AtOnce();
    wake.portFd = link_.ReadableFd();
    if (requestTime != 0) wake.DueAt(TickPast(requestTime, kEchoLimitMs), now);
    return wake;
}

void DaWorker::Run() {
    if (requestTime_.load() != 0) {
        if (TickCount() - requestTime_.load() > kEchoLimitMs) {
            slk_SetChildErr(settings_.channelIndex, kErrorNoEcho);
            requestTime_ = 0;
            settings_.workerPhase = kFailed;
        }
    } else {
        SendIfChanged();
    }
    ReadEcho();
}

void DaWorker::SendIfChanged() {
    DaBlock& block = settings_.daBlock;
    // Exact comparisons: any change the window made is sent.
    const double volts = block.daVolts.load();
    const bool changed = block.daSentVolts.load() != volts;
    if (changed) block.daSentVolts = volts;
    const int32_t range = block.daRange.load();
    const bool rangeChanged = block.daSentRange.load() != range;
    if (rangeChanged) block.daSentRange = range;
    if (!changed && !rangeChanged) return;

    char command[kCommandBufferSize];
    const int length = FormatVoltageCommand(range, volts, command);
    // Marked as waiting just before it leaves, so whoever sees the command at the box also sees
    // it waiting for its echo.
    requestTime_ = NonZeroTick(TickCount());
    link_.Write(command, length, 1);
}

void DaWorker::ReadEcho() {
    if (!reply_.Collect(link_, kReadPerStep)) return;
    if (reply_.length() == 0 || reply_.text()[0] != 'P') return;
    // The echo must match the command for the values in effect now: a change made while the
    // command was on its way counts as a failed command.
    const DaBlock& block = settings_.daBlock;
    char expected[kCommandBufferSize];
    FormatVoltageCommand(block.daRange.load(), block.daVolts.load(), expected);
    requestTime_ = 0;
    if (std::strncmp(reply_.text(), expected, kEchoLength) != 0) {
        slk_SetChildErr(settings_.channelIndex, kErrorBadEcho);
        settings_.workerPhase = kFailed;
    }
}

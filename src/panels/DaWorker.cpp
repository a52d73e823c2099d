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
            lineLength_ = 0;
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
            lineLength_ = 0;
            break;
        default:
            break;
    }
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
    char byte[2];
    for (int n = 0; n < kReadPerStep && link_.ReadByte(byte) == 0; ++n) {
        if (byte[0] != '\n') {
            if (lineLength_ < SerialLink::kLineBufferSize - 1) line_[lineLength_++] = byte[0];
            continue;
        }
        line_[lineLength_] = '\0';
        if (lineLength_ > 0 && line_[0] == 'P') {
            // The echo must match the command for the values in effect now: a change made while
            // the command was on its way counts as a failed command.
            const DaBlock& block = settings_.daBlock;
            char expected[kCommandBufferSize];
            FormatVoltageCommand(block.daRange.load(), block.daVolts.load(), expected);
            if (std::strncmp(line_, expected, kEchoLength) == 0) {
                requestTime_ = 0;
            } else {
                slk_SetChildErr(settings_.channelIndex, kErrorBadEcho);
                requestTime_ = 0;
                settings_.workerPhase = kFailed;
            }
        }
        lineLength_ = 0;
        return;
    }
}

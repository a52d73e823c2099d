#include "panels/IoWorker.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "device/box_commands.h"
#include "platform/clock.h"
#include "statlink.h"

namespace {

using IoBits = std::array<SharedInt, kIoBits>;

// Takes the window's wanted bits into `out` and marks them as the ones sent; true when any bit
// differs from what was sent before.
bool TakeWanted(const IoBits& wanted, IoBits& sent, int32_t out[kIoBits]) {
    bool changed = false;
    for (int i = 0; i < kIoBits; ++i) {
        out[i] = wanted[i].load();
        if (sent[i].load() != out[i]) {
            sent[i] = out[i];
            changed = true;
        }
    }
    return changed;
}

}  // namespace

IoWorker::IoWorker(SerialLink& link, AppSettings& settings, PostToWindow post)
    : link_(link), settings_(settings), post_(std::move(post)), startTime_(TickCount()) {}

void IoWorker::Step() {
    switch (settings_.workerPhase.load()) {
        case kStart:
            Start();
            break;
        case kRunning:
            Run();
            break;
        case kFailed:
            settings_.workerPhase = kIdle;
            inputRequestTime_ = 0;
            outputRequestTime_ = 0;
            reply_.Clear();
            interruptMode_ = 0;
            break;
        default:
            break;
    }
    if (TickCount() - startTime_ > kRefreshAfterMs && post_) post_(kPanelRefreshIo);
}

void IoWorker::Fail(int code) {
    slk_SetChildErr(settings_.channelIndex, code);
    settings_.workerPhase = kFailed;
}

void IoWorker::Start() {
    SleepMs(kStartPauseMs);
    IoBlock& block = settings_.ioBlock;
    int32_t outputs[kIoBits];
    TakeWanted(block.ioOut, block.ioSentOut, outputs);
    char command[kCommandBufferSize];
    const int length = FormatOutputCommand(outputs, command);
    link_.Write(command, length, 0);
    char reply[SerialLink::kLineBufferSize];
    int replyLength = 0;
    if (link_.ReadLine(reply, &replyLength) != 0) {
        Fail(kErrorStartNoReply);
    } else if (replyLength < kEchoLength || std::strncmp(reply, command, kEchoLength) != 0) {
        Fail(kErrorStartBadEcho);
    } else {
        settings_.workerPhase = kRunning;
    }
}

void IoWorker::Run() {
    // The step ends at its first failure: the box is sent nothing after a failure, not even
    // the poll that the rest of this step would send now that no echo is awaited.
    SendOutputs();
    if (settings_.workerPhase.load() != kRunning) return;
    SendInterruptMask();
    PollInputs();
    if (settings_.workerPhase.load() != kRunning) return;
    ReadReplies();
}

void IoWorker::SendOutputs() {
    if (outputRequestTime_ != 0) {
        if (TickCount() - outputRequestTime_ > kReplyLimitMs) {
            outputRequestTime_ = 0;
            Fail(kErrorNoEcho);
        }
        return;
    }
    if (inputRequestTime_ != 0) return;
    IoBlock& block = settings_.ioBlock;
    int32_t outputs[kIoBits];
    if (!TakeWanted(block.ioOut, block.ioSentOut, outputs)) return;
    char command[kCommandBufferSize];
    const int length = FormatOutputCommand(outputs, command);
    // Marked as waiting before it leaves, so whoever sees it at the box sees it waiting.
    outputRequestTime_ = NonZeroTick(TickCount());
    link_.Write(command, length, 1);
}

void IoWorker::SendInterruptMask() {
    if (outputRequestTime_ != 0 || inputRequestTime_ != 0) return;
    IoBlock& block = settings_.ioBlock;
    int32_t mask[kIoBits];
    if (!TakeWanted(block.ioIntEnable, block.ioSentInt, mask)) return;
    if (std::all_of(mask, mask + kIoBits, [](int32_t bit) { return bit == 0; })) {
        // Clearing every input sends nothing: the worker goes back to polling.
        interruptMode_ = 0;
        return;
    }
    char command[kCommandBufferSize];
    const int length = FormatInterruptCommand(mask, command);
    link_.Write(command, length, 1);
    interruptMode_ = 1;
}

void IoWorker::PollInputs() {
    if (inputRequestTime_ != 0) {
        if (TickCount() - inputRequestTime_ > kReplyLimitMs) {
            inputRequestTime_ = 0;
            Fail(kErrorNoInputReply);
        }
        return;
    }
    if (outputRequestTime_ != 0 || interruptMode_ != 0) return;
    inputRequestTime_ = NonZeroTick(TickCount());
    link_.Write("I\n", 2, 1);
}

void IoWorker::ReadReplies() {
    if (!reply_.Collect(link_, kReadPerStep) || reply_.length() == 0) return;
    const char* line = reply_.text();
    if (line[0] == 'O') {
        // The echo must match the outputs in effect now: a toggle made while the command was on
        // its way counts as a failed command.
        char expected[kCommandBufferSize];
        FormatOutputCommand(settings_.ioBlock.ioOut.data(), expected);
        outputRequestTime_ = 0;
        if (std::strncmp(line, expected, kEchoLength) != 0) Fail(kErrorBadEcho);
    } else if (line[0] == 'I' || line[0] == 'W') {
        ParseInputReply(line, reply_.length(), settings_.ioBlock.ioIn.data());
        inputRequestTime_ = 0;
    }
}

#include "panels/IoWorker.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "device/box_commands.h"
#include "platform/clock.h"
#include "statlink.h"

namespace {

using IoBits = std::array<SharedInt, kIoBits>;
using WantedBits = std::array<WindowInt, kIoBits>;

// Takes the window's wanted bits into `out` and marks them as the ones sent; true when any bit
// differs from what was sent before.
bool TakeWanted(const WantedBits& wanted, IoBits& sent, int32_t out[kIoBits]) {
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

bool Differ(const WantedBits& wanted, const IoBits& sent) {
    for (int i = 0; i < kIoBits; ++i) {
        if (wanted[i].load() != sent[i].load()) return true;
    }
    return false;
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
    PostRefresh();
}

uint32_t IoWorker::SampleDue() const {
    const uint32_t due = settings_.ioBlock.ioLastSample.load() + kIoSampleIntervalMs;
    // Asked for already: the window takes a sample no sooner than it handles that refresh, so the
    // next one is an interval after the ask at the earliest (and the window's own tick then says
    // exactly when).
    if (refreshed_ && TicksSince(sampleAskedAt_, due) <= 0) {
        return sampleAskedAt_ + kIoSampleIntervalMs;
    }
    return due;
}

void IoWorker::PostRefresh() {
    // From 200 ms after the start, the window refreshes when it has something to do: the lamps
    // when an input changed, and the graph's sample at the first refresh an interval after the
    // last (the window checks that rule itself; the worker only asks in time).
    const uint32_t now = TickCount();
    if (now - startTime_ <= kRefreshAfterMs || !post_) return;
    const bool sampleDue = TicksSince(SampleDue(), now) >= 0;
    bool inputsChanged = false;
    for (int i = 0; i < kIoBits; ++i) {
        const int32_t in = settings_.ioBlock.ioIn[i].load();
        inputsChanged = inputsChanged || in != postedIn_[i];
        postedIn_[i] = in;
    }
    if (refreshed_ && !sampleDue && !inputsChanged) return;
    if (!refreshed_ || sampleDue) sampleAskedAt_ = now;
    refreshed_ = true;
    post_(kPanelRefreshIo);
}

StepWake IoWorker::Wake(uint32_t now) const {
    const int32_t phase = settings_.workerPhase.load();
    if (phase == kStart || phase == kFailed) return StepWake::AtOnce();
    StepWake wake;
    if (phase == kRunning) {
        if (link_.InputBuffered()) return StepWake::AtOnce();
        const IoBlock& block = settings_.ioBlock;
        if (outputRequestTime_ == 0 && inputRequestTime_ == 0 &&
            (interruptMode_ == 0 || Differ(block.ioOut, block.ioSentOut) ||
             Differ(block.ioIntEnable, block.ioSentInt))) {
            return StepWake::AtOnce();  // a poll or a change to send
        }
        // Interrupt mode waits for the box's reports; a command waits for its answer.
        wake.portFd = link_.ReadableFd();
        if (outputRequestTime_ != 0) wake.DueAt(TickPast(outputRequestTime_, kReplyLimitMs), now);
        if (inputRequestTime_ != 0) wake.DueAt(TickPast(inputRequestTime_, kReplyLimitMs), now);
    }
    if (post_) wake.DueAt(refreshed_ ? SampleDue() : TickPast(startTime_, kRefreshAfterMs), now);
    return wake;
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
        int32_t outputs[kIoBits];
        for (int i = 0; i < kIoBits; ++i) outputs[i] = settings_.ioBlock.ioOut[i].load();
        char expected[kCommandBufferSize];
        FormatOutputCommand(outputs, expected);
        outputRequestTime_ = 0;
        if (std::strncmp(line, expected, kEchoLength) != 0) Fail(kErrorBadEcho);
    } else if (line[0] == 'I' || line[0] == 'W') {
        ParseInputReply(line, reply_.length(), settings_.ioBlock.ioIn.data());
        inputRequestTime_ = 0;
    }
}

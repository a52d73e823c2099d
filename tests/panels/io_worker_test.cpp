// The I/O worker step on real pseudo-terminals, against qvx-boxsim and a box played by the test.
#include <thread>

#include "device/box_sim_helper.h"
#include "panels/IoWorker.h"
#include "statlink.h"
#include "support/test_port.h"
#include "worker_test_util.h"

class IoWorkerTest : public IsolatedTest {};

TEST_F(IoWorkerTest, StartsPollsAndSendsOutputs) {
    BoxSim sim({"--box", "io,speed=9600,com=2,in=01"});
    ASSERT_TRUE(sim.ready());
    SerialLink link;
    ASSERT_NE(link.Open(Port(2)), kNoSerialHandle);
    AppSettings settings;
    settings.channelIndex = 1;
    settings.workerPhase = IoWorker::kStart;
    IoWorker worker(link, settings, nullptr);
    worker.Step();
    EXPECT_EQ(settings.workerPhase, IoWorker::kRunning);
    EXPECT_TRUE(StepUntil(worker, [&] { return settings.ioBlock.ioIn[0] == 1; }));
    settings.ioBlock.ioOut[3] = 1;
    EXPECT_TRUE(StepUntil(worker, [&] { return sim.CountInLog("rx \"O08\"") == 1; }));
    StepFor(worker, 100);
    EXPECT_EQ(settings.workerPhase, IoWorker::kRunning);
    EXPECT_EQ(slk_GetChildErr(1), 0);
}

// A worker on a box played by the test (COM 4, channel 3).
class IoWorkerOnPty : public IoWorkerTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(box.ok());
        ASSERT_NE(link.Open(Port(4)), kNoSerialHandle);
        settings.channelIndex = 3;
        settings.workerPhase = IoWorker::kStart;
        for (int i = 0; i < kIoBits; ++i) settings.ioBlock.ioSentOut[i] = -1;
    }
    // Runs the start step while the box answers its first command with echo (nothing for "");
    // returns that command. The step blocks for the echo, so the box answers from a thread.
    std::string StartWith(const std::string& echo) {
        std::string first;
        std::thread answer([&] {
            first = box.NextLine();
            if (!echo.empty()) box.Send(echo + "\n");
        });
        worker.Step();
        answer.join();
        return first;
    }
    void StartRunning() {
        ASSERT_EQ(StartWith("O00"), "O00");
        ASSERT_EQ(settings.workerPhase, IoWorker::kRunning);
    }
    // Runs to the moment the command for output channel switched on has left, after an answered
    // poll; the command must be expected.
    void OutputCommandSent(int channel, const char* expected) {
        StartRunning();
        AnswerPoll("00");
        ASSERT_EQ(NextRequest(worker, box), "I");
        box.Send("I00\n");
        settings.ioBlock.ioOut[channel] = 1;
        ASSERT_EQ(NextRequest(worker, box), expected);
    }
    // Answers the poll that is waiting with the input image hh.
    void AnswerPoll(const char* hh) {
        ASSERT_EQ(NextRequest(worker, box), "I");
        box.Send(std::string("I") + hh + "\n");
        ASSERT_TRUE(StepUntil(worker, [&] { return !worker.waitingForInput(); }));
    }

    PtyBox box{env.comDir(), 4};
    SerialLink link;
    AppSettings settings;
    PostRecorder posts;
    IoWorker worker{link, settings, posts.Function()};
};

TEST_F(IoWorkerOnPty, PollsOneAtATimeAndTakesTheInputImage) {
    StartRunning();
    AnswerPoll("5a");
    const int expected[kIoBits] = {0, 1, 0, 1, 1, 0, 1, 0};
    for (int i = 0; i < kIoBits; ++i) EXPECT_EQ(settings.ioBlock.ioIn[i], expected[i]) << i;
    // The next poll follows the reply at once; without a reply nothing else is asked.
    EXPECT_EQ(NextRequest(worker, box), "I");
    StepFor(worker, 50);
    EXPECT_EQ(box.Pending(), "");
    // Lines of no interest are read and dropped: the reply behind them is still taken as the
    // poll's, and the next poll follows it alone.
    box.Send("?\nZZ\nI01\n");
    EXPECT_TRUE(StepUntil(worker, [&] { return settings.ioBlock.ioIn[0] == 1; }));
    EXPECT_EQ(settings.ioBlock.ioIn[1], 0);
    EXPECT_EQ(NextRequest(worker, box), "I");
    EXPECT_EQ(box.Pending(), "");
    EXPECT_EQ(settings.workerPhase, IoWorker::kRunning);
    EXPECT_EQ(slk_GetChildErr(3), 0);
}

TEST_F(IoWorkerOnPty, OutputChangeWaitsForThePollThenForItsEcho) {
    StartRunning();
    ASSERT_EQ(NextRequest(worker, box), "I");
    settings.ioBlock.ioOut[3] = 1;
    StepFor(worker, 20);
    EXPECT_EQ(box.Pending(), "");  // the poll is still outstanding
    box.Send("I00\n");
    EXPECT_EQ(NextRequest(worker, box), "O08");
    // No poll while the echo is outstanding.
    StepFor(worker, 20);
    EXPECT_EQ(box.Pending(), "");
    box.Send("O08\n");
    EXPECT_EQ(NextRequest(worker, box), "I");
    EXPECT_EQ(settings.workerPhase, IoWorker::kRunning);
}

TEST_F(IoWorkerOnPty, ToggleWhileTheEchoIsUnderWayIsErrorEight) {
    ASSERT_NO_FATAL_FAILURE(OutputCommandSent(0, "O01"));
    settings.ioBlock.ioOut[1] = 1;  // a second click before the echo came back
    box.Send("O01\n");
    EXPECT_TRUE(StepUntil(worker, [&] { return settings.workerPhase == IoWorker::kIdle; }));
    EXPECT_EQ(slk_GetChildErr(3), IoWorker::kErrorBadEcho);
    // After a failure the worker sends nothing, also when the outputs change again.
    settings.ioBlock.ioOut[2] = 1;
    StepFor(worker, 50);
    EXPECT_EQ(box.Pending(), "");
    // The refresh requests go on (they begin 200 ms after the worker's start).
    EXPECT_TRUE(StepUntil(worker, [&] { return posts.Count(kPanelRefreshIo) > 0; }));
    EXPECT_EQ(box.Pending(), "");
}

TEST_F(IoWorkerOnPty, MissingPollReplyIsSeven) {
    StartRunning();
    // Taken before the poll leaves (the next step sends it), so the time measured is never
    // shorter than the wait.
    const int64_t beforeSend = NowMs();
    ASSERT_EQ(NextRequest(worker, box), "I");
    EXPECT_TRUE(StepUntil(worker, [&] { return settings.workerPhase == IoWorker::kIdle; }));
    EXPECT_GE(NowMs() - beforeSend, 500);
    EXPECT_EQ(slk_GetChildErr(3), IoWorker::kErrorNoInputReply);
}

TEST_F(IoWorkerOnPty, MissingEchoGivesSix) {
    ASSERT_NO_FATAL_FAILURE(OutputCommandSent(7, "O80"));
    EXPECT_TRUE(StepUntil(worker, [&] { return settings.workerPhase == IoWorker::kIdle; }));
    EXPECT_EQ(slk_GetChildErr(3), IoWorker::kErrorNoEcho);
}

// The echo is a line of its own: a shorter one does not borrow the rest from the line before.
TEST_F(IoWorkerOnPty, EchoThatIsAPrefixOfTheCommandIsErrorEight) {
    ASSERT_NO_FATAL_FAILURE(OutputCommandSent(7, "O80"));
    box.Send("O8\n");
    EXPECT_TRUE(StepUntil(worker, [&] { return settings.workerPhase == IoWorker::kIdle; }));
    EXPECT_EQ(slk_GetChildErr(3), IoWorker::kErrorBadEcho);
}

TEST_F(IoWorkerOnPty, InterruptMaskStopsPollingAndClearingItResumes) {
    StartRunning();
    AnswerPoll("00");
    ASSERT_EQ(NextRequest(worker, box), "I");
    settings.ioBlock.ioIntEnable[0] = 1;
    box.Send("I00\n");
    EXPECT_EQ(NextRequest(worker, box), "W01");
    EXPECT_TRUE(worker.interruptMode());
    StepFor(worker, 50);
    EXPECT_EQ(box.Pending(), "");  // no polls, no reply awaited
    // The box's own reports carry the whole input image.
    box.Send("W81\n");
    EXPECT_TRUE(StepUntil(worker, [&] { return settings.ioBlock.ioIn[7] == 1; }));
    EXPECT_EQ(settings.ioBlock.ioIn[0], 1);
    // Clearing the last check box sends nothing and polling resumes.
    settings.ioBlock.ioIntEnable[0] = 0;
    EXPECT_EQ(NextRequest(worker, box), "I");
    EXPECT_FALSE(worker.interruptMode());
    EXPECT_EQ(slk_GetChildErr(3), 0);
}

TEST_F(IoWorkerOnPty, NoReplyAtStartPublishesFive) {
    EXPECT_EQ(StartWith(""), "O00");
    EXPECT_EQ(settings.workerPhase, IoWorker::kFailed);
    EXPECT_EQ(slk_GetChildErr(3), IoWorker::kErrorStartNoReply);
}

TEST_F(IoWorkerOnPty, WrongEchoAtStartIsFourAndAnOverlongLineIsCut) {
    // Wrong in the last character only, then one character short.
    EXPECT_EQ(StartWith("O01"), "O00");
    EXPECT_EQ(settings.workerPhase, IoWorker::kFailed);
    EXPECT_EQ(slk_GetChildErr(3), IoWorker::kErrorStartBadEcho);
    worker.Step();
    EXPECT_EQ(settings.workerPhase, IoWorker::kIdle);
    slk_SetChildErr(3, 0);
    settings.workerPhase = IoWorker::kStart;
    for (int i = 0; i < kIoBits; ++i) settings.ioBlock.ioSentOut[i] = -1;
    EXPECT_EQ(StartWith("O0"), "O00");
    EXPECT_EQ(settings.workerPhase, IoWorker::kFailed);
    EXPECT_EQ(slk_GetChildErr(3), IoWorker::kErrorStartBadEcho);
    worker.Step();

    // A running worker survives a line far longer than its buffer.
    settings.workerPhase = IoWorker::kRunning;
    slk_SetChildErr(3, 0);
    ASSERT_EQ(NextRequest(worker, box), "I");
    box.Send("I" + std::string(3000, '7') + "\n");
    EXPECT_TRUE(StepUntil(worker, [&] { return !worker.waitingForInput(); }));
    EXPECT_EQ(settings.ioBlock.ioIn[0], 1);  // "77": bits 0, 1, 2 and 4, 5, 6
    EXPECT_EQ(settings.ioBlock.ioIn[3], 0);
}

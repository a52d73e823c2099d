// The I/O worker step on real pseudo-terminals, against qvx-boxsim and a box played by the test.
#include "device/box_sim_helper.h"
#include "panels/IoWorker.h"
#include "statlink.h"
#include "worker_test_util.h"

namespace {
SerialPortSettings Port(int number) {
    SerialPortSettings port;
    port.portNumber = number;
    port.baudRate = 9600;
    return port;
}
}  // namespace

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

TEST_F(IoWorkerTest, NoReplyAtStartPublishesFive) {
    PtyBox box(env.comDir(), 3);
    ASSERT_TRUE(box.ok());
    SerialLink link;
    ASSERT_NE(link.Open(Port(3)), kNoSerialHandle);
    AppSettings settings;
    settings.channelIndex = 2;
    settings.workerPhase = IoWorker::kStart;
    IoWorker worker(link, settings, nullptr);
    worker.Step();
    EXPECT_EQ(settings.workerPhase, IoWorker::kFailed);
    EXPECT_EQ(slk_GetChildErr(2), IoWorker::kErrorStartNoReply);
    EXPECT_EQ(box.NextLine(1000), "O00");
}

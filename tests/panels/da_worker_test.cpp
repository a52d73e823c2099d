// The D/A worker step on real pseudo-terminals, against qvx-boxsim and a box played by the test.
#include <memory>

#include "device/box_sim_helper.h"
#include "panels/DaWorker.h"
#include "statlink.h"
#include "support/test_port.h"
#include "worker_test_util.h"

namespace {

// The values the display initialisation leaves: nothing to send until the user changes one.
void SetShownAndSent(AppSettings& settings, int range, double volts) {
    DaBlock& b = settings.daBlock;
    b.daRange = b.daSentRange = b.daShownRange = range;
    b.daVolts = b.daSentVolts = b.daShownVolts = volts;
}

std::string Rx(int com, const std::string& command) {
    return "[#0 COM" + std::to_string(com) + " da] rx \"" + command + "\"";
}

}  // namespace

class DaWorkerTest : public IsolatedTest {};

TEST_F(DaWorkerTest, SendsEachChangeOnceAndTakesItsEcho) {
    BoxSim sim({"--box", "da,speed=38400,com=2"});
    ASSERT_TRUE(sim.ready());
    SerialLink link;
    ASSERT_NE(link.Open(Port(2, 38400)), kNoSerialHandle);
    AppSettings settings;
    settings.channelIndex = 1;
    SetShownAndSent(settings, 0, 0.0);
    settings.workerPhase = DaWorker::kStart;
    DaWorker worker(link, settings, nullptr);

    // Opening sends nothing.
    worker.Step();
    EXPECT_EQ(settings.workerPhase, DaWorker::kRunning);
    StepFor(worker, 200);
    EXPECT_EQ(sim.CountInLog("rx \"P"), 0);

    auto sendAndAck = [&](int range, double volts, const std::string& command) {
        settings.daBlock.daRange = range;
        settings.daBlock.daVolts = volts;
        const bool acked = StepUntil(worker, [&] {
            return sim.CountInLog(Rx(2, command)) == 1 && !worker.waitingForEcho();
        });
        EXPECT_TRUE(acked) << command;
        EXPECT_EQ(settings.daBlock.daSentVolts, volts);
        EXPECT_EQ(settings.daBlock.daSentRange, range);
    };
    sendAndAck(0, 5.0, "P7FFF");  // a change of volts
    sendAndAck(1, 5.0, "PBFFF");  // a change of range alone
    sendAndAck(1, -5.0, "P3FFF");
    sendAndAck(0, -5.0, "P0000");  // below 0 V in the 0 to 10 V range: clamped to the lower end
    sendAndAck(0, 10.0, "PFFFF");

    // No change, no command.
    StepFor(worker, 100);
    EXPECT_EQ(sim.CountInLog("rx \"P"), 5);
    EXPECT_EQ(settings.workerPhase, DaWorker::kRunning);
    EXPECT_EQ(slk_GetChildErr(1), 0);
}

TEST_F(DaWorkerTest, NoEchoPublishesTwelveAndNothingIsSentAfterwards) {
    PtyBox box(env.comDir(), 3);
    ASSERT_TRUE(box.ok());
    SerialLink link;
    ASSERT_NE(link.Open(Port(3)), kNoSerialHandle);
    AppSettings settings;
    settings.channelIndex = 2;
    SetShownAndSent(settings, 1, 0.0);
    settings.workerPhase = DaWorker::kStart;
    DaWorker worker(link, settings, nullptr);
    worker.Step();

    const int64_t beforeSend = NowMs();
    settings.daBlock.daVolts = 2.5;
    EXPECT_EQ(NextRequest(worker, box), "P9FFF");
    // Changes made while the command waits go out only after its echo, which never comes.
    settings.daBlock.daVolts = 7.5;
    ASSERT_TRUE(StepUntil(worker, [&] { return settings.workerPhase == DaWorker::kFailed; }));
    EXPECT_GE(NowMs() - beforeSend, 500);
    EXPECT_EQ(slk_GetChildErr(2), DaWorker::kErrorNoEcho);
    worker.Step();
    EXPECT_EQ(settings.workerPhase, DaWorker::kIdle);

    slk_SetChildErr(2, 0);
    settings.daBlock.daRange = 0;
    StepFor(worker, 300);
    EXPECT_EQ(box.Pending(), "");
    EXPECT_EQ(slk_GetChildErr(2), 0);
}

TEST_F(DaWorkerTest, EchoThatDoesNotMatchTheValuesInEffectPublishesThirteen) {
    // A box that echoes wrongly: P199A for P1999, wrong in the last character only.
    {
        BoxSim sim({"--box", "da,speed=9600,com=4,fail=bad-echo"});
        ASSERT_TRUE(sim.ready());
        SerialLink link;
        ASSERT_NE(link.Open(Port(4)), kNoSerialHandle);
        AppSettings settings;
        settings.channelIndex = 0;
        SetShownAndSent(settings, 0, 0.0);
        settings.workerPhase = DaWorker::kStart;
        DaWorker worker(link, settings, nullptr);
        settings.daBlock.daVolts = 1.0;
        ASSERT_TRUE(StepUntil(worker, [&] { return settings.workerPhase == DaWorker::kFailed; }));
        EXPECT_EQ(slk_GetChildErr(0), DaWorker::kErrorBadEcho);
        EXPECT_EQ(sim.CountInLog(Rx(4, "P1999")), 1);
    }
    // The right echo of a value the user changed while it was on its way.
    PtyBox box(env.comDir(), 5);
    ASSERT_TRUE(box.ok());
    SerialLink link;
    ASSERT_NE(link.Open(Port(5)), kNoSerialHandle);
    AppSettings settings;
    settings.channelIndex = 3;
    SetShownAndSent(settings, 1, 0.0);
    settings.workerPhase = DaWorker::kStart;
    DaWorker worker(link, settings, nullptr);
    worker.Step();
    settings.daBlock.daVolts = 10.0;
    EXPECT_EQ(NextRequest(worker, box), "PFFFF");
    settings.daBlock.daVolts = -10.0;
    // Replies that do not begin with "P" are not echoes.
    box.Send("?\nX0000\n");
    StepFor(worker, 50);
    EXPECT_EQ(settings.workerPhase, DaWorker::kRunning);
    box.Send("PFFFF\n");
    ASSERT_TRUE(StepUntil(worker, [&] { return settings.workerPhase == DaWorker::kFailed; }));
    EXPECT_EQ(slk_GetChildErr(3), DaWorker::kErrorBadEcho);
    StepFor(worker, 100);
    EXPECT_EQ(settings.workerPhase, DaWorker::kIdle);
    EXPECT_EQ(box.Pending(), "");

    // An echo one character short of its command, after a longer line, is no echo of it.
    PtyBox shortBox(env.comDir(), 6);
    ASSERT_TRUE(shortBox.ok());
    SerialLink shortLink;
    ASSERT_NE(shortLink.Open(Port(6)), kNoSerialHandle);
    SetShownAndSent(settings, 1, 0.0);
    settings.workerPhase = DaWorker::kStart;
    slk_SetChildErr(3, 0);
    DaWorker shortWorker(shortLink, settings, nullptr);
    shortWorker.Step();
    settings.daBlock.daVolts = 2.5;
    EXPECT_EQ(NextRequest(shortWorker, shortBox), "P9FFF");
    shortBox.Send("X9FFF\nP9FF\n");
    ASSERT_TRUE(StepUntil(shortWorker, [&] { return settings.workerPhase == DaWorker::kFailed; }));
    EXPECT_EQ(slk_GetChildErr(3), DaWorker::kErrorBadEcho);
}

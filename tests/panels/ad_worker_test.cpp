// The A/D worker step on real pseudo-terminals: against qvx-boxsim, and against a box played
// by the test where a case needs replies no simulated box gives.
#include <cmath>
#include <memory>

#include "device/box_commands.h"
#include "device/box_sim_helper.h"
#include "panels/AdWorker.h"
#include "statlink.h"
#include "support/test_port.h"
#include "worker_test_util.h"

namespace {

std::string Rx(int com, const std::string& command) {
    return "[#0 COM" + std::to_string(com) + " ad] rx \"" + command + "\"";
}

}  // namespace

class AdWorkerTest : public IsolatedTest {};

TEST_F(AdWorkerTest, CyclesEightRequestsAndRefreshesAfterHalfASecond) {
    BoxSim sim({"--box", "ad,speed=9600,com=3,volts=1/2/3/4/5/6/7/8"});
    ASSERT_TRUE(sim.ready());
    SerialLink link;
    ASSERT_NE(link.Open(Port(3)), kNoSerialHandle);
    AppSettings settings;
    settings.channelIndex = 1;
    settings.adBlock.adRange = 1;
    PostRecorder posts;
    PanelWorker worker(posts.Function());
    ASSERT_TRUE(worker.Start(std::make_unique<AdWorker>(link, settings, worker.Poster()), 1,
                             &settings.workerPhase));
    settings.workerPhase = AdWorker::kStart;

    // "-10～10V": every request is "Bn".
    ASSERT_TRUE(WaitFor([&] { return posts.Count(kPanelRefreshAd) >= 2; }, 30000))
        << "error " << slk_GetChildErr(1) << "\n"
        << sim.Log();
    for (int i = 0; i < 8; ++i) {
        const double sent = i + 1.0;
        EXPECT_NEAR(settings.adBlock.adVolts[i], sent, 20.0 / 4096) << i;
        EXPECT_DOUBLE_EQ(settings.adBlock.adVolts[i],
                         AdVolts(1, static_cast<uint32_t>(settings.adBlock.adRaw[i].load())));
    }
    EXPECT_EQ(sim.CountInLog("rx \"U"), 0);

    // "0～20V" from the next request on.
    settings.adBlock.adRange = 0;
    const int before = posts.Count(kPanelRefreshAd);
    ASSERT_TRUE(WaitFor([&] { return posts.Count(kPanelRefreshAd) >= before + 2; }, 30000));
    EXPECT_TRUE(worker.Stop());
    EXPECT_EQ(settings.workerPhase, 0);

    // One request per input and cycle, in order, each answered before the next.
    const int cycles = sim.CountInLog(Rx(3, "B0")) + sim.CountInLog(Rx(3, "U0"));
    EXPECT_GE(cycles, 4);
    for (int i = 1; i < 8; ++i) {
        const int n = sim.CountInLog(Rx(3, "B" + std::to_string(i))) +
                      sim.CountInLog(Rx(3, "U" + std::to_string(i)));
        EXPECT_LE(n, cycles) << i;
        EXPECT_GE(n, cycles - 1) << i;
    }
    EXPECT_GE(sim.CountInLog(Rx(3, "U7")), 1);
    for (int i = 0; i < 8; ++i) {
        EXPECT_DOUBLE_EQ(settings.adBlock.adVolts[i],
                         AdVolts(0, static_cast<uint32_t>(settings.adBlock.adRaw[i].load())));
        EXPECT_NEAR(settings.adBlock.adVolts[i], i + 1.0, 20.0 / 4096) << i;
    }

    // Refreshes come more than 500 ms apart (cycleTime starts at the end of the start phase).
    const auto all = posts.Posts();
    for (size_t k = 1; k < all.size(); ++k) {
        EXPECT_EQ(all[k].wParam, kPanelRefreshAd);
        EXPECT_GE(all[k].atMs - all[k - 1].atMs, 500) << k;
    }
    EXPECT_EQ(slk_GetChildErr(1), 0);
}

TEST_F(AdWorkerTest, ReplyChannelPicksTheInputAndTheCurrentRangeConverts) {
    PtyBox box(env.comDir(), 4);
    ASSERT_TRUE(box.ok());
    SerialLink link;
    ASSERT_NE(link.Open(Port(4)), kNoSerialHandle);
    AppSettings settings;
    settings.adBlock.adRange = 0;
    settings.workerPhase = AdWorker::kStart;
    PostRecorder posts;
    AdWorker worker(link, settings, posts.Function());

    worker.Step();  // the start pause
    EXPECT_EQ(settings.workerPhase, AdWorker::kCycling);
    EXPECT_EQ(box.Pending(), "");
    EXPECT_EQ(NextRequest(worker, box), "U0");

    // Lines beginning with another letter are ignored; the request keeps waiting.
    box.Send("X0123\n?\n");
    StepFor(worker, 50);
    EXPECT_EQ(worker.requestIndex(), 0);
    EXPECT_EQ(box.Pending(), "");

    // A reply for channel 9 updates input 7.
    box.Send("U9ABC\n");
    ASSERT_TRUE(StepUntil(worker, [&] { return worker.requestIndex() == 1; }));
    EXPECT_EQ(settings.adBlock.adRaw[7], 0xABC);
    EXPECT_DOUBLE_EQ(settings.adBlock.adVolts[7], 0xABC * 0.0048828125);
    EXPECT_EQ(settings.adBlock.adRaw[0], 0);

    // The range in effect converts, not the reply's letter: 0x800 is 10 V in "0～20V" ...
    EXPECT_EQ(NextRequest(worker, box), "U1");
    box.Send("B1800\n");
    ASSERT_TRUE(StepUntil(worker, [&] { return worker.requestIndex() == 2; }));
    EXPECT_DOUBLE_EQ(settings.adBlock.adVolts[1], 10.0);

    // ... and 0 V in "-10～10V", which also changes the next request's letter.
    settings.adBlock.adRange = 1;
    EXPECT_EQ(NextRequest(worker, box), "B2");
    box.Send("U2800\n");
    ASSERT_TRUE(StepUntil(worker, [&] { return worker.requestIndex() == 3; }));
    EXPECT_DOUBLE_EQ(settings.adBlock.adVolts[2], 0.0);
    EXPECT_EQ(settings.adBlock.adRaw[2], 0x800);

    // An overlong line is cut, not overrun, and still counts as a reply.
    EXPECT_EQ(NextRequest(worker, box), "B3");
    box.Send("B3FFF" + std::string(3000, '7') + "\n");
    ASSERT_TRUE(StepUntil(worker, [&] { return worker.requestIndex() == 4; }));
    EXPECT_EQ(settings.adBlock.adRaw[3], 0xFFF);

    // The remaining inputs, then the cycle waits for its 500 ms before it refreshes once.
    for (int i = 4; i < 8; ++i) {
        EXPECT_EQ(NextRequest(worker, box), "B" + std::to_string(i));
        box.Send("B" + std::to_string(i) + "100\n");
        ASSERT_TRUE(StepUntil(worker, [&] { return worker.requestIndex() == i + 1; }));
    }
    ASSERT_TRUE(StepUntil(worker, [&] { return posts.Count(kPanelRefreshAd) == 1; }));
    EXPECT_EQ(worker.requestIndex(), 0);
    EXPECT_EQ(settings.adBlock.adRaw[7], 0x100);  // "B7100" after "U9ABC"
    EXPECT_EQ(NextRequest(worker, box), "B0");
    EXPECT_EQ(posts.Count(kPanelRefreshAd), 1);
}

TEST_F(AdWorkerTest, UnansweredRequestPublishesFifteenOnceAndGoesIdle) {
    PtyBox box(env.comDir(), 5);
    ASSERT_TRUE(box.ok());
    SerialLink link;
    ASSERT_NE(link.Open(Port(5)), kNoSerialHandle);
    AppSettings settings;
    settings.channelIndex = 2;
    settings.workerPhase = AdWorker::kStart;
    PostRecorder posts;
    AdWorker worker(link, settings, posts.Function());

    worker.Step();  // the start pause
    // Taken before the request leaves, so the time measured is never shorter than the wait.
    const int64_t beforeSend = NowMs();
    ASSERT_TRUE(StepUntil(worker, [&] { return box.Pending() == "B0\n"; }));
    ASSERT_TRUE(StepUntil(worker, [&] { return settings.workerPhase == AdWorker::kFailed; }));
    EXPECT_GE(NowMs() - beforeSend, 500);
    EXPECT_EQ(slk_GetChildErr(2), AdWorker::kErrorNoReply);
    worker.Step();
    EXPECT_EQ(settings.workerPhase, AdWorker::kIdle);

    // Idle for good: no more requests, no second error, no refresh; a late reply changes nothing.
    slk_SetChildErr(2, 0);
    box.Send("B0FFF\n");
    StepFor(worker, 700);
    EXPECT_EQ(slk_GetChildErr(2), 0);
    EXPECT_EQ(box.Pending(), "B0\n");
    EXPECT_EQ(settings.adBlock.adRaw[0], 0);
    EXPECT_EQ(posts.Posts().size(), 0u);
}

TEST_F(AdWorkerTest, UnpluggedBoxEndsInFifteenAndTheWorkerStillStops) {
    BoxSim sim({"--box", "ad,speed=19200,com=6,volts=3,fail=close-after:12"});
    ASSERT_TRUE(sim.ready());
    SerialLink link;
    ASSERT_NE(link.Open(Port(6, 19200)), kNoSerialHandle);
    AppSettings settings;
    settings.channelIndex = 3;
    settings.adBlock.adRange = 0;
    PostRecorder posts;
    PanelWorker worker(posts.Function());
    ASSERT_TRUE(worker.Start(std::make_unique<AdWorker>(link, settings, worker.Poster()), 3,
                             &settings.workerPhase));
    settings.workerPhase = AdWorker::kStart;

    ASSERT_TRUE(WaitFor([&] { return slk_GetChildErr(3) == AdWorker::kErrorNoReply; }, 30000));
    EXPECT_TRUE(sim.WaitForLog("unplugged"));
    EXPECT_TRUE(WaitFor([&] { return settings.workerPhase == 0; }));
    EXPECT_EQ(posts.Count(kPanelRefreshAd), 1);  // the first cycle of eight
    EXPECT_TRUE(worker.Stop());
    EXPECT_NEAR(settings.adBlock.adVolts[0], 3.0, 20.0 / 4096);
}

#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "coordination/StatusWords.h"
#include "launcher/child_supervision.h"
#include "launcher/com_port_choice.h"
#include "launcher/launcher_texts.h"
#include "launcher/log_lines.h"
#include "launcher/posted_text_ring.h"
#include "messages/MesTable.h"
#include "platform/process_spawn.h"
#include "support/test_env.h"

TEST(LauncherTexts, RowsCommandLineAndLogLines) {
    EXPECT_EQ("QVX-I/O", DeviceTypeName(1));
    EXPECT_EQ("QVX-D/A", DeviceTypeName(2));
    EXPECT_EQ("QVX-A/D", DeviceTypeName(3));
    EXPECT_EQ("", DeviceTypeName(4));
    EXPECT_EQ("QVX-AD", ModeWord(3));
    EXPECT_EQ("", ModeWord(0));
    EXPECT_EQ((std::vector<std::string>{"/5", "/QVX-AD", "/1"}), PanelArguments(5, 3, 1));
    EXPECT_EQ((std::vector<std::string>{"/12", "/QVX-IO", "/0"}), PanelArguments(12, 1, 0));
    EXPECT_EQ("COM10", ComButtonText(10));

    EXPECT_EQ("Vantrel(V2.01) 開始 [4711]", LauncherStartText(4711));
    EXPECT_EQ("接続しないモードになっています。CH1", NotConnectedText(0));
    EXPECT_EQ("QVX-A/Dの処理を開始しました。CH[1] COM[5]", PanelStartedText(3, 1, 5));
    EXPECT_EQ("QVX-D/A 起動失敗 [2]", PanelStartFailedText(2, 2));
    EXPECT_EQ("QVX-A/Dの処理が終了しました。Ch[1] COM[5]", PanelEndedText(3, 1, 5));
    // Error lines count rows from 1; a code outside the catalog leaves only the suffix.
    EXPECT_EQ(GetMesText(2) + " Ch[2] COM[5]", ChildErrorText(1, 2, 5));
    EXPECT_FALSE(GetMesText(2).empty());
    EXPECT_EQ(" Ch[4] COM[9]", ChildErrorText(3, 999, 9));
}

TEST(LogLines, StampLineAndLimit) {
    setenv("TZ", "UTC", 1);
    tzset();
    // 2024-01-05 09:03:07 UTC
    EXPECT_EQ("2024/01/05 09:03:07", LogTimeStamp(1704445387));
    EXPECT_EQ("2024/01/05 09:03:07  text\n", MakeLogLine("2024/01/05 09:03:07", "text"));
    EXPECT_EQ("  text\n", MakeLogLine("", "text"));

    // A log of 301 lines ends in a line break, so its line count is 302: one line goes.
    EXPECT_EQ(1, OldLinesToRemove(302));
    EXPECT_EQ(0, OldLinesToRemove(301));
    EXPECT_EQ(0, OldLinesToRemove(1));
    EXPECT_EQ(5, OldLinesToRemove(306));
}

TEST(PostedTextRing, SlotsWrapAndTextsAreCutOnCharacters) {
    PostedTextRing ring;
    std::vector<const char*> slots;
    for (int i = 0; i < 64; ++i) slots.push_back(ring.Store(std::to_string(i).c_str()));
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(ring.Slot(i), slots[i]);
        EXPECT_STREQ(std::to_string(i).c_str(), slots[i]);
    }
    // The 65th post reuses slot 0.
    EXPECT_EQ(0, ring.NextSlot());
    EXPECT_EQ(slots[0], ring.Store("again"));
    EXPECT_STREQ("again", slots[0]);
    EXPECT_STREQ("1", slots[1]);

    // 511 bytes at most, never half a character: 510 ASCII bytes then a 3-byte character.
    const std::string longText = std::string(510, 'a') + "あい";
    EXPECT_EQ(std::string(510, 'a'), ring.Store(longText.c_str()));
    const std::string exact = std::string(508, 'b') + "あ";  // 511 bytes: fits
    EXPECT_EQ(exact, ring.Store(exact.c_str()));
    EXPECT_EQ(std::string(511, 'c'), ring.Store(std::string(600, 'c').c_str()));

    char small[4];
    EXPECT_EQ(3u, CopyTextCut(small, sizeof small, "あ"));
    EXPECT_EQ(1u, CopyTextCut(small, sizeof small, "aあ"));  // the 3-byte character goes whole
    EXPECT_STREQ("a", small);
    EXPECT_EQ(3u, CopyTextCut(small, sizeof small, "abcd"));
}

TEST(PostedTextRing, TwoThreadsPostingAtOnceNeverShareASlot) {
    // Many rounds of two threads posting 32 texts each at the same moment: each round of 64
    // posts must take 64 different slots.
    for (int round = 0; round < 50; ++round) {
        PostedTextRing ring;
        std::atomic<int> ready{0};
        std::vector<const char*> got[2];
        auto poster = [&](int t) {
            ready.fetch_add(1);
            while (ready.load() < 2) {
            }
            for (int i = 0; i < 32; ++i) got[t].push_back(ring.Store(t == 0 ? "left" : "right"));
        };
        std::thread a(poster, 0);
        std::thread b(poster, 1);
        a.join();
        b.join();
        std::set<const char*> distinct(got[0].begin(), got[0].end());
        distinct.insert(got[1].begin(), got[1].end());
        ASSERT_EQ(64u, distinct.size());
        for (const char* s : got[0]) EXPECT_STREQ("left", s);
        for (const char* s : got[1]) EXPECT_STREQ("right", s);
    }
}

TEST(ComPortChoice, AscendingOrderAndPreselection) {
    const std::vector<ComPortEntry> entries{{10, "/dev/pts/10", "/dev/pts/10"},
                                            {1, "/dev/ttyS0", "/dev/ttyS0"},
                                            {3, "/dev/pts/3", ""},
                                            {3, "/dev/other", ""},
                                            {300, "/dev/pts/9", ""},
                                            {0, "/dev/pts/8", ""}};
    ComPortChoice choice(entries);
    EXPECT_EQ(1, choice.Fill(3));
    ASSERT_EQ(3, choice.ItemCount());
    EXPECT_EQ("COM1", choice.ItemText(0));
    EXPECT_EQ("COM3", choice.ItemText(1));
    EXPECT_EQ("COM10", choice.ItemText(2));
    EXPECT_EQ("/dev/pts/3", choice.ItemTarget(1));
    EXPECT_EQ(1, choice.SelectedItem());
    EXPECT_EQ(3, choice.PortOfItem(1));
    EXPECT_EQ(-1, choice.PortOfItem(3));

    // An absent port preselects the first item; filling again lists each port once.
    EXPECT_EQ(1, choice.Fill(5));
    EXPECT_EQ(3, choice.ItemCount());
    EXPECT_EQ(0, choice.SelectedItem());

    // A current port outside 1..255 lists nothing.
    EXPECT_EQ(0, choice.Fill(0));
    EXPECT_EQ(0, choice.ItemCount());
    EXPECT_EQ(-1, choice.SelectedItem());

    ComPortChoice none({});
    EXPECT_EQ(1, none.Fill(1));
    EXPECT_EQ(0, none.ItemCount());
    EXPECT_EQ(-1, none.SelectedItem());
}

namespace {

// Records what the supervision thread reports; called from that thread.
class RecordingSink : public SupervisionSink {
  public:
    void RowsChanged() override {
        std::lock_guard<std::mutex> lock(mutex_);
        ++rowsChanged_;
    }
    void LogText(const char* text) override {
        std::lock_guard<std::mutex> lock(mutex_);
        texts_.emplace_back(text);
    }
    int rowsChanged() {
        std::lock_guard<std::mutex> lock(mutex_);
        return rowsChanged_;
    }
    std::vector<std::string> texts() {
        std::lock_guard<std::mutex> lock(mutex_);
        return texts_;
    }

  private:
    std::mutex mutex_;
    int rowsChanged_ = 0;
    std::vector<std::string> texts_;
};

}  // namespace

TEST_F(IsolatedTest, SupervisionPassReportsEndsBeforeErrors) {
    AppSettings settings;
    settings.chMode = {1, 3, 4, 2};
    settings.chCom = {2, 5, 7, 9};
    settings.chRunning[1] = 1;
    settings.chRunning[3] = 1;
    SupervisorShared shared;
    shared.MirrorRows(settings);
    RecordingSink sink;

    SupervisePass(shared, settings, sink);
    EXPECT_EQ(0, sink.rowsChanged());
    EXPECT_TRUE(sink.texts().empty());

    SetChildStatus(1, status::kChildEnded);
    SetChildError(1, 2);
    SetChildStatus(2, 1);  // other status values are ignored
    SetChildError(3, 999);
    SupervisePass(shared, settings, sink);
    EXPECT_EQ(1, sink.rowsChanged());
    EXPECT_EQ((std::vector<std::string>{"QVX-A/Dの処理が終了しました。Ch[1] COM[5]",
                                        GetMesText(2) + " Ch[2] COM[5]", " Ch[4] COM[9]"}),
              sink.texts());
    EXPECT_EQ(0, settings.chRunning[1]);
    EXPECT_EQ(1, settings.chRunning[3]);
    EXPECT_EQ(0, GetChildStatus(1));
    EXPECT_EQ(0, GetChildError(1));
    EXPECT_EQ(1, GetChildStatus(2));
    EXPECT_EQ(0, GetChildError(3));

    // The end line names the row's type as it is now.
    shared.mode[1] = 2;
    SetChildStatus(1, status::kChildEnded);
    SupervisePass(shared, settings, sink);
    EXPECT_EQ("QVX-D/Aの処理が終了しました。Ch[1] COM[5]", sink.texts().back());
    EXPECT_EQ(2, sink.rowsChanged());
}

TEST_F(IsolatedTest, SupervisionThreadRunsAndStops) {
    AppSettings settings;
    settings.chMode = {1, 1, 1, 1};
    settings.chCom = {3, 3, 3, 3};
    settings.chRunning[0] = 1;
    SupervisorShared shared;
    shared.MirrorRows(settings);
    RecordingSink sink;
    std::thread thread([&] { SuperviseChannels(shared, settings, sink); });

    ASSERT_TRUE(WaitFor([&] { return shared.threadId.load() != 0; }));
    SetChildStatus(0, status::kChildEnded);
    ASSERT_TRUE(WaitFor([&] { return sink.rowsChanged() == 1; }));
    EXPECT_EQ(0, settings.chRunning[0]);

    SetChildStatus(2, status::kChildEnded);
    ASSERT_TRUE(WaitFor([&] { return sink.rowsChanged() == 2; }));

    shared.state = SupervisorShared::kStopRequested;
    ASSERT_TRUE(WaitFor([&] { return shared.state.load() == SupervisorShared::kFinished; }));
    thread.join();
    EXPECT_EQ((std::vector<std::string>{"QVX-I/Oの処理が終了しました。Ch[0] COM[3]",
                                        "QVX-I/Oの処理が終了しました。Ch[2] COM[3]"}),
              sink.texts());
}

namespace {

// How often a thread of this process has gone to sleep so far (each wake-up ends one).
long SleepsOfThread(int tid) {
    const std::string status = ReadFile("/proc/self/task/" + std::to_string(tid) + "/status");
    const std::string key = "voluntary_ctxt_switches:";
    const size_t at = status.find(key);
    return at == std::string::npos ? -1 : std::atol(status.c_str() + at + key.size());
}

}  // namespace

TEST_F(IsolatedTest, SupervisionSleepsWhileAPanelRunsAndReapsItWhenItEnds) {
    AppSettings settings;
    SupervisorShared shared;
    shared.MirrorRows(settings);
    RecordingSink sink;
    pid_t panel = 0;
    ASSERT_GT(SpawnProgram("/bin/sleep", {"60"}, &panel), 32);
    std::thread thread([&] { SuperviseChannels(shared, settings, sink); });
    ASSERT_TRUE(WaitFor([&] { return shared.threadId.load() != 0; }));

    // No sweep for ended children every 100 ms (15 in this time): it sleeps until one ends.
    const long before = SleepsOfThread(shared.threadId);
    SleepForMs(1500);
    EXPECT_LE(SleepsOfThread(shared.threadId) - before, 6);
    kill(panel, SIGKILL);
    EXPECT_TRUE(WaitFor([&] { return !PathExists("/proc/" + std::to_string(panel)); }));
    EXPECT_EQ(0, SpawnedChildrenRunning());

    shared.state = SupervisorShared::kStopRequested;
    ASSERT_TRUE(WaitFor([&] { return shared.state.load() == SupervisorShared::kFinished; }));
    thread.join();
}

TEST_F(IsolatedTest, SupervisionThreadSleepsUntilAChildWordWaits) {
    AppSettings settings;
    settings.chMode = {3, 2, 1, 3};
    settings.chCom = {3, 4, 5, 6};
    SupervisorShared shared;
    shared.MirrorRows(settings);
    RecordingSink sink;
    std::thread thread([&] { SuperviseChannels(shared, settings, sink); });
    ASSERT_TRUE(WaitFor([&] { return shared.threadId.load() != 0; }));

    // Nothing waits: the thread sleeps (a pass a millisecond would be about 300 wake-ups).
    const long before = SleepsOfThread(shared.threadId);
    SleepForMs(300);
    EXPECT_LE(SleepsOfThread(shared.threadId) - before, 10);

    // A child status set through the library, and a child error.
    SetChildStatus(3, status::kChildEnded);
    ASSERT_TRUE(WaitFor([&] { return sink.rowsChanged() == 1; }));
    SetChildError(1, 12);
    ASSERT_TRUE(WaitFor([&] { return sink.texts().size() == 2; }));
    EXPECT_EQ(0, GetChildError(1));

    // The stop request ends the wait.
    shared.state = SupervisorShared::kStopRequested;
    ASSERT_TRUE(WaitFor([&] { return shared.state.load() == SupervisorShared::kFinished; }));
    thread.join();
}

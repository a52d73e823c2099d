// The graph component's strip-chart window on the offscreen platform, driven through its C
// interface as the A/D panel drives it.
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QValueAxis>
#include <cmath>
#include <filesystem>
#include <limits>
#include <thread>

#include "GraphComponent.h"
#include "plotwin.h"
#include "plotwin_drive.h"
#include "support/test_env.h"

using plotwin::GraphComponent;
using plotwin::StripChartWindow;
using namespace plotwin_drive;

namespace {

class PlotwinWindow : public IsolatedTest {
  protected:
    std::string ini() const { return env.settingsFolder() + "vantrelADg5.ini"; }
    void SetUp() override { std::filesystem::create_directories(env.settingsFolder()); }
    void TearDown() override { GraphTerminate(); }
};

}  // namespace

TEST_F(PlotwinWindow, OpenShowsEightNamedChannelsAndRaisesTheSameWindow) {
    Prepare(5, ini());
    EXPECT_EQ(Window(), nullptr);  // nothing on screen until the panel asks
    GraphOpen();
    QPointer<StripChartWindow> w = Window();
    ASSERT_TRUE(w);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle().toStdString(), "QVX-A/D COM5 グラフ");
    ASSERT_EQ(w->channelCount(), 8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(w->channelBox(i)->text().toStdString(), "CH" + std::to_string(i + 1));
        EXPECT_TRUE(w->channelBox(i)->isChecked());
        EXPECT_TRUE(w->ChannelDrawn(i));
    }

    // Renaming and hiding a channel reach the open window; a channel out of range is ignored.
    GraphSetParameter(3, 5, "電源", 500, 0);
    GraphSetParameter(9, 5, "none", 500, 1);
    GraphSetParameter(0, 5, "none", 500, 1);
    EXPECT_EQ(w->channelBox(2)->text().toStdString(), "電源");
    EXPECT_FALSE(w->ChannelDrawn(2));
    EXPECT_FALSE(w->channelBox(2)->isEnabled());

    // Closed by the user and opened again: the same window comes back.
    w->close();
    EXPECT_FALSE(w->isVisible());
    GraphOpen();
    EXPECT_EQ(Window(), w.data());
    EXPECT_TRUE(w->isVisible());
}

TEST_F(PlotwinWindow, SamplesReachTheTracesUpToTheLimit) {
    Prepare(5, ini(), 20001);
    // Samples that come before the window opens are kept and shown when it opens.
    Put(1, 1.5);
    Put(1, -2.25);
    GraphOpen();
    StripChartWindow* w = Window();
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(w->TracePoints(0).size(), 2u);
    EXPECT_EQ(w->TracePoints(0)[0], QPointF(0, 1.5));
    EXPECT_EQ(w->TracePoints(0)[1], QPointF(1, -2.25));
    EXPECT_EQ(w->TracePoints(1).size(), 0u);
    // The volts axis takes in every shown value.
    EXPECT_LE(w->voltsAxis()->min(), -2.25);
    EXPECT_GE(w->voltsAxis()->max(), 1.5);

    // Values of several samples, every step-th taken; values that cannot be drawn and calls
    // that name no channel are left out.
    const double values[] = {1, 9, 2, 9, 3, 9};
    GraphPutData(2, values, 3, 2);
    const double bad[] = {std::numeric_limits<double>::quiet_NaN(),
                          std::numeric_limits<double>::infinity(), 4.0};
    GraphPutData(2, bad, 3, 1);
    GraphPutData(0, values, 1, 1);
    GraphPutData(9, values, 1, 1);
    GraphPutData(2, nullptr, 1, 1);
    GraphPutData(2, values, -1, 1);
    Refresh();
    ASSERT_EQ(w->TracePoints(1).size(), 4u);
    EXPECT_EQ(w->TracePoints(1)[2], QPointF(2, 3));
    EXPECT_EQ(w->TracePoints(1)[3], QPointF(3, 4));

    // 20001 samples are kept per channel; the oldest go, the x axis counts on.
    for (int i = 0; i < 20010; ++i) Put(8, std::sin(i * 0.01));
    Refresh();
    // The trace is thinned to the plot's width; it still spans the kept samples from the
    // oldest to the newest, which it shows exactly.
    const std::vector<QPointF> s8 = w->TracePoints(7);
    ASSERT_GE(s8.size(), 2u);
    EXPECT_LT(s8.size(), 20001u);
    EXPECT_EQ(s8.front().x(), 9.0);
    EXPECT_DOUBLE_EQ(s8.front().y(), std::sin(9 * 0.01));
    EXPECT_EQ(s8.back().x(), 20009.0);
    EXPECT_DOUBLE_EQ(s8.back().y(), std::sin(20009 * 0.01));
    EXPECT_EQ(w->sampleAxis()->max(), 20009.0);
    EXPECT_EQ(GraphComponent::Existing()->ring(7).size(), 20001);
}

TEST_F(PlotwinWindow, TheRefreshTickBringsNewSamplesIn) {
    Prepare(2, ini(), 100, 20);
    GraphOpen();
    StripChartWindow* w = Window();
    ASSERT_NE(w, nullptr);
    Put(4, 7.0);
    EXPECT_EQ(w->TracePoints(3).size(), 0u);  // an append alone draws nothing
    EXPECT_TRUE(WaitFor([&] {
        QCoreApplication::processEvents();
        return w->TracePoints(3).size() == 1;
    }));
    // A small limit from GraphInitialize holds as well.
    for (int i = 0; i < 150; ++i) Put(4, i);
    EXPECT_TRUE(WaitFor([&] {
        QCoreApplication::processEvents();
        return w->TracePoints(3).size() == 100 && w->TracePoints(3)[99].y() == 149.0;
    }));
}

TEST_F(PlotwinWindow, DataClearEmptiesAndTerminateDestroys) {
    Prepare(5, ini());
    GraphOpen();
    QPointer<StripChartWindow> w = Window();
    ASSERT_TRUE(w);
    for (int ch = 1; ch <= 8; ++ch) Put(ch, ch);
    Refresh();
    EXPECT_EQ(w->TracePoints(4).size(), 1u);

    GraphDataClear();
    for (int i = 0; i < 8; ++i) EXPECT_EQ(w->TracePoints(i).size(), 0u);
    // Counting starts again at sample 0.
    Put(1, 3.0);
    Refresh();
    EXPECT_EQ(w->TracePoints(0)[0], QPointF(0, 3.0));

    GraphTerminate();
    EXPECT_TRUE(w.isNull());
    EXPECT_EQ(Window(), nullptr);
    // Everything is forgotten: a window opened now has default names and no samples.
    GraphOpen();
    ASSERT_NE(Window(), nullptr);
    EXPECT_EQ(Window()->windowTitle().toStdString(), "QVX-A/D グラフ");
    EXPECT_EQ(Window()->TracePoints(0).size(), 0u);
}

TEST_F(PlotwinWindow, PlacementIsSavedAndRestored) {
    // The seed start-up copies: its lines survive the window's writes (one rewrite, with the
    // ini files' CR LF).
    WriteFile(ini(), "; seed\n[Window]\n");
    Prepare(5, ini());
    GraphOpen();
    ASSERT_NE(Window(), nullptr);
    Window()->setGeometry(QRect(120, 90, 640, 400));
    GraphTerminate();
    EXPECT_EQ(ReadFile(ini()),
              "; seed\r\n[Window]\r\nLeft=120\r\nTop=90\r\nWidth=640\r\nHeight=400\r\n");

    Prepare(5, ini());
    GraphOpen();
    ASSERT_NE(Window(), nullptr);
    EXPECT_EQ(Window()->geometry(), QRect(120, 90, 640, 400));

    // Closing the window by hand also remembers where it was.
    Window()->setGeometry(QRect(60, 70, 500, 300));
    Window()->close();
    EXPECT_NE(ReadFile(ini()).find("Left=60\r\nTop=70\r\nWidth=500\r\nHeight=300\r\n"),
              std::string::npos);
    GraphTerminate();

    // A damaged placement is not used; one far off every screen keeps only its size.
    WriteFile(ini(), "[Window]\nLeft=10\nTop=10\nWidth=5\nHeight=5\n");
    Prepare(5, ini());
    GraphOpen();
    EXPECT_GE(Window()->width(), 200);
    GraphTerminate();
    WriteFile(ini(), "[Window]\nLeft=50000\nTop=50000\nWidth=610\nHeight=390\n");
    Prepare(5, ini());
    GraphOpen();
    EXPECT_EQ(Window()->size(), QSize(610, 390));
    EXPECT_LT(Window()->x(), 50000);
    GraphTerminate();

    // A hand-edited file read by the profile rules (names in any case, "12abc" reads 12); a
    // size without a position keeps only the size.
    WriteFile(ini(), "[ window ]\nleft=130abc\nTOP = 95\nWidth=620\nHeight=\"410\"\n");
    Prepare(5, ini());
    GraphOpen();
    EXPECT_EQ(Window()->geometry(), QRect(130, 95, 620, 410));
    GraphTerminate();
    WriteFile(ini(), "[Window]\nWidth=630\nHeight=420\n");
    Prepare(5, ini());
    GraphOpen();
    EXPECT_EQ(Window()->size(), QSize(630, 420));
}

TEST_F(PlotwinWindow, WorksWithoutInitialiseAndWritesNoFile) {
    // Start-up without a settings file or seed: no GraphInitialize at all.
    GraphDataClear();
    GraphSetParameter(1, 4, "CH1", 500, 1);
    GraphOpen();
    ASSERT_NE(Window(), nullptr);
    EXPECT_EQ(Window()->windowTitle().toStdString(), "QVX-A/D COM4 グラフ");
    EXPECT_EQ(Window()->channelCount(), 8);
    EXPECT_EQ(GraphComponent::Existing()->points(), 20001);
    Put(8, 1.0);
    Refresh();
    EXPECT_EQ(Window()->TracePoints(7).size(), 1u);
    GraphTerminate();
    GraphTerminate();  // twice is harmless
    EXPECT_FALSE(PathExists(ini()));

    // Nonsense parameters fall back to workable ones.
    GraphInitialize(-3, 0, 1, nullptr);
    EXPECT_EQ(GraphComponent::Existing()->channels(), 8);
    EXPECT_EQ(GraphComponent::Existing()->points(), 20001);
    EXPECT_EQ(GraphComponent::Existing()->refreshMs(), 500);
}

TEST_F(PlotwinWindow, OpenedFromAModalPanelItBelongsToThePanel) {
    // While the panel runs modally every other window is blocked, so the chart is made a
    // window of the panel's own and stays usable.
    Prepare(5, ini());
    QDialog panel;
    QPointer<StripChartWindow> w;
    bool blockedLook = true;
    QTimer::singleShot(0, &panel, [&] {
        GraphOpen();
        w = Window();
        if (w) blockedLook = !w->isVisible() || !w->isWindow();
        panel.reject();
    });
    panel.exec();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->parentWidget(), &panel);
    EXPECT_FALSE(blockedLook);
    // Start-up ends the component before the panel goes.
    GraphTerminate();
    EXPECT_TRUE(w.isNull());
}

TEST_F(PlotwinWindow, CallsFromAnotherThreadChangeNothingAndAreOnlyTraced) {
    Prepare(5, ini());
    Put(1, 2.5);
    GraphComponent* g = GraphComponent::Existing();
    ASSERT_NE(g, nullptr);
    const int held = g->ring(0).size();
    ASSERT_EQ(held, 1);

    GraphCallTraceClear();
    std::thread other([] {
        GraphInitialize(8, 500, 100, "/nonexistent/ADg1.ini");
        GraphOpen();
        Put(1, 7);
        GraphDataClear();
        GraphTerminate();
    });
    other.join();
    // The same component with the same samples, still without a window.
    EXPECT_EQ(GraphComponent::Existing(), g);
    EXPECT_EQ(g->ring(0).size(), held);
    EXPECT_EQ(g->ring(0).capacity(), 20001);
    EXPECT_EQ(Window(), nullptr);
    char trace[1024] = {};
    GraphCallTrace(trace, sizeof trace);
    EXPECT_EQ(std::string(trace),
              "GraphInitialize 8 500 100 /nonexistent/ADg1.ini\nGraphOpen\nGraphPutData 1 7 1 1\n"
              "GraphDataClear\nGraphTerminate\n");
}

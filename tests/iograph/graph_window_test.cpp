// The I/O graph window on the offscreen platform: recording, scrolling and the time scale
// through its real controls, its layout, and its placement in the "Graph" section of a real
// ini file. Also its two small controls on their own.
#include <gtest/gtest.h>

#include <QAbstractSlider>
#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <cstdlib>

#include "iograph/CButtonFlag.h"
#include "iograph/CChartLogic.h"
#include "iograph/CComboBoxTime.h"
#include "iograph/CDlgIoGraph.h"
#include "iograph/CScrollBarChart.h"
#include "iograph/input_sampling.h"
#include "platform/profile_file.h"
#include "support/test_env.h"

namespace {

// An owner standing in for the I/O panel, with a graph made as the panel makes it.
class GraphTest : public IsolatedTest {
  protected:
    void SetUp() override {
        ini = env.root() + "io.ini";
        graph = new CDlgIoGraph(&owner);
        alive = graph;
        ASSERT_EQ(1, graph->CreateModeless(ini, "Graph"));
    }

    void Show() {
        graph->showNormal();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(graph));
    }

    int ViewStart() const { return graph->chart->traces[0].viewStart; }
    int ViewEnd() const { return graph->chart->traces[0].viewEnd; }
    // Every trace shows the same stretch.
    bool ViewIs(int start, int end) const {
        for (int i = 0; i < graph->chart->traceCount; ++i) {
            const ChartTrace<short>& t = graph->chart->traces[i];
            if (t.viewStart != start || t.viewEnd != end) return false;
        }
        return true;
    }

    void ClickRun() { QTest::mouseClick(graph->runButton, Qt::LeftButton); }
    void ChooseTime(int index) {
        graph->timeCombo->setCurrentIndex(index);
        emit graph->timeCombo->activated(index);
    }
    // A user's scroll action on the bar, as a click or drag makes it.
    void Scroll(QAbstractSlider::SliderAction action) { graph->scroll->triggerAction(action); }
    void DragTo(int position) {
        graph->scroll->setSliderPosition(position);  // tracking: a SliderMove action
    }

    void Record(int samples) {
        for (int n = 0; n < samples; ++n) {
            for (int i = 0; i < kInputCount; ++i) ioGraphInputs[i] = (n + i) % 3 == 0;
            graph->chart->AddInputSample();
        }
    }

    QWidget owner;
    std::string ini;
    CDlgIoGraph* graph = nullptr;
    QPointer<CDlgIoGraph> alive;
};

}  // namespace

TEST_F(GraphTest, CreatedHiddenStoppedAtOneSecond) {
    EXPECT_FALSE(graph->isVisible());
    EXPECT_TRUE(graph->IsInitialised());
    EXPECT_EQ(QStringLiteral("QVX-IO"), graph->windowTitle());
    EXPECT_EQ(ini, graph->iniFile);
    EXPECT_EQ("Graph", graph->section);

    EXPECT_EQ(0, graph->runButton->state);
    EXPECT_EQ(QStringLiteral("RUN"), graph->runButton->text());
    ASSERT_EQ(3, graph->timeCombo->count());
    EXPECT_EQ(QStringLiteral("1sec"), graph->timeCombo->itemText(0));
    EXPECT_EQ(QStringLiteral("10sec"), graph->timeCombo->itemText(1));
    EXPECT_EQ(QStringLiteral("100sec"), graph->timeCombo->itemText(2));
    EXPECT_EQ(0, graph->timeCombo->currentIndex());
    EXPECT_EQ(100, graph->timeCombo->unitMs);

    ASSERT_TRUE(graph->chart->HasTraces());
    EXPECT_TRUE(ViewIs(0, 10));
    EXPECT_EQ(0, graph->chart->SampleCount(0));
    EXPECT_EQ(1001, graph->scroll->range());
    EXPECT_EQ(10, graph->scroll->page());
    EXPECT_EQ(0, graph->scroll->position());
    EXPECT_EQ(graph->scroll, graph->chart->scrollBar);
    EXPECT_EQ(0x000000u, graph->chart->colBack);
    EXPECT_EQ(0x808080u, graph->chart->colGrid);
    EXPECT_EQ(0xFFFF00u, graph->chart->colTrace);
    EXPECT_EQ(0x00FF00u, graph->chart->colLabel);
    EXPECT_EQ(0x00FFFFu, graph->chart->colEdge);
}

TEST_F(GraphTest, RunWithTenSecondsEmptiesTheHistory) {
    Show();
    Record(30);
    ASSERT_EQ(30, graph->chart->SampleCount(0));
    ChooseTime(1);
    ClickRun();
    EXPECT_EQ(1, graph->runButton->state);
    EXPECT_EQ(QStringLiteral("STOP"), graph->runButton->text());
    EXPECT_EQ(1, graph->chart->followLatest);
    for (int i = 0; i < kInputCount; ++i) EXPECT_EQ(0, graph->chart->SampleCount(i));
    EXPECT_TRUE(ViewIs(0, 100));
    EXPECT_EQ(100, graph->scroll->page());
    EXPECT_EQ(100, graph->scroll->pageStep());
    EXPECT_EQ(0, graph->scroll->position());
    EXPECT_EQ(0, graph->scroll->value());
}

TEST_F(GraphTest, StopThenRunDiscardsTheRecording) {
    Show();
    ClickRun();
    Record(40);
    ClickRun();  // STOP: the history stays
    EXPECT_EQ(0, graph->runButton->state);
    EXPECT_EQ(QStringLiteral("RUN"), graph->runButton->text());
    EXPECT_EQ(0, graph->chart->followLatest);
    EXPECT_EQ(40, graph->chart->SampleCount(0));
    ClickRun();  // RUN again
    EXPECT_EQ(0, graph->chart->SampleCount(0));
    EXPECT_TRUE(ViewIs(0, 10));
}

TEST_F(GraphTest, ScrollingWhileStoppedMovesTheView) {
    Show();
    DragTo(300);
    EXPECT_TRUE(ViewIs(300, 310));
    EXPECT_EQ(300, graph->scroll->position());

    Scroll(QAbstractSlider::SliderPageStepAdd);
    EXPECT_TRUE(ViewIs(310, 320));
    EXPECT_EQ(310, graph->scroll->position());
    EXPECT_EQ(310, graph->scroll->value());

    // Line left at position 0 changes nothing, and the bar stays at 0.
    DragTo(0);
    ASSERT_TRUE(ViewIs(0, 10));
    Scroll(QAbstractSlider::SliderSingleStepSub);
    EXPECT_TRUE(ViewIs(0, 10));
    EXPECT_EQ(0, graph->scroll->position());
    EXPECT_EQ(0, graph->scroll->value());

    // Page right from 985 asks for 995..1005 and gets 990..1000.
    graph->OnHScroll(CScrollBarChart::kThumbPosition, 985);
    ASSERT_TRUE(ViewIs(985, 995));
    Scroll(QAbstractSlider::SliderPageStepAdd);
    EXPECT_TRUE(ViewIs(990, 1000));
    EXPECT_EQ(990, graph->scroll->position());
    EXPECT_EQ(990, graph->scroll->value());

    // The page step stays 10 samples at another time scale.
    ChooseTime(1);
    DragTo(100);
    ASSERT_TRUE(ViewIs(100, 200));
    Scroll(QAbstractSlider::SliderPageStepSub);
    EXPECT_TRUE(ViewIs(90, 190));
}

TEST_F(GraphTest, ScrollingWhileRecordingMovesNothing) {
    Show();
    ClickRun();
    Record(50);
    // The chart follows the newest samples (its paint moves the view).
    EXPECT_TRUE(ViewIs(39, 49));
    EXPECT_EQ(39, graph->scroll->position());
    for (auto action : {QAbstractSlider::SliderPageStepSub, QAbstractSlider::SliderSingleStepAdd,
                        QAbstractSlider::SliderPageStepAdd}) {
        Scroll(action);
        EXPECT_TRUE(ViewIs(39, 49));
        EXPECT_EQ(39, graph->scroll->position());
        EXPECT_EQ(39, graph->scroll->value());
    }
    DragTo(5);
    EXPECT_TRUE(ViewIs(39, 49));
    EXPECT_EQ(39, graph->scroll->value());
    Record(1);
    EXPECT_TRUE(ViewIs(40, 50));
}

TEST_F(GraphTest, TimeScaleKeepsTheStartWhereItFits) {
    Show();
    DragTo(950);
    ASSERT_TRUE(ViewIs(950, 960));
    ChooseTime(2);  // 100sec: 1000 samples from 950 do not fit
    EXPECT_TRUE(ViewIs(0, 1000));
    EXPECT_EQ(1000, graph->scroll->page());
    EXPECT_EQ(0, graph->scroll->position());

    ChooseTime(0);
    DragTo(300);
    ASSERT_TRUE(ViewIs(300, 310));
    ChooseTime(1);  // 10sec
    EXPECT_TRUE(ViewIs(300, 400));
    EXPECT_EQ(100, graph->scroll->page());
    EXPECT_EQ(300, graph->scroll->position());
    EXPECT_EQ(300, graph->scroll->value());

    // While recording too; the run then starts at the chosen scale.
    ClickRun();
    EXPECT_TRUE(ViewIs(0, 100));
    ChooseTime(0);
    EXPECT_TRUE(ViewIs(0, 10));
    EXPECT_EQ(10, graph->scroll->page());
}

TEST_F(GraphTest, CloseBoxAndEscapeLeaveTheRecordingGoing) {
    Show();
    ClickRun();
    QTest::keyClick(graph->timeCombo, Qt::Key_Escape);
    EXPECT_TRUE(graph->isVisible());
    EXPECT_TRUE(graph->close());
    EXPECT_FALSE(graph->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(alive.isNull());
    EXPECT_EQ(1, graph->runButton->state);
    Record(3);  // the panel goes on sampling into the hidden window
    EXPECT_EQ(3, graph->chart->SampleCount(0));
    EXPECT_FALSE(PathExists(ini));
    Show();
    EXPECT_EQ(QStringLiteral("STOP"), graph->runButton->text());
}

TEST_F(IsolatedTest, GraphWindowRestoredWiderMovesItsControls) {
    const std::string ini = env.root() + "io.ini";
    QWidget owner;
    // The design: a graph with nothing saved.
    auto* first = new CDlgIoGraph(&owner);
    first->CreateModeless(ini, "Graph");
    first->showNormal();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(first));
    const QRect outer = first->frameGeometry();
    EXPECT_EQ(outer.width(), first->DesignWidth());
    const QRect chart = first->chart->geometry();
    const QRect scroll = first->scroll->geometry();
    const QRect run = first->runButton->geometry();
    const QRect time = first->timeCombo->geometry();
    const QSize design = first->size();

    // Not smaller than the design.
    first->resize(design - QSize(100, 80));
    QCoreApplication::processEvents();
    EXPECT_EQ(design, first->size());
    EXPECT_EQ(chart, first->chart->geometry());
    first->DestroyWithoutSaving();

    WriteFile(ini, "[Graph]\r\nLeft=10\r\nTop=20\r\nWidth=" + std::to_string(outer.width() + 200) +
                       "\r\nHeight=" + std::to_string(outer.height()) + "\r\n");
    auto* graph = new CDlgIoGraph(&owner);
    graph->CreateModeless(ini, "Graph");
    graph->showNormal();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(graph));
    QCoreApplication::processEvents();
    EXPECT_EQ(outer.width() + 200, graph->frameGeometry().width());
    EXPECT_EQ(chart.adjusted(0, 0, 200, 0), graph->chart->geometry());
    EXPECT_EQ(scroll.adjusted(0, 0, 200, 0), graph->scroll->geometry());
    EXPECT_EQ(run.translated(200, 0), graph->runButton->geometry());
    EXPECT_EQ(time.translated(200, 0), graph->timeCombo->geometry());

    // Taller too: the scroll bar, button and list go down, the chart grows.
    graph->resize(graph->size() + QSize(0, 50));
    QCoreApplication::processEvents();
    EXPECT_EQ(chart.adjusted(0, 0, 200, 50), graph->chart->geometry());
    EXPECT_EQ(scroll.adjusted(0, 0, 200, 0).translated(0, 50), graph->scroll->geometry());
    EXPECT_EQ(run.translated(200, 50), graph->runButton->geometry());
    EXPECT_EQ(time.translated(200, 50), graph->timeCombo->geometry());
    graph->DestroyWithoutSaving();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(IsolatedTest, GraphWindowPlacementGoesToTheGraphSection) {
    const std::string ini = env.root() + "io.ini";
    WriteFile(ini, "[System]\r\nLeft=5\r\nTop=6\r\n");
    QWidget owner;
    auto* graph = new CDlgIoGraph(&owner);
    QPointer<CDlgIoGraph> alive(graph);
    graph->CreateModeless(ini, "Graph");
    graph->showNormal();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(graph));
    graph->move(30, 40);
    graph->resize(graph->size() + QSize(60, 30));
    QCoreApplication::processEvents();
    const QRect outer = graph->frameGeometry();
    graph->DestroyWindow();  // the panel's close box
    EXPECT_FALSE(graph->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull());
    EXPECT_EQ(5, GetPrivateProfileInt("System", "Left", -1, ini));
    EXPECT_EQ(30, GetPrivateProfileInt("Graph", "Left", -1, ini));
    EXPECT_EQ(40, GetPrivateProfileInt("Graph", "Top", -1, ini));
    EXPECT_EQ(outer.width(), GetPrivateProfileInt("Graph", "Width", -1, ini));
    EXPECT_EQ(outer.height(), GetPrivateProfileInt("Graph", "Height", -1, ini));

    // Back where it was, hidden until shown, at the same outer rectangle.
    auto* again = new CDlgIoGraph(&owner);
    again->CreateModeless(ini, "Graph");
    EXPECT_FALSE(again->isVisible());
    again->showNormal();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(again));
    QCoreApplication::processEvents();
    EXPECT_EQ(outer, again->frameGeometry());

    // The panel ending otherwise: the graph goes with it and saves nothing.
    again->move(70, 80);
    QCoreApplication::processEvents();
    const std::string before = ReadFile(ini);
    again->DestroyWithoutSaving();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(before, ReadFile(ini));
}

TEST_F(IsolatedTest, GraphWindowWithNothingSavedFirstShowsCentredOverItsOwner) {
    const std::string ini = env.root() + "io.ini";
    WriteFile(ini, "[System]\r\nLeft=5\r\nTop=6\r\n");  // the panel's own place only
    QWidget owner;
    owner.setGeometry(40, 30, 300, 200);
    auto* graph = new CDlgIoGraph(&owner);
    graph->CreateModeless(ini, "Graph");
    // The panel moves between the graph's creation and its first show.
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    const QSize outer = graph->frameGeometry().size();
    ASSERT_LT(outer.width() + 40, work.width());
    ASSERT_LT(outer.height() + 40, work.height());
    const QPoint centre = work.center() + QPoint(13, 11);
    owner.setGeometry(centre.x() - 150, centre.y() - 100, 300, 200);
    graph->showNormal();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(graph));
    const QRect shown = graph->frameGeometry();
    // Within half the frame, which the window gets only as it is shown.
    const QSize frame = shown.size() - graph->size();
    EXPECT_LE(std::abs(shown.center().x() - owner.frameGeometry().center().x()),
              frame.width() / 2 + 1)
        << shown.x() << " " << shown.width() << " " << outer.width();
    EXPECT_LE(std::abs(shown.center().y() - owner.frameGeometry().center().y()),
              frame.height() / 2 + 1)
        << shown.y() << " " << shown.height() << " " << outer.height();

    // Shown again after the user moved it: it stays where the user put it.
    graph->move(shown.topLeft() + QPoint(17, 9));
    graph->hide();
    graph->showNormal();
    QCoreApplication::processEvents();
    EXPECT_EQ(graph->frameGeometry().topLeft(), shown.topLeft() + QPoint(17, 9));
    graph->DestroyWithoutSaving();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(IsolatedTest, GraphWindowGoesWithItsOwner) {
    const std::string ini = env.root() + "io.ini";
    auto* owner = new QWidget;
    auto* graph = new CDlgIoGraph(owner);
    QPointer<CDlgIoGraph> alive(graph);
    graph->CreateModeless(ini, "Graph");
    graph->showNormal();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(graph));
    QTest::mouseClick(graph->runButton, Qt::LeftButton);
    delete owner;
    EXPECT_TRUE(alive.isNull());
    EXPECT_FALSE(PathExists(ini));
}

TEST(ComboBoxTime, AddTimeTextsAndFullList) {
    CComboBoxTime combo;
    EXPECT_EQ(0, combo.unitMs);
    EXPECT_EQ(0, combo.maxItems);
    EXPECT_EQ(0, combo.itemCount);
    EXPECT_FALSE(combo.AddTime(10));  // no value array
    EXPECT_EQ(0, combo.count());

    combo.unitMs = 100;
    combo.AllocateValues(6);
    for (int v : {5, 10, 15, 100, 1000, 123}) EXPECT_TRUE(combo.AddTime(v));
    EXPECT_FALSE(combo.AddTime(7));  // full: nothing added
    ASSERT_EQ(6, combo.count());
    EXPECT_EQ(6, combo.itemCount);
    const char* texts[] = {"500msec", "1sec", "1.500sec", "10sec", "100sec", "12.300sec"};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(QString::fromUtf8(texts[i]), combo.itemText(i)) << i;
    int value = 0;
    EXPECT_TRUE(combo.ValueAt(2, &value));
    EXPECT_EQ(15, value);
    EXPECT_FALSE(combo.ValueAt(6, &value));
    EXPECT_FALSE(combo.ValueAt(-1, &value));

    EXPECT_EQ(QStringLiteral("1msec"), CComboBoxTime::TimeText(1));
    EXPECT_EQ(QStringLiteral("999msec"), CComboBoxTime::TimeText(999));
    EXPECT_EQ(QStringLiteral("1.001sec"), CComboBoxTime::TimeText(1001));
    EXPECT_EQ(QStringLiteral("0msec"), CComboBoxTime::TimeText(0));
    // A product beyond int does not overflow.
    combo.unitMs = 1000000;
    combo.AllocateValues(1);
    EXPECT_EQ(0, combo.count());
    EXPECT_TRUE(combo.AddTime(5000));
    EXPECT_EQ(QStringLiteral("5000000sec"), combo.itemText(0));
}

TEST(ButtonFlag, ClickTogglesStateAndCaptionBeforeTheDialogHears) {
    QWidget window;
    auto* button = new CButtonFlag(QStringLiteral("Run"), &window);
    EXPECT_EQ(0, button->state);
    EXPECT_EQ("true", button->trueText);
    EXPECT_EQ("false", button->falseText);
    std::vector<int> seen;
    QObject::connect(button, &QPushButton::clicked, [&] { seen.push_back(button->state); });
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(1, button->state);
    EXPECT_EQ(QStringLiteral("true"), button->text());
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(0, button->state);
    EXPECT_EQ(QStringLiteral("false"), button->text());
    EXPECT_EQ((std::vector<int>{1, 0}), seen);

    button->trueText = "止める";
    button->state = 0;
    button->click();
    EXPECT_EQ(QString::fromUtf8("止める"), button->text());
}

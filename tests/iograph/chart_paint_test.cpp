// The timing chart painted into images: pixels by colour at the rows and columns the drawing
// rules give, and the drawn texts through the chart's text recording.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>
#include <algorithm>
#include <vector>

#include "iograph/CChartLogic.h"
#include "iograph/CScrollBarChart.h"

namespace {

const ChartColors kColors{0x000000, 0x808080, 0xFFFF00, 0x00FF00, 0x00FFFF};
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kGrey = qRgb(128, 128, 128);
const QRgb kCyan = qRgb(0, 255, 255);

bool IsYellowish(QRgb c) {
    return qRed(c) > 100 && qGreen(c) > 100 && qBlue(c) < 60;
}

// Any yellow pixel in the rectangle (where a mark's glyphs land).
bool HasYellow(const QImage& img, const QRect& r) {
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            if (img.valid(x, y) && IsYellowish(img.pixel(x, y))) return true;
        }
    }
    return false;
}

class ChartPaint : public ::testing::Test {
  protected:
    void SetUp() override {
        std::fill(std::begin(ioGraphInputs), std::end(ioGraphInputs), 0);
        ASSERT_EQ(chart.Setup(kColors, &scroll), 1);
        // The graph window's RUN with the 1-second scale.
        chart.followLatest = 1;
        chart.ClearSamples();
        chart.SetView(0, 10);
        chart.RecordTexts(&texts);
    }
    void TearDown() override { std::fill(std::begin(ioGraphInputs), std::end(ioGraphInputs), 0); }

    QImage Paint(int w = 400, int h = 300) {
        texts.clear();
        QImage img(w, h, QImage::Format_RGB32);
        img.fill(qRgb(1, 2, 3));
        chart.Render(img);
        return img;
    }
    std::vector<ChartText> TextsOfHeight(int fontHeight) const {
        std::vector<ChartText> out;
        for (const ChartText& t : texts) {
            if (t.fontHeight == fontHeight) out.push_back(t);
        }
        return out;
    }
    std::vector<ChartText> MarksAt(int x, int y) const {
        std::vector<ChartText> out;
        for (const ChartText& t : TextsOfHeight(12)) {
            if (t.x == x && t.y == y) out.push_back(t);
        }
        return out;
    }
    QStringList TimeLabels() const {
        QStringList out;
        for (const ChartText& t : TextsOfHeight(11)) out << t.text;
        return out;
    }

    CScrollBarChart scroll;
    CChartLogic chart;
    std::vector<ChartText> texts;
};

}  // namespace

TEST_F(ChartPaint, SetupGivesGridScaleFontsAndScrollRange) {
    EXPECT_EQ(chart.samplePeriodMs, 100);
    EXPECT_EQ(chart.gridColor, 0x808080u);
    EXPECT_EQ(chart.grid.xDivisions, 50);
    EXPECT_EQ(chart.grid.xLineStep, 5);
    EXPECT_EQ(chart.grid.yLineStep, 0);
    EXPECT_EQ(scroll.range(), 1001);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(chart.traces[i].color, 0xFFFF00u);
        EXPECT_EQ(chart.traces[i].minValue, 0);
        EXPECT_EQ(chart.traces[i].maxValue, 90);
    }
    EXPECT_EQ(chart.fontLabel.height, 14);
    EXPECT_EQ(chart.fontEdge.height, 12);
    EXPECT_EQ(chart.fontTime.height, 11);
    EXPECT_EQ(chart.fontLabel.faceName, "ＭＳ ゴシック");
    EXPECT_EQ(chart.fontEdge.quality, 1);
    EXPECT_EQ(chart.Setup(kColors, &scroll), 0);  // the traces exist already

    // Empty history: black background, grey frame and ten columns, labels, no trace.
    const QImage img = Paint();
    EXPECT_EQ(img.pixel(100, 150), kBlack);
    for (int x : {0, 40, 80, 200, 360, 399}) EXPECT_EQ(img.pixel(x, 150), kGrey) << x;
    EXPECT_EQ(img.pixel(41, 150), kBlack);
    EXPECT_EQ(img.pixel(150, 0), kGrey);
    EXPECT_EQ(img.pixel(150, 299), kGrey);
    const std::vector<ChartText> labels = TextsOfHeight(14);
    ASSERT_EQ(labels.size(), 8u);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(labels[i].text, QStringLiteral("IN%1").arg(i));
        EXPECT_EQ(labels[i].x, 2);
        EXPECT_EQ(labels[i].color, 0x00FF00u);
    }
    EXPECT_EQ(labels[0].y, 29);   // 300 - 81 * 300 / 90 - 1
    EXPECT_EQ(labels[7].y, 263);  // 300 - trunc(11 * 300 / 90 = 36.7) - 1
    EXPECT_TRUE(TextsOfHeight(12).empty());
}

TEST_F(ChartPaint, InputOnThroughoutIsOneLineWithAnEndMark) {
    ioGraphInputs[0] = 1;
    for (int n = 0; n < 11; ++n) chart.AddInputSample();
    const QImage img = Paint();

    // IN0 ON: y = 300 - trunc(83 * 300 / 90) - 1 = 23 across the whole width.
    for (int x : {0, 1, 40, 199, 200, 398, 399}) EXPECT_EQ(img.pixel(x, 23), kCyan) << x;
    EXPECT_NE(img.pixel(100, 22), kCyan);
    EXPECT_NE(img.pixel(100, 24), kCyan);
    // IN7 OFF: 300 - trunc(5 * 300 / 90) - 1 = 283.
    EXPECT_EQ(img.pixel(300, 283), kCyan);

    const std::vector<ChartText> on = MarksAt(380, 25);
    ASSERT_EQ(on.size(), 1u);
    EXPECT_EQ(on[0].text, "on");
    EXPECT_EQ(on[0].color, 0x00FFFFu);
    EXPECT_TRUE(HasYellow(img, QRect(380, 25, 20, 13)));
    // IN1 OFF at 83, its label row 63: the mark sits above the line.
    const std::vector<ChartText> off = MarksAt(380, 83 - 12);
    ASSERT_EQ(off.size(), 1u);
    EXPECT_EQ(off[0].text, "off");
    EXPECT_EQ(TextsOfHeight(12).size(), 8u);  // one end mark per trace, nothing else
}

// At a size that is no multiple of ten, k * w / 10 and k * (w / 10) part, and so do rounded
// and truncated rows: every position here is the one the integer formulas give.
TEST_F(ChartPaint, LevelChangesAreSteppedWithMarks) {
    // IN3 OFF for samples 0..4, ON from 5; IN5 ON for 0..2, OFF from 3.
    for (int n = 0; n < 11; ++n) {
        ioGraphInputs[3] = n >= 5;
        ioGraphInputs[5] = n < 3;
        chart.AddInputSample();
    }
    const QImage img = Paint(397, 293);

    // Grid columns at m * 397 / 10, the last one outside; nothing beside them.
    for (int x : {39, 79, 158, 277, 357, 396}) EXPECT_EQ(img.pixel(x, 290), kGrey) << x;
    for (int x : {38, 40, 78, 80, 157, 159}) EXPECT_EQ(img.pixel(x, 290), kBlack) << x;

    // IN3: OFF row 293 - trunc(45 * 293 / 90) - 1 = 146, ON row 293 - trunc(172.54) - 1 = 120;
    // the edge at x = 5 * 397 / 10 = 198.
    for (QPoint p : {QPoint(100, 146), QPoint(197, 146), QPoint(198, 146), QPoint(198, 135),
                     QPoint(198, 121), QPoint(300, 120)}) {
        EXPECT_EQ(img.pixel(p), kCyan) << p.x() << "," << p.y();
    }
    for (QPoint p : {QPoint(230, 146), QPoint(199, 135), QPoint(300, 119), QPoint(300, 121),
                     QPoint(100, 120)}) {
        EXPECT_NE(img.pixel(p), kCyan) << p.x() << "," << p.y();
    }
    ASSERT_EQ(MarksAt(202, 122).size(), 1u);
    EXPECT_EQ(MarksAt(202, 122)[0].text, "on");
    EXPECT_TRUE(HasYellow(img, QRect(202, 122, 20, 13)));

    // IN5: ON row 185, OFF row 211; it goes down at x = 3 * 397 / 10 = 119, "off" above the
    // lower level.
    for (QPoint p : {QPoint(60, 185), QPoint(119, 200), QPoint(300, 211)}) {
        EXPECT_EQ(img.pixel(p), kCyan) << p.x() << "," << p.y();
    }
    EXPECT_NE(img.pixel(118, 200), kCyan);
    ASSERT_EQ(MarksAt(123, 199).size(), 1u);
    EXPECT_EQ(MarksAt(123, 199)[0].text, "off");

    // Labels on the reference rows: IN3 at 293 - trunc(51 * 293 / 90) - 1 = 126.
    const std::vector<ChartText> labels = TextsOfHeight(14);
    ASSERT_EQ(labels.size(), 8u);
    EXPECT_EQ(labels[3].y, 126);
    EXPECT_EQ(labels[7].y, 257);

    // Changed traces get no end mark: six end marks at 397 - 20 plus the two changes.
    EXPECT_EQ(TextsOfHeight(12).size(), 8u);
    EXPECT_EQ(MarksAt(377, 48 - 12).size(), 1u);  // IN0 OFF throughout: above its row 48
    EXPECT_TRUE(MarksAt(377, 120 + 2).empty());
}

TEST_F(ChartPaint, FiveSamplesEndPartwayAndShortTracesMarkAfterTheirEnd) {
    ioGraphInputs[0] = 1;
    for (int n = 0; n < 5; ++n) chart.AddInputSample();
    const QImage img = Paint(397, 300);
    // The last sample (j = 4) is at x = 4 * 397 / 10 = 158: the line ends there.
    EXPECT_EQ(img.pixel(157, 23), kCyan);
    EXPECT_NE(img.pixel(165, 23), kCyan);
    EXPECT_EQ(MarksAt(138, 25).size(), 1u);

    // A single sample is at x = 0 < 20: its mark goes to the right of it.
    chart.ClearSamples();
    chart.AddInputSample();
    Paint();
    EXPECT_EQ(MarksAt(4, 25).size(), 1u);
    // Two samples: the last one at x = 203 / 10 = 20 is no longer left of 20; at 199 / 10 = 19
    // it still is.
    chart.AddInputSample();
    Paint(203, 300);
    EXPECT_EQ(MarksAt(0, 25).size(), 1u);
    Paint(199, 300);
    EXPECT_EQ(MarksAt(23, 25).size(), 1u);
}

TEST_F(ChartPaint, TimeLabelsNameTheViewInSecondsAndTenths) {
    Paint(397, 293);
    EXPECT_EQ(TimeLabels(), QStringList({"0.0sec", "0.1sec", "0.2sec", "0.3sec", "0.4sec", "0.5sec",
                                         "0.6sec", "0.7sec", "0.8sec", "0.9sec"}));
    const std::vector<ChartText> time = TextsOfHeight(11);
    ASSERT_EQ(time.size(), 10u);
    const int x[10] = {2, 41, 81, 121, 160, 200, 240, 279, 319, 359};  // k * 397 / 10 + 2
    for (int k = 0; k < 10; ++k) {
        EXPECT_EQ(time[k].x, x[k]);
        EXPECT_EQ(time[k].y, 2);
        EXPECT_EQ(time[k].color, 0x808080u);
    }

    // A view of 19 samples from sample 5: steps of 100 * 19 / 10 = 190 ms from 500 ms.
    chart.SetView(5, 23);
    Paint();
    EXPECT_EQ(TimeLabels(), QStringList({"0.5sec", "0.6sec", "0.8sec", "1.0sec", "1.2sec", "1.4sec",
                                         "1.6sec", "1.8sec", "2.0sec", "2.2sec"}));

    chart.SetView(0, 100);
    Paint();
    EXPECT_EQ(TimeLabels(), QStringList({"0.0sec", "1.0sec", "2.0sec", "3.0sec", "4.0sec", "5.0sec",
                                         "6.0sec", "7.0sec", "8.0sec", "9.0sec"}));
    chart.SetView(100, 200);
    Paint();
    EXPECT_EQ(TimeLabels(), QStringList({"10.0sec", "11.0sec", "12.0sec", "13.0sec", "14.0sec",
                                         "15.0sec", "16.0sec", "17.0sec", "18.0sec", "19.0sec"}));
}

TEST_F(ChartPaint, FollowingMovesViewScrollBarAndTimeLabelsTogether) {
    for (int n = 0; n < 12; ++n) chart.AddInputSample();
    Paint();
    EXPECT_EQ(chart.traces[0].viewStart, 1);
    EXPECT_EQ(chart.traces[0].viewEnd, 11);
    EXPECT_EQ(scroll.position(), 1);
    EXPECT_EQ(scroll.value(), 1);
    // The labels name the samples drawn in this very paint.
    EXPECT_EQ(TimeLabels().value(0), "0.1sec");

    for (int n = 0; n < 1100; ++n) chart.AddInputSample();
    Paint();
    EXPECT_EQ(chart.traces[0].viewStart, 990);
    EXPECT_EQ(scroll.position(), 990);
    EXPECT_EQ(TimeLabels().value(0), "99.0sec");
    EXPECT_EQ(TimeLabels().value(9), "99.9sec");
}

TEST_F(ChartPaint, PaintsOnScreenOnlyWhileShownAndFollowsTheNewSize) {
    QWidget window;
    window.resize(420, 320);
    CScrollBarChart bar(&window);
    CChartLogic shown(&window);
    shown.setGeometry(0, 0, 400, 300);
    ASSERT_EQ(shown.Setup(kColors, &bar), 1);
    shown.SetView(0, 10);
    ioGraphInputs[0] = 1;

    // Hidden: nothing paints, so the following view stays where it is.
    for (int n = 0; n < 12; ++n) shown.AddInputSample();
    EXPECT_EQ(shown.traces[0].viewStart, 0);

    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    shown.repaint();
    EXPECT_EQ(shown.traces[0].viewStart, 1);
    QImage img = shown.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(img.size(), QSize(400, 300));
    EXPECT_EQ(img.pixel(250, 23), kCyan);
    EXPECT_EQ(img.pixel(40, 150), kGrey);

    shown.resize(200, 150);  // the next paint uses the new size
    QApplication::processEvents();
    img = shown.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(img.size(), QSize(200, 150));
    EXPECT_EQ(img.pixel(100, 150 - 138 - 1), kCyan);  // 83 * 150 / 90 = 138.3
    EXPECT_EQ(img.pixel(20, 75), kGrey);
}

TEST(ChartBefore, SetupPaintsOnlyTheBackground) {
    CChartLogic chart;
    QImage img(50, 40, QImage::Format_RGB32);
    img.fill(Qt::white);
    chart.Render(img);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 50; ++x) ASSERT_EQ(img.pixel(x, y), kBlack) << x << "," << y;
    }
}

TEST(ChartScale, EmptyScaleGivesNoRowAndDrawsNothing) {
    int row = -5;
    EXPECT_FALSE(ValueToRow(10, 0, 0, 300, &row));
    EXPECT_EQ(row, -5);
    ASSERT_TRUE(ValueToRow(83, 0, 90, 300, &row));
    EXPECT_EQ(row, 23);
    ASSERT_TRUE(ValueToRow(0, 0, 90, 300, &row));
    EXPECT_EQ(row, 299);

    // Straight after Create every trace's scale is 0 to 0: nothing is drawn.
    CChartVariable<short> chart;
    ASSERT_EQ(chart.Create(0), 1);
    chart.traces[0].color = 0x0000FF;
    for (int n = 0; n < 11; ++n) chart.PushSample(0, 5);
    chart.SetView(0, 10);
    QImage img(100, 100, QImage::Format_RGB32);
    chart.Render(img);
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 100; ++x) ASSERT_EQ(img.pixel(x, y), kBlack) << x << "," << y;
    }
}

// The generic drawing of a plain store chart: one polyline per trace, broken at gap values.
TEST(ChartVariableDraw, PolylineBreaksAtGaps) {
    CChartVariable<short> chart;
    ASSERT_EQ(chart.Create(0x000000), 1);
    ChartTrace<short>& t = chart.traces[0];
    t.color = 0x0000FF;  // red
    t.minValue = 0;
    t.maxValue = 100;
    t.gapEnabled = 1;
    t.gapValue = -1;
    for (short v : {50, 50, 50, -1, 50, 50, 50, 50, 50, 50, 50}) chart.PushSample(0, v);
    chart.SetView(0, 10);
    QImage img(100, 100, QImage::Format_RGB32);
    chart.Render(img);
    const QRgb red = qRgb(255, 0, 0);
    // y = 100 - 50 - 1 = 49; samples 10 px apart, sample 3 missing.
    EXPECT_EQ(img.pixel(5, 49), red);
    EXPECT_EQ(img.pixel(15, 49), red);
    EXPECT_NE(img.pixel(25, 49), red);
    EXPECT_NE(img.pixel(35, 49), red);
    EXPECT_EQ(img.pixel(45, 49), red);
    EXPECT_EQ(img.pixel(95, 49), red);
}

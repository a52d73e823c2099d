// What a user does in the graph window, on the offscreen platform: hides channels (and finds
// them hidden after a restart), pauses to look back while samples keep coming, scrolls and
// zooms, follows again, and saves the kept samples as CSV through the real file dialog.
#include <QAbstractSlider>
#include <QApplication>
#include <QChartView>
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QValueAxis>
#include <QWheelEvent>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>

#include "GraphComponent.h"
#include "plotwin.h"
#include "plotwin_drive.h"
#include "support/test_env.h"

using plotwin::GraphComponent;
using plotwin::StripChartWindow;
using namespace plotwin_drive;

namespace {

// Opens the window at a known size and lets it lay itself out.
StripChartWindow* OpenWindow() {
    GraphOpen();
    StripChartWindow* w = Window();
    if (!w) return nullptr;
    w->resize(900, 520);
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        Refresh();
    }
    return w;
}

// A click on the box's indicator, as a user makes it.
void ClickBox(StripChartWindow* w, int index) {
    QCheckBox* box = w->channelBox(index);
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(6, box->height() / 2));
}

void Send(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button,
          Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(at), QPointF(target->mapToGlobal(at)), button, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

// Drags the chart with the left button from one point of its viewport to another.
void Drag(StripChartWindow* w, QPoint from, QPoint to) {
    QWidget* viewport = w->view()->viewport();
    Send(viewport, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    Send(viewport, QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
    Send(viewport, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    Send(viewport, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

// One notch of the mouse wheel (positive: away from the user, zooming in) over the chart.
void Wheel(StripChartWindow* w, QPoint at, int notches) {
    QWidget* viewport = w->view()->viewport();
    QWheelEvent event(QPointF(at), QPointF(viewport->mapToGlobal(at)), QPoint(),
                      QPoint(0, 120 * notches), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                      false);
    QCoreApplication::sendEvent(viewport, &event);
}

// Answers the first modal dialog of type T that comes up, from inside its own event loop.
template <class T>
class ModalAnswer {
  public:
    explicit ModalAnswer(std::function<void(T*)> act) : act_(std::move(act)) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            T* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
            if (!dialog || answered_) return;
            answered_ = true;
            timer_.stop();
            act_(dialog);
        });
        timer_.start();
    }
    bool answered() const { return answered_; }

  private:
    std::function<void(T*)> act_;
    QTimer timer_;
    bool answered_ = false;
};

// Types path into the save dialog and presses its Save button.
std::function<void(QFileDialog*)> SaveAs(const std::string& path) {
    return [path](QFileDialog* dialog) {
        auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(edit, nullptr);
        edit->setText(QString::fromStdString(path));
        // Through QDialog, where accept is public: the file dialog's own checks still run.
        static_cast<QDialog*>(dialog)->accept();
    };
}

struct AxisView {
    double xLow, xHigh, yLow, yHigh;
    bool operator==(const AxisView& o) const {
        return xLow == o.xLow && xHigh == o.xHigh && yLow == o.yLow && yHigh == o.yHigh;
    }
};

AxisView Axes(StripChartWindow* w) {
    return {w->sampleAxis()->min(), w->sampleAxis()->max(), w->voltsAxis()->min(),
            w->voltsAxis()->max()};
}

// The points of a trace that lie inside the sample range shown.
std::vector<QPointF> ShownPoints(StripChartWindow* w, int index) {
    std::vector<QPointF> inside;
    for (const QPointF& p : w->TracePoints(index)) {
        if (p.x() >= w->sampleAxis()->min() && p.x() <= w->sampleAxis()->max()) inside.push_back(p);
    }
    return inside;
}

class PlotwinFeatures : public IsolatedTest {
  protected:
    std::string ini() const { return env.settingsFolder() + "vantrelADg5.ini"; }
    void SetUp() override { std::filesystem::create_directories(env.settingsFolder()); }
    void TearDown() override { GraphTerminate(); }
};

const char* kHeader = "Time [s],CH1,CH2,CH3,CH4,CH5,CH6,CH7,CH8\n";

}  // namespace

TEST_F(PlotwinFeatures, HiddenChannelsAreKeptInTheSettingsFileAndComeBackAfterARestart) {
    WriteFile(ini(), "; seed\n[Window]\n");
    Prepare(5, ini());
    for (int ch = 1; ch <= 8; ++ch) Put(ch, ch == 2 ? 100.0 : ch * 0.5);
    StripChartWindow* w = OpenWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_GE(w->voltsAxis()->max(), 100.0);

    // The user hides CH2: it is no longer drawn, the volts axis no longer makes room for it,
    // and the choice is written at once beside the seed's lines.
    ClickBox(w, 1);
    EXPECT_FALSE(w->channelBox(1)->isChecked());
    EXPECT_FALSE(w->ChannelDrawn(1));
    EXPECT_TRUE(w->ChannelDrawn(0));
    EXPECT_LT(w->voltsAxis()->max(), 100.0);
    EXPECT_EQ(ReadFile(ini()),
              "; seed\r\n[Window]\r\n[Channels]\r\nShown1=1\r\nShown2=0\r\nShown3=1\r\n"
              "Shown4=1\r\nShown5=1\r\nShown6=1\r\nShown7=1\r\nShown8=1\r\n");

    // The panel ends and starts again; start-up shows every channel (flag 1), but the
    // user's choice stands. The placement went into the same file.
    GraphTerminate();
    EXPECT_NE(ReadFile(ini()).find("[Window]\r\nLeft="), std::string::npos);
    Prepare(5, ini());
    for (int ch = 1; ch <= 8; ++ch) Put(ch, ch == 2 ? 100.0 : ch * 0.5);
    w = OpenWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(w->channelBox(1)->isChecked());
    EXPECT_LT(w->voltsAxis()->max(), 100.0);
    EXPECT_FALSE(w->ChannelDrawn(1));
    for (int i : {0, 2, 3, 4, 5, 6, 7}) {
        EXPECT_TRUE(w->channelBox(i)->isChecked()) << i;
        EXPECT_TRUE(w->ChannelDrawn(i)) << i;
    }

    // The program's flag still hides a channel; the box is greyed out meanwhile, and the
    // user's choice (kept in the file) is not touched by it.
    GraphSetParameter(4, 5, "CH4", 500, 0);
    EXPECT_FALSE(w->ChannelDrawn(3));
    EXPECT_FALSE(w->channelBox(3)->isEnabled());
    GraphSetParameter(2, 5, "CH2", 500, 0);
    ClickBox(w, 1);  // a greyed-out box takes no click: the user's choice stays
    EXPECT_FALSE(w->ChannelDrawn(1));
    GraphSetParameter(2, 5, "CH2", 500, 1);
    EXPECT_TRUE(w->channelBox(1)->isEnabled());
    EXPECT_FALSE(w->channelBox(1)->isChecked());
    EXPECT_FALSE(w->ChannelDrawn(1));
    EXPECT_NE(ReadFile(ini()).find("Shown4=1\r\n"), std::string::npos);
    GraphSetParameter(4, 5, "CH4", 500, 1);
    EXPECT_TRUE(w->ChannelDrawn(3));

    // Shown again by the user: drawn, and remembered.
    ClickBox(w, 1);
    EXPECT_TRUE(w->ChannelDrawn(1));
    EXPECT_GE(w->voltsAxis()->max(), 100.0);
    EXPECT_NE(ReadFile(ini()).find("Shown2=1\r\n"), std::string::npos);
    GraphTerminate();
    Prepare(5, ini());
    w = OpenWindow();
    EXPECT_TRUE(w->channelBox(1)->isChecked());
}

TEST_F(PlotwinFeatures, WithoutASettingsFileHidingWorksAndWritesNothing) {
    // Start-up without a settings file or seed calls no GraphInitialize.
    GraphDataClear();
    GraphSetParameter(1, 4, "CH1", 500, 1);
    Put(1, 1.0);
    StripChartWindow* w = OpenWindow();
    ASSERT_NE(w, nullptr);
    ClickBox(w, 0);
    EXPECT_FALSE(w->ChannelDrawn(0));
    EXPECT_TRUE(std::filesystem::is_empty(env.settingsFolder()));
}

TEST_F(PlotwinFeatures, PauseKeepsTheViewWhileSamplesArriveAndFollowReturnsToTheNewest) {
    Prepare(5, ini());
    for (int i = 0; i < 1000; ++i) {
        for (int ch = 1; ch <= 8; ++ch) Put(ch, std::sin(i * 0.01) + ch);
    }
    StripChartWindow* w = OpenWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->sampleView().following());
    EXPECT_EQ(w->sampleAxis()->min(), 0.0);
    EXPECT_EQ(w->sampleAxis()->max(), 999.0);
    EXPECT_EQ(w->pauseButton()->text().toStdString(), "一時停止");

    QTest::mouseClick(w->pauseButton(), Qt::LeftButton);
    EXPECT_FALSE(w->sampleView().following());
    EXPECT_EQ(w->pauseButton()->text().toStdString(), "追従");
    const AxisView paused = Axes(w);
    const std::vector<QPointF> shown = ShownPoints(w, 0);
    ASSERT_FALSE(shown.empty());

    // Samples far outside the volts shown keep coming, and the refresh tick runs: the view
    // does not move, yet every sample is kept.
    for (int i = 1000; i < 1500; ++i) {
        for (int ch = 1; ch <= 8; ++ch) Put(ch, 50.0 + i);
    }
    Refresh();
    QTest::qWait(600);  // at least one refresh tick of 500 ms
    Refresh();
    EXPECT_TRUE(Axes(w) == paused);
    EXPECT_EQ(ShownPoints(w, 0), shown);
    EXPECT_EQ(GraphComponent::Existing()->ring(0).size(), 1500);
    EXPECT_EQ(w->pauseButton()->text().toStdString(), "追従");

    // Looking back: the wheel zooms in around the mouse, the scroll bar reaches both ends of
    // the kept samples, all while still paused.
    Wheel(w, w->view()->viewport()->rect().center(), 1);
    EXPECT_EQ(w->sampleAxis()->max() - w->sampleAxis()->min(), 799.0);
    w->scrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(w->sampleAxis()->max(), 1499.0);
    w->scrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(w->sampleAxis()->min(), 0.0);
    // Dragging the chart to the left brings newer samples in.
    Drag(w, QPoint(500, 200), QPoint(300, 200));
    EXPECT_GT(w->sampleAxis()->min(), 0.0);
    EXPECT_FALSE(w->sampleView().following());

    // Follow: back to the newest samples, at the zoomed width, and on with new ones.
    QTest::mouseClick(w->pauseButton(), Qt::LeftButton);
    EXPECT_TRUE(w->sampleView().following());
    EXPECT_EQ(w->pauseButton()->text().toStdString(), "一時停止");
    EXPECT_EQ(w->sampleAxis()->max(), 1499.0);
    EXPECT_EQ(w->sampleAxis()->min(), 700.0);
    for (int ch = 1; ch <= 8; ++ch) Put(ch, 1.0);
    Refresh();
    EXPECT_EQ(w->sampleAxis()->max(), 1500.0);
    EXPECT_EQ(w->TracePoints(0).back(), QPointF(1500, 1.0));

    // A drag while following pauses as well; a plain click does not.
    QWidget* viewport = w->view()->viewport();
    Send(viewport, QEvent::MouseButtonPress, QPoint(400, 200), Qt::LeftButton, Qt::LeftButton);
    Send(viewport, QEvent::MouseButtonRelease, QPoint(400, 200), Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(w->sampleView().following());
    Drag(w, QPoint(400, 200), QPoint(600, 200));
    EXPECT_FALSE(w->sampleView().following());
    EXPECT_LT(w->sampleAxis()->max(), 1500.0);
}

TEST_F(PlotwinFeatures, CsvButtonSavesTheKeptSamplesAndReportsAFailure) {
    // The interval of GraphInitialize (250 ms here) sets the time column.
    Prepare(5, ini(), 20001, 250);
    Put(1, 1.5);
    Put(1, 2.5);
    Put(3, -1.0);
    StripChartWindow* w = OpenWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->csvButton()->text().toStdString(), "CSV...");

    const std::string path = env.root() + "export.csv";
    {
        ModalAnswer<QFileDialog> save(SaveAs(path));
        ModalAnswer<QMessageBox> noMessage([](QMessageBox* box) { box->done(0); });
        QTest::mouseClick(w->csvButton(), Qt::LeftButton);
        EXPECT_TRUE(save.answered());
        EXPECT_FALSE(noMessage.answered());
    }
    EXPECT_EQ(ReadFile(path), std::string(kHeader) + "0,1.5,,-1,,,,,\n0.25,2.5,,,,,,,\n");

    // A folder that does not exist: a message box says so, and nothing is made.
    const std::string missing = env.root() + "missing/export.csv";
    std::string message;
    {
        ModalAnswer<QFileDialog> save(SaveAs(missing));
        ModalAnswer<QMessageBox> warn([&](QMessageBox* box) {
            message = box->text().toStdString();
            box->done(0);
        });
        QTest::mouseClick(w->csvButton(), Qt::LeftButton);
        EXPECT_TRUE(warn.answered());
    }
    EXPECT_NE(message.find("CSV ファイルを保存できませんでした"), std::string::npos) << message;
    EXPECT_NE(message.find(missing), std::string::npos) << message;
    EXPECT_NE(message.find(std::strerror(ENOENT)), std::string::npos) << message;
    EXPECT_FALSE(PathExists(env.root() + "missing"));

    // Cancelled: nothing written, nothing said.
    Put(1, 9.0);
    {
        ModalAnswer<QFileDialog> cancel([](QFileDialog* dialog) { dialog->reject(); });
        ModalAnswer<QMessageBox> noMessage([](QMessageBox* box) { box->done(0); });
        QTest::mouseClick(w->csvButton(), Qt::LeftButton);
        EXPECT_TRUE(cancel.answered());
        EXPECT_FALSE(noMessage.answered());
    }
    EXPECT_EQ(ReadFile(path), std::string(kHeader) + "0,1.5,,-1,,,,,\n0.25,2.5,,,,,,,\n");
}

TEST_F(PlotwinFeatures, ValuesFarOffTheAxisAreDrawnWithoutHarm) {
    // Finite but absurd values (a broken conversion): the axes stay finite numbers, and a
    // sample far off a zoomed view is drawn clipped.
    Prepare(5, ini());
    for (int i = 0; i < 300; ++i) Put(1, i % 100 == 50 ? 1e308 : (i % 100 == 51 ? -1e308 : 0.5));
    StripChartWindow* w = OpenWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(std::isfinite(w->voltsAxis()->min()));
    EXPECT_TRUE(std::isfinite(w->voltsAxis()->max()));
    EXPECT_FALSE(w->grab().isNull());
    w->Zoom(0.01, 40);
    w->ScrollTo(30);
    EXPECT_EQ(w->sampleAxis()->min(), 30.0);
    EXPECT_LT(w->voltsAxis()->max(), 1.0);  // fitted to the samples in view only
    EXPECT_FALSE(w->grab().isNull());
}

TEST_F(PlotwinFeatures, CsvTimesDefaultToHalfASecondWithoutInitialise) {
    GraphDataClear();
    Put(2, 4.0);
    Put(2, 5.0);
    const std::string path = env.root() + "plain.csv";
    std::string error;
    ASSERT_TRUE(GraphComponent::Existing()->ExportCsv(path, &error)) << error;
    EXPECT_EQ(ReadFile(path), std::string(kHeader) + "0,,4,,,,,,\n0.5,,5,,,,,,\n");
}

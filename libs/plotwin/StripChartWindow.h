// The strip-chart window of the graph component: the channels' traces on a shared x axis that
// counts samples and a volts axis that follows the data, with the controls a user needs to
// read them: a check box per channel (its colour, its name; unticked hides it), a button that
// pauses the chart to look back and follows the newest samples again, a "CSV..." button that
// saves the kept samples, and a scroll bar (or mouse drag and wheel on the chart) to move and
// zoom through the kept samples.
#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "SampleRing.h"
#include "envelope_cache.h"
#include "min_max_envelope.h"
#include "sample_view.h"

class QChart;
class QChartView;
class QCheckBox;
class QPushButton;
class QScrollBar;
class QTimer;
class QValueAxis;

namespace plotwin {

class TraceLayer;

class StripChartWindow : public QWidget {
  public:
    // refreshMs: how often onTick runs while the window is shown.
    StripChartWindow(int channels, int refreshMs, QWidget* parent);
    ~StripChartWindow() override;

    int channelCount() const { return static_cast<int>(boxes_.size()); }
    QChartView* view() const { return view_; }
    QValueAxis* sampleAxis() const { return xAxis_; }
    QValueAxis* voltsAxis() const { return yAxis_; }
    QCheckBox* channelBox(int index) const { return boxes_[static_cast<size_t>(index)]; }
    QPushButton* pauseButton() const { return pauseButton_; }
    QPushButton* csvButton() const { return csvButton_; }
    QScrollBar* scrollBar() const { return scrollBar_; }
    const SampleView& sampleView() const { return sampleView_; }
    // The thinned points drawn for a channel (sample number, volts), and whether it is drawn.
    std::vector<QPointF> TracePoints(int index) const;
    bool ChannelDrawn(int index) const;

    void SetChannelName(int index, const std::string& name);
    // allowed: the program lets the channel be shown; userShown: the user's own choice. The
    // channel is drawn only when both hold; a channel not allowed has its box greyed out.
    void SetChannelState(int index, bool allowed, bool userShown);
    // The start of the file name the CSV dialog proposes (a time stamp and ".csv" follow).
    void SetCsvBaseName(const std::string& name) { csvBaseName_ = name; }

    // Puts the samples of every channel into its trace, thinned to the plot's width (see
    // min_max_envelope.h), and fits the axes to what is shown. rings has one entry per
    // channel. While paused the range shown stays as it is. Each channel's EnvelopeCache
    // recomputes only the runs that are new or cut by the range's edges, so redoing every
    // channel on every refresh costs little.
    void ShowSamples(const std::vector<SampleRing>& rings);

    // The user's moves, as the buttons, the scroll bar and the mouse make them.
    void Pause();
    void Follow();
    void ScrollTo(int64_t low);
    void Zoom(double factor, int64_t anchor);
    // Asks for a file name and saves the kept samples there through onExportCsv; a failure is
    // shown in a message box.
    void ExportCsv();

    // Called on every refresh tick while the window is shown, and whenever the user changes
    // what is shown (so the owner hands in the samples again).
    std::function<void()> onTick;
    // Called whenever the window hides (so the owner can remember the placement).
    std::function<void()> onHide;
    // Called when the user ticks or unticks a channel's box.
    std::function<void(int index, bool shown)> onUserShown;
    // Saves the kept samples as CSV to the path; false with a reason on failure.
    std::function<bool(const std::string& path, std::string* error)> onExportCsv;

  protected:
    void hideEvent(QHideEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* MakeSidePanel(int channels);
    // The volts range that shows every drawn point of range r.
    void FitVolts(const SampleView::Range& r, double* low, double* high) const;
    void UpdateControls(const SampleView::Range& r);
    void AskForSamples();
    // The sample number under the x pixel of the chart view's viewport.
    int64_t SampleAt(double viewportX) const;

    QChart* chart_ = nullptr;
    QChartView* view_ = nullptr;
    QValueAxis* xAxis_ = nullptr;
    QValueAxis* yAxis_ = nullptr;
    TraceLayer* traces_ = nullptr;
    QTimer* timer_ = nullptr;
    QPushButton* pauseButton_ = nullptr;
    QPushButton* csvButton_ = nullptr;
    QScrollBar* scrollBar_ = nullptr;
    std::vector<QCheckBox*> boxes_;

    SampleView sampleView_;
    int64_t keptFirst_ = 0, keptEnd_ = 0;  // the kept sample numbers at the last ShowSamples
    SampleView::Range shown_{0, 0};        // the range the traces were thinned for
    std::vector<EnvelopeCache> caches_;    // one per channel
    std::vector<EnvelopePoint> scratch_;
    bool updatingControls_ = false;  // the scroll bar moves because the chart moved
    int64_t scrollUnit_ = 1;         // samples per step of the scroll bar
    bool dragging_ = false;
    double dragStartX_ = 0;
    int64_t dragStartLow_ = 0;
    std::string csvBaseName_ = "QVX-AD";
    QString csvFolder_;
};

}  // namespace plotwin

// The strip-chart window of the graph component: one line series per channel on a shared
// x axis that counts samples, and a volts axis that follows the data.
#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "SampleRing.h"

class QChart;
class QChartView;
class QLineSeries;
class QTimer;
class QValueAxis;

namespace plotwin {

class StripChartWindow : public QWidget {
  public:
    // refreshMs: how often Tick runs while the window is shown.
    StripChartWindow(int channels, int refreshMs, QWidget* parent);
    ~StripChartWindow() override;

    int channelCount() const { return static_cast<int>(series_.size()); }
    QLineSeries* series(int index) const { return series_[static_cast<size_t>(index)]; }
    QChartView* view() const { return view_; }
    QValueAxis* sampleAxis() const { return xAxis_; }
    QValueAxis* voltsAxis() const { return yAxis_; }

    void SetChannelName(int index, const std::string& name);
    void SetChannelShown(int index, bool shown);

    // Puts the samples of the channels marked in changed into their series, thinned to the
    // plot's width (see min_max_envelope.h), and fits the axes to what is shown. rings and
    // changed have one entry per channel.
    void ShowSamples(const std::vector<SampleRing>& rings, const std::vector<bool>& changed);

    // Called on every refresh tick while the window is shown, and whenever it hides (so the
    // owner can remember the placement).
    std::function<void()> onTick;
    std::function<void()> onHide;

  protected:
    void hideEvent(QHideEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    struct Ranges {
        double xLow, xHigh, yLow, yHigh;
    };
    // The axis ranges that show every sample of the shown channels.
    Ranges Fit(const std::vector<SampleRing>& rings) const;

    QChart* chart_ = nullptr;
    QChartView* view_ = nullptr;
    QValueAxis* xAxis_ = nullptr;
    QValueAxis* yAxis_ = nullptr;
    QTimer* timer_ = nullptr;
    std::vector<QLineSeries*> series_;
    int64_t bucket_ = 0;  // samples per run of the thinned series now shown
};

}  // namespace plotwin

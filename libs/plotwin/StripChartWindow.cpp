#include "StripChartWindow.h"

#include <QChart>
#include <QChartView>
#include <QHideEvent>
#include <QLineSeries>
#include <QList>
#include <QPen>
#include <QPointF>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <limits>

#include "min_max_envelope.h"

namespace plotwin {
namespace {

// The x axis never spans fewer samples than this, so the first few samples do not fill the
// width as huge steps.
constexpr double kMinSampleSpan = 100.0;
// Fixed, well-separated colours so a channel keeps its colour from run to run.
const QColor kChannelColours[] = {
    QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28), QColor(0x2c, 0xa0, 0x2c),
    QColor(0xff, 0x7f, 0x0e), QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b),
    QColor(0xe3, 0x77, 0xc2), QColor(0x17, 0xbe, 0xcf),
};

}  // namespace

StripChartWindow::StripChartWindow(int channels, int refreshMs, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    chart_ = new QChart;
    // Animations would replay on every refresh and cost far more than the drawing itself.
    chart_->setAnimationOptions(QChart::NoAnimation);
    chart_->legend()->setAlignment(Qt::AlignRight);

    xAxis_ = new QValueAxis;
    xAxis_->setTitleText(QString::fromUtf8("サンプル"));
    xAxis_->setLabelFormat("%d");
    xAxis_->setRange(0, kMinSampleSpan);
    yAxis_ = new QValueAxis;
    yAxis_->setTitleText(QString::fromUtf8("電圧 [V]"));
    yAxis_->setRange(-1, 1);
    chart_->addAxis(xAxis_, Qt::AlignBottom);
    chart_->addAxis(yAxis_, Qt::AlignLeft);

    const int count = std::max(channels, 0);
    for (int i = 0; i < count; ++i) {
        auto* s = new QLineSeries;
        s->setName(QString("CH%1").arg(i + 1));
        s->setUseOpenGL(false);
        // A cosmetic one-pixel pen is the cheapest line the raster engine draws.
        QPen pen(kChannelColours[i % 8]);
        pen.setWidth(1);
        pen.setCosmetic(true);
        s->setPen(pen);
        chart_->addSeries(s);
        s->attachAxis(xAxis_);
        s->attachAxis(yAxis_);
        series_.push_back(s);
    }

    view_ = new QChartView(chart_, this);
    view_->setRenderHint(QPainter::Antialiasing, false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    resize(800, 480);

    timer_ = new QTimer(this);
    timer_->setInterval(std::max(refreshMs, 1));
    QObject::connect(timer_, &QTimer::timeout, this, [this] {
        if (onTick) onTick();
    });
}

StripChartWindow::~StripChartWindow() = default;

void StripChartWindow::SetChannelName(int index, const std::string& name) {
    if (index < 0 || index >= channelCount()) return;
    series(index)->setName(QString::fromStdString(name));
}

void StripChartWindow::SetChannelShown(int index, bool shown) {
    if (index < 0 || index >= channelCount()) return;
    series(index)->setVisible(shown);
}

void StripChartWindow::ShowSamples(const std::vector<SampleRing>& rings,
                                   const std::vector<bool>& changed) {
    const int n = std::min<int>(channelCount(), static_cast<int>(rings.size()));
    const Ranges want = Fit(rings);
    // Thinned to the plot's width: the line covers the same pixels, the chart lays out and
    // paints a tenth of the points.
    const int pixels = chart_->plotArea().width() >= 1
                           ? static_cast<int>(chart_->plotArea().width())
                           : std::max(width(), 100);
    const int64_t bucket = EnvelopeBucket(static_cast<int64_t>(want.xHigh - want.xLow) + 1, pixels);
    const bool rethin = bucket != bucket_;
    bucket_ = bucket;

    std::vector<int> redo;
    for (int c = 0; c < n; ++c) {
        if (rethin || (c < static_cast<int>(changed.size()) && changed[static_cast<size_t>(c)]))
            redo.push_back(c);
    }
    const bool axesMove = xAxis_->min() != want.xLow || xAxis_->max() != want.xHigh ||
                          yAxis_->min() != want.yLow || yAxis_->max() != want.yHigh;
    // A new range lays out every series again; emptied first, the series about to be
    // replaced are laid out only once, with their new points.
    if (axesMove) {
        for (int c : redo) series(c)->clear();
        xAxis_->setRange(want.xLow, want.xHigh);
        yAxis_->setRange(want.yLow, want.yHigh);
    }
    std::vector<EnvelopePoint> thin;
    for (int c : redo) {
        MinMaxEnvelope(rings[static_cast<size_t>(c)], bucket, &thin);
        QList<QPointF> points;
        points.reserve(static_cast<qsizetype>(thin.size()));
        for (const EnvelopePoint& p : thin) {
            points.append(QPointF(static_cast<double>(p.number), p.value));
        }
        // One replace lays the series out once, where appending point by point would lay it
        // out for every point.
        series(c)->replace(points);
    }
}

StripChartWindow::Ranges StripChartWindow::Fit(const std::vector<SampleRing>& rings) const {
    double xLow = std::numeric_limits<double>::max(), xHigh = std::numeric_limits<double>::lowest();
    double yLow = xLow, yHigh = xHigh;
    const int n = std::min<int>(channelCount(), static_cast<int>(rings.size()));
    for (int c = 0; c < n; ++c) {
        const SampleRing& ring = rings[static_cast<size_t>(c)];
        double lo = 0, hi = 0;
        if (!series(c)->isVisible() || !ring.Bounds(&lo, &hi)) continue;
        xLow = std::min(xLow, static_cast<double>(ring.firstNumber()));
        xHigh = std::max(xHigh, static_cast<double>(ring.total() - 1));
        yLow = std::min(yLow, lo);
        yHigh = std::max(yHigh, hi);
    }
    if (xLow > xHigh) return Ranges{0, kMinSampleSpan, -1, 1};  // nothing shown
    Ranges r{xLow, std::max(xHigh, xLow + kMinSampleSpan), yAxis_->min(), yAxis_->max()};
    // The volts axis stays while the values fit and fill at least half of it, so a wiggling
    // input does not make it twitch.
    const double span = r.yHigh - r.yLow;
    const bool fits = yLow >= r.yLow && yHigh <= r.yHigh && (yHigh - yLow) >= 0.5 * span;
    if (!fits) {
        // Some room above and below, and a visible band even for a constant input.
        const double margin = std::max((yHigh - yLow) * 0.1, 0.1);
        r.yLow = yLow - margin;
        r.yHigh = yHigh + margin;
    }
    return r;
}

void StripChartWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    timer_->start();
}

void StripChartWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Minimising also hides; the data keeps coming in, only the drawing pauses.
    timer_->stop();
    if (onHide) onHide();
}

}  // namespace plotwin

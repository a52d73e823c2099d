#include "StripChartWindow.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>
#include <QWheelEvent>
#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

#include "TraceLayer.h"
#include "csv_dialog.h"

namespace plotwin {
namespace {

// Fixed, well-separated colours so a channel keeps its colour from run to run.
const QColor kChannelColours[] = {
    QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28), QColor(0x2c, 0xa0, 0x2c),
    QColor(0xff, 0x7f, 0x0e), QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b),
    QColor(0xe3, 0x77, 0xc2), QColor(0x17, 0xbe, 0xcf),
};
// One notch of the mouse wheel zooms by this factor.
constexpr double kWheelZoom = 0.8;
// A press moves the chart only once the mouse has moved this far (pixels), so a plain click
// does not pause it.
constexpr double kDragThreshold = 3;

const char* kPauseText = "一時停止";
const char* kFollowText = "追従";

int ToInt(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}

// A short line in the channel's colour: the check box doubles as the legend.
QIcon Swatch(const QColor& colour) {
    QPixmap pixmap(18, 12);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.fillRect(QRect(0, 4, 18, 4), colour);
    return QIcon(pixmap);
}

}  // namespace

StripChartWindow::StripChartWindow(int channels, int refreshMs, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    const int count = std::max(channels, 0);
    chart_ = new QChart;
    // Animations would replay on every refresh and cost far more than the drawing itself.
    chart_->setAnimationOptions(QChart::NoAnimation);
    // The channels' check boxes beside the chart are the legend.
    chart_->legend()->hide();

    xAxis_ = new QValueAxis;
    xAxis_->setTitleText(QString::fromUtf8("サンプル"));
    xAxis_->setLabelFormat("%d");
    yAxis_ = new QValueAxis;
    yAxis_->setTitleText(QString::fromUtf8("電圧 [V]"));
    const SampleView::Range start = sampleView_.Visible(0, 0);
    xAxis_->setRange(static_cast<double>(start.low), static_cast<double>(start.high));
    yAxis_->setRange(-1, 1);
    chart_->addAxis(xAxis_, Qt::AlignBottom);
    chart_->addAxis(yAxis_, Qt::AlignLeft);

    traces_ = new TraceLayer(count, chart_);
    caches_.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) traces_->SetColour(i, kChannelColours[i % 8]);
    traces_->SetRanges(xAxis_->min(), xAxis_->max(), yAxis_->min(), yAxis_->max());
    QObject::connect(chart_, &QChart::plotAreaChanged, this,
                     [this](const QRectF& area) { traces_->SetArea(area); });

    view_ = new QChartView(chart_, this);
    view_->setRenderHint(QPainter::Antialiasing, false);
    // The chart's own background is a gradient-filled rounded rectangle that the raster engine
    // fills span by span on its thread pool, the largest cost of a repaint; the view fills the
    // same white as a plain rectangle instead.
    view_->setBackgroundBrush(QBrush(Qt::white));
    chart_->setBackgroundVisible(false);
    view_->viewport()->installEventFilter(this);
    view_->setToolTip(
        QString::fromUtf8("ドラッグで移動、ホイールで拡大・縮小 (一時停止して過去を表示)"));

    scrollBar_ = new QScrollBar(Qt::Horizontal, this);
    QObject::connect(scrollBar_, &QScrollBar::valueChanged, this, [this](int value) {
        if (updatingControls_) return;
        // The bar's ends stand for the ends of the kept samples, whatever its unit.
        int64_t low = static_cast<int64_t>(value) * scrollUnit_;
        if (value >= scrollBar_->maximum()) {
            low = keptEnd_;  // as far as it goes: the newest samples
        } else if (value <= scrollBar_->minimum()) {
            low = keptFirst_;
        }
        ScrollTo(low);
    });

    // The chart with its scroll bar, and beside it the legend (a check box per channel) and
    // the buttons, where the chart's own legend used to be.
    auto* plot = new QVBoxLayout;
    plot->setSpacing(0);
    plot->addWidget(view_, 1);
    plot->addWidget(scrollBar_);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(plot, 1);
    layout->addWidget(MakeSidePanel(count));
    resize(800, 480);

    timer_ = new QTimer(this);
    timer_->setInterval(std::max(refreshMs, 1));
    QObject::connect(timer_, &QTimer::timeout, this, [this] {
        if (onTick) onTick();
    });
    UpdateControls(start);
}

StripChartWindow::~StripChartWindow() = default;

QWidget* StripChartWindow::MakeSidePanel(int channels) {
    auto* bar = new QWidget(this);
    auto* row = new QVBoxLayout(bar);
    row->setContentsMargins(6, 8, 8, 8);
    for (int i = 0; i < channels; ++i) {
        auto* box = new QCheckBox(QString("CH%1").arg(i + 1), bar);
        box->setIcon(Swatch(kChannelColours[i % 8]));
        box->setChecked(true);
        box->setToolTip(QString::fromUtf8("チェックを外すとこのチャンネルを隠します"));
        // clicked comes only from the user, never from SetChannelState; a channel the
        // program does not allow has its box disabled, so it never gets here.
        QObject::connect(box, &QCheckBox::clicked, this, [this, i](bool checked) {
            traces_->SetShown(i, checked);
            // The owner remembers the choice and hands the samples in again (the volts axis
            // follows what is shown).
            if (onUserShown) {
                onUserShown(i, checked);
            } else {
                AskForSamples();
            }
        });
        row->addWidget(box);
        boxes_.push_back(box);
    }
    row->addStretch(1);
    pauseButton_ = new QPushButton(QString::fromUtf8(kPauseText), bar);
    pauseButton_->setToolTip(
        QString::fromUtf8("一時停止: 表示を止めて過去を見る (データは記録し続けます) / "
                          "追従: 最新のデータを表示"));
    QObject::connect(pauseButton_, &QPushButton::clicked, this, [this] {
        if (sampleView_.following()) {
            Pause();
        } else {
            Follow();
        }
    });
    row->addWidget(pauseButton_);
    csvButton_ = new QPushButton("CSV...", bar);
    csvButton_->setToolTip(QString::fromUtf8("記録しているデータを CSV ファイルに保存します"));
    QObject::connect(csvButton_, &QPushButton::clicked, this, [this] { ExportCsv(); });
    row->addWidget(csvButton_);
    return bar;
}

std::vector<QPointF> StripChartWindow::TracePoints(int index) const {
    std::vector<QPointF> out;
    if (index < 0 || index >= channelCount()) return out;
    for (const EnvelopePoint& p : traces_->points(index))
        out.emplace_back(static_cast<double>(p.number), p.value);
    return out;
}

bool StripChartWindow::ChannelDrawn(int index) const {
    return index >= 0 && index < channelCount() && traces_->shown(index);
}

void StripChartWindow::SetChannelName(int index, const std::string& name) {
    if (index < 0 || index >= channelCount()) return;
    channelBox(index)->setText(QString::fromStdString(name));
}

void StripChartWindow::SetChannelState(int index, bool allowed, bool userShown) {
    if (index < 0 || index >= channelCount()) return;
    QCheckBox* box = channelBox(index);
    box->setEnabled(allowed);
    box->setChecked(allowed && userShown);
    traces_->SetShown(index, allowed && userShown);
}

void StripChartWindow::ShowSamples(const std::vector<SampleRing>& rings) {
    const int n = std::min<int>(channelCount(), static_cast<int>(rings.size()));
    KeptSpan(rings, &keptFirst_, &keptEnd_);

    const SampleView::Range r = sampleView_.Visible(keptFirst_, keptEnd_);
    // Thinned to the plot's width: the line covers the same pixels, and a refresh handles a
    // few thousand points instead of the whole history.
    const int pixels = traces_->area().width() >= 1 ? static_cast<int>(traces_->area().width())
                                                    : std::max(width(), 100);
    const int64_t bucket = EnvelopeBucket(r.width(), pixels);
    shown_ = r;
    for (int c = 0; c < n; ++c) {
        caches_[static_cast<size_t>(c)].Update(rings[static_cast<size_t>(c)], bucket, r.low, r.high,
                                               &scratch_);
        traces_->SwapPoints(c, &scratch_);
    }

    double yLow = 0, yHigh = 0;
    FitVolts(r, &yLow, &yHigh);
    const double xLow = static_cast<double>(r.low), xHigh = static_cast<double>(r.high);
    if (xAxis_->min() != xLow || xAxis_->max() != xHigh) xAxis_->setRange(xLow, xHigh);
    if (yAxis_->min() != yLow || yAxis_->max() != yHigh) yAxis_->setRange(yLow, yHigh);
    traces_->SetRanges(xLow, xHigh, yLow, yHigh);
    UpdateControls(r);
}

void StripChartWindow::FitVolts(const SampleView::Range& r, double* low, double* high) const {
    double lo = std::numeric_limits<double>::max(), hi = std::numeric_limits<double>::lowest();
    for (int c = 0; c < channelCount(); ++c) {
        if (!traces_->shown(c)) continue;
        // The points inside the range hold its lowest and highest sample.
        for (const EnvelopePoint& p : traces_->points(c)) {
            if (p.number < r.low || p.number > r.high) continue;
            lo = std::min(lo, p.value);
            hi = std::max(hi, p.value);
        }
    }
    if (lo > hi) {  // nothing drawn
        *low = -1;
        *high = 1;
        return;
    }
    // Far beyond any input, and the span with its margin stays a finite number.
    lo = std::max(lo, -1e300);
    hi = std::min(hi, 1e300);
    *low = yAxis_->min();
    *high = yAxis_->max();
    // The volts axis stays while the values fit and fill at least half of it, so a wiggling
    // input does not make it twitch.
    const double span = *high - *low;
    const bool fits = lo >= *low && hi <= *high && (hi - lo) >= 0.5 * span;
    if (!fits) {
        // Some room above and below, and a visible band even for a constant input.
        const double margin = std::max((hi - lo) * 0.1, 0.1);
        *low = lo - margin;
        *high = hi + margin;
    }
}

void StripChartWindow::UpdateControls(const SampleView::Range& r) {
    updatingControls_ = true;
    // The bar counts in units of about one pixel of its groove: finer steps cannot be seen or
    // grabbed, and so it changes (and repaints) only when its slider really moves, not with
    // every sample.
    const int64_t groove = std::max(scrollBar_->width(), 100);
    scrollUnit_ = std::max<int64_t>(1, (keptEnd_ - keptFirst_ + groove - 1) / groove);
    const int64_t u = scrollUnit_;
    const int64_t lastLow = std::max(keptFirst_, keptEnd_ - r.width());
    scrollBar_->setRange(ToInt((keptFirst_ + u - 1) / u), ToInt(lastLow / u));
    scrollBar_->setPageStep(ToInt(std::max<int64_t>(1, r.width() / u)));
    scrollBar_->setSingleStep(ToInt(std::max<int64_t>(1, r.width() / 10 / u)));
    scrollBar_->setValue(ToInt((r.low + u - 1) / u));
    pauseButton_->setText(QString::fromUtf8(sampleView_.following() ? kPauseText : kFollowText));
    updatingControls_ = false;
}

void StripChartWindow::AskForSamples() {
    if (onTick) onTick();
}

void StripChartWindow::Pause() {
    sampleView_.Pause(keptFirst_, keptEnd_);
    AskForSamples();
}

void StripChartWindow::Follow() {
    sampleView_.Follow();
    AskForSamples();
}

void StripChartWindow::ScrollTo(int64_t low) {
    sampleView_.ScrollTo(low, keptFirst_, keptEnd_);
    AskForSamples();
}

void StripChartWindow::Zoom(double factor, int64_t anchor) {
    sampleView_.Zoom(factor, anchor, keptFirst_, keptEnd_);
    AskForSamples();
}

int64_t StripChartWindow::SampleAt(double viewportX) const {
    const QRectF area = traces_->area();
    const QPointF scene = view_->mapToScene(QPoint(static_cast<int>(viewportX), 0));
    const double x = chart_->mapFromScene(scene).x();
    if (area.width() < 1) return shown_.low + shown_.width() / 2;
    const double share = std::clamp((x - area.left()) / area.width(), 0.0, 1.0);
    return shown_.low + std::llround(share * static_cast<double>(shown_.high - shown_.low));
}

bool StripChartWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != view_->viewport()) return QWidget::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::Wheel: {
            const auto* wheel = static_cast<QWheelEvent*>(event);
            const int notches = wheel->angleDelta().y();
            if (notches == 0) return false;
            Zoom(std::pow(kWheelZoom, notches / 120.0), SampleAt(wheel->position().x()));
            return true;
        }
        case QEvent::MouseButtonPress: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton) return false;
            dragging_ = true;
            dragStartX_ = mouse->position().x();
            dragStartLow_ = shown_.low;
            return true;
        }
        case QEvent::MouseMove: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (!dragging_ || !(mouse->buttons() & Qt::LeftButton)) return false;
            const double dx = mouse->position().x() - dragStartX_;
            const double width = traces_->area().width();
            if (width < 1 || (sampleView_.following() && std::abs(dx) < kDragThreshold))
                return true;
            view_->viewport()->setCursor(Qt::ClosedHandCursor);
            // The samples move with the mouse: dragging right shows older samples.
            const double perPixel = static_cast<double>(shown_.high - shown_.low) / width;
            ScrollTo(dragStartLow_ - std::llround(dx * perPixel));
            return true;
        }
        case QEvent::MouseButtonRelease:
            if (!dragging_) return false;
            dragging_ = false;
            view_->viewport()->unsetCursor();
            return true;
        default:
            return QWidget::eventFilter(watched, event);
    }
}

void StripChartWindow::ExportCsv() {
    SaveCsvWithDialog(this, &csvFolder_, csvBaseName_, onExportCsv);
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

#include "TraceLayer.h"

#include <QPainter>
#include <QPen>
#include <algorithm>

namespace plotwin {
namespace {

// A whole pixel, kept within a range the raster engine's fixed-point lines handle: a sample
// just outside the view may lie millions of pixels away when its value is far off the axis.
int Pixel(double v) {
    constexpr double kFar = 1e6;
    return qRound(std::clamp(v, -kFar, kFar));
}

}  // namespace

TraceLayer::TraceLayer(int channels, QGraphicsItem* parent)
    : QGraphicsItem(parent), traces_(static_cast<size_t>(std::max(channels, 0))) {
    // Above the grid and the axes' lines, like the chart's own series.
    setZValue(5);
}

void TraceLayer::SetArea(const QRectF& area) {
    if (area == area_) return;
    prepareGeometryChange();
    area_ = area;
}

void TraceLayer::SetRanges(double xLow, double xHigh, double yLow, double yHigh) {
    if (xLow == xLow_ && xHigh == xHigh_ && yLow == yLow_ && yHigh == yHigh_) return;
    xLow_ = xLow;
    xHigh_ = xHigh;
    yLow_ = yLow;
    yHigh_ = yHigh;
    update();
}

void TraceLayer::SetColour(int index, const QColor& colour) {
    if (index < 0 || index >= channelCount()) return;
    traces_[static_cast<size_t>(index)].colour = colour;
    update();
}

void TraceLayer::SetShown(int index, bool shown) {
    if (index < 0 || index >= channelCount()) return;
    Trace& t = traces_[static_cast<size_t>(index)];
    if (t.shown == shown) return;
    t.shown = shown;
    update();
}

void TraceLayer::SwapPoints(int index, std::vector<EnvelopePoint>* points) {
    if (index < 0 || index >= channelCount()) return;
    std::vector<EnvelopePoint>& held = traces_[static_cast<size_t>(index)].points;
    const auto same = [](const EnvelopePoint& a, const EnvelopePoint& b) {
        return a.number == b.number && a.value == b.value;
    };
    if (std::equal(held.begin(), held.end(), points->begin(), points->end(), same)) return;
    held.swap(*points);
    update();
}

QRectF TraceLayer::boundingRect() const {
    // A one-pixel pen on the area's edge reaches half a pixel beyond it.
    return area_.adjusted(-1, -1, 1, 1);
}

void TraceLayer::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
    if (area_.isEmpty() || xHigh_ <= xLow_ || yHigh_ <= yLow_) return;
    painter->save();
    painter->setClipRect(area_);
    painter->setRenderHint(QPainter::Antialiasing, false);
    const double sx = area_.width() / (xHigh_ - xLow_);
    const double sy = area_.height() / (yHigh_ - yLow_);
    const double left = area_.left(), bottom = area_.bottom();
    for (const Trace& t : traces_) {
        if (!t.shown || t.points.empty()) continue;
        pixels_.resize(t.points.size());
        QPoint* begin = pixels_.data();
        QPoint* out = begin;
        for (const EnvelopePoint& p : t.points) {
            const QPoint q(Pixel(left + (static_cast<double>(p.number) - xLow_) * sx),
                           Pixel(bottom - (p.value - yLow_) * sy));
            // Points that add no pixel are left out: a repeat of the last pixel, or one that
            // carries on a straight horizontal or vertical stretch (the stretch's end moves).
            // A slowly changing input then draws a few hundred segments instead of thousands.
            if (out - begin >= 1) {
                const QPoint& last = out[-1];
                if (q == last) continue;
                if (out - begin >= 2) {
                    const QPoint& before = out[-2];
                    const bool flat = before.y() == last.y() && last.y() == q.y() &&
                                      (q.x() - last.x()) * (last.x() - before.x()) >= 0;
                    const bool upright = before.x() == last.x() && last.x() == q.x() &&
                                         (q.y() - last.y()) * (last.y() - before.y()) >= 0;
                    if (flat || upright) {
                        out[-1] = q;
                        continue;
                    }
                }
            }
            *out++ = q;
        }
        const int count = static_cast<int>(out - begin);
        // A cosmetic one-pixel pen is the cheapest line the raster engine draws.
        QPen pen(t.colour);
        pen.setWidth(1);
        pen.setCosmetic(true);
        painter->setPen(pen);
        if (count == 1) {
            // A lone sample would be a single pixel; a small square can be seen.
            painter->drawRect(QRect(begin[0] - QPoint(1, 1), QSize(2, 2)));
        } else {
            painter->drawPolyline(begin, count);
        }
    }
    painter->restore();
}

}  // namespace plotwin

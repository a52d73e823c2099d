// The channels' traces, drawn straight into the chart's plot area as one-pixel polylines.
//
// A QLineSeries lays out every point again for each change and strokes its whole path to find
// its shape; with eight channels changing on every refresh that cost several times more than
// the drawing itself. This item keeps the thinned points in sample/volt units and maps them to
// pixels only while painting, so an update costs one pass over the few thousand points shown.
#pragma once

#include <QColor>
#include <QGraphicsItem>
#include <QPoint>
#include <QRectF>
#include <vector>

#include "min_max_envelope.h"

namespace plotwin {

class TraceLayer : public QGraphicsItem {
  public:
    TraceLayer(int channels, QGraphicsItem* parent);

    int channelCount() const { return static_cast<int>(traces_.size()); }
    // The plot area in the parent's coordinates; nothing is drawn outside it.
    void SetArea(const QRectF& area);
    const QRectF& area() const { return area_; }
    // The axis ranges the area shows: x in sample numbers, y in volts.
    void SetRanges(double xLow, double xHigh, double yLow, double yHigh);

    void SetColour(int index, const QColor& colour);
    void SetShown(int index, bool shown);
    bool shown(int index) const { return traces_[static_cast<size_t>(index)].shown; }
    // Swaps in new points (the old ones go back in *points for reuse). Points equal to those
    // held leave the trace as it is and ask for no repaint, so a refresh without new samples
    // costs no drawing.
    void SwapPoints(int index, std::vector<EnvelopePoint>* points);
    const std::vector<EnvelopePoint>& points(int index) const {
        return traces_[static_cast<size_t>(index)].points;
    }

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

  private:
    struct Trace {
        std::vector<EnvelopePoint> points;
        QColor colour;
        bool shown = true;
    };
    std::vector<Trace> traces_;
    QRectF area_;
    double xLow_ = 0, xHigh_ = 1, yLow_ = 0, yHigh_ = 1;
    std::vector<QPoint> pixels_;  // reused between paints
};

}  // namespace plotwin

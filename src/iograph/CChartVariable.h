// A chart with a sample store (ChartStore) and a generic content drawing: every visible trace
// as a polyline of its samples, broken where a sample equals the trace's gap value.
#pragma once

#include <QPainter>
#include <QPen>
#include <QPolygon>

#include "controls/color_ref.h"
#include "iograph/CChartBase.h"
#include "iograph/ChartStore.h"
#include "iograph/chart_scale.h"

template <class T>
class CChartVariable : public CChartBase, public ChartStore<T> {
  public:
    explicit CChartVariable(QWidget* parent = nullptr) : CChartBase(parent) {}

  protected:
    uint32_t BackgroundColor() const override { return this->backColor; }
    void RepaintChart() override { RepaintNow(); }

    void Draw(QPainter& p, int w, int h) override {
        if (!this->traces) return;
        QPolygon run;
        for (int i = 0; i < this->traceCount; ++i) {
            const VisibleRange r = this->GetVisibleRange(i);
            if (!r.drawable) continue;
            const ChartTrace<T>& t = this->traces[i];
            const SampleRing<T>& ring = *t.ring;
            QPen pen(ToQColor(t.color), t.penWidth);
            pen.setCapStyle(Qt::FlatCap);
            p.setPen(pen);
            run.clear();
            for (int j = 0, idx = r.first; idx <= r.last; ++j, ++idx) {
                if (idx >= ring.capacity) break;
                const T value = ring.At(idx);
                int y;
                if ((t.gapEnabled && value == t.gapValue) ||
                    !ValueToRow(value, t.minValue, t.maxValue, h, &y)) {
                    if (run.size() > 1) p.drawPolyline(run);
                    run.clear();
                    continue;
                }
                run.append(QPoint(j * w / r.span, y));
            }
            if (run.size() > 1) p.drawPolyline(run);
        }
    }
};

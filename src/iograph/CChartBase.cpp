#include "CChartBase.h"

#include <QPainter>
#include <QResizeEvent>

#include "controls/color_ref.h"

CChartBase::CChartBase(QWidget* parent) : QLabel(parent) {
    // The paint covers every pixel; Qt must not clear the control first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

void CChartBase::Render(QImage& image) {
    const int w = image.width();
    const int h = image.height();
    if (w <= 0 || h <= 0) return;
    QPainter p(&image);
    // The background rectangle, outlined by the default one-pixel black pen.
    p.fillRect(0, 0, w, 1, Qt::black);
    p.fillRect(0, h - 1, w, 1, Qt::black);
    p.fillRect(0, 0, 1, h, Qt::black);
    p.fillRect(w - 1, 0, 1, h, Qt::black);
    if (w > 2 && h > 2) p.fillRect(1, 1, w - 2, h - 2, ToQColor(BackgroundColor()));
    if (grid.visible) DrawGrid(p, w, h);
    Draw(p, w, h);
}

void CChartBase::RepaintNow() {
    repaint();
}

void CChartBase::paintEvent(QPaintEvent*) {
    const int w = width();
    const int h = height();
    if (w <= 0 || h <= 0) return;
    QImage image(w, h, QImage::Format_RGB32);
    Render(image);
    QPainter(this).drawImage(0, 0, image);
}

void CChartBase::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    update();
}

// Lines are one pixel wide in the grid colour and drawn as filled one-pixel rectangles, so each
// lands exactly on its row or column. A line from a to b covers a up to b - 1, as line drawing
// that leaves out the end point does.
void CChartBase::DrawGrid(QPainter& p, int w, int h) const {
    const QColor c = ToQColor(gridColor);
    // Pixels from `from` towards `to`, without `to` itself, in either direction.
    auto span = [](int from, int to, int* begin, int* end) {
        *begin = from <= to ? from : to + 1;
        *end = from <= to ? to : from + 1;
    };
    auto vline = [&](int x, int from, int to) {
        int y0, y1;
        span(from, to, &y0, &y1);
        if (y1 > y0) p.fillRect(x, y0, 1, y1 - y0, c);
    };
    auto hline = [&](int y, int from, int to) {
        int x0, x1;
        span(from, to, &x0, &x1);
        if (x1 > x0) p.fillRect(x0, y, x1 - x0, 1, c);
    };

    const ChartGrid& g = grid;
    if (g.xLineStep > 0 && g.xDivisions > 0) {
        for (int k = 0; k <= g.xDivisions; k += g.xLineStep) vline(k * w / g.xDivisions, 0, h - 1);
    }
    if (g.yLineStep > 0 && g.yDivisions > 0) {
        for (int k = 0; k <= g.yDivisions; k += g.yLineStep) hline(k * h / g.yDivisions, 0, w - 1);
    }
    if (g.xTickPercent > 0 && g.xDivisions > 0) {
        const int t = g.xTickPercent * h / 100;
        const int mid = (h - 1) / 2;
        for (int k = 0; k <= g.xDivisions; ++k) {
            const int x = k * w / g.xDivisions;
            vline(x, 0, t);
            vline(x, mid - t / 2, mid - t / 2 + t);
            vline(x, h - 1, h - 1 - t);
        }
    }
    if (g.yTickPercent > 0 && g.yDivisions > 0) {
        const int t = g.yTickPercent * w / 100;
        const int mid = (w - 1) / 2;
        for (int k = 0; k <= g.yDivisions; ++k) {
            const int y = k * h / g.yDivisions;
            hline(y, 0, t);
            hline(y, mid - t / 2, mid - t / 2 + t);
            hline(y, w - 1, w - 1 - t);
        }
    }
    // The frame, every pixel of its four edges.
    p.fillRect(0, 0, 1, h, c);
    p.fillRect(w - 1, 0, 1, h, c);
    p.fillRect(0, 0, w, 1, c);
    p.fillRect(0, h - 1, w, 1, c);
    if (g.centerV) p.fillRect((w - 1) / 2, 0, 1, h, c);
    if (g.centerH) p.fillRect(0, (h - 1) / 2, w, 1, c);
}

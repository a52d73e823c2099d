#include "CChartLogic.h"

#include <QFontMetrics>
#include <algorithm>

#include "iograph/CScrollBarChart.h"
#include "platform/fonts.h"

namespace {

LogFont ChartFont(int height) {
    LogFont lf;
    lf.faceName = kFaceMsGothic;
    lf.height = height;
    lf.width = 0;
    lf.weight = 0;  // the face's normal weight
    lf.charSet = 128;
    lf.quality = 1;  // draft
    return lf;
}

}  // namespace

CChartLogic::CChartLogic(QWidget* parent) : CChartVariable<short>(parent) {
    for (int i = 0; i < kInputCount; ++i) refLevel[i] = InputRefLevel(i);
}

int CChartLogic::Setup(const ChartColors& colors, CScrollBarChart* scroll) {
    colBack = colors.background;
    colGrid = colors.grid;
    colTrace = colors.trace;
    colLabel = colors.label;
    colEdge = colors.edge;
    scrollBar = scroll;

    // Ten columns (a line every fifth of fifty divisions), no rows, ticks or centre lines.
    grid = ChartGrid{50, 0, 0, 50, 0, 0, 0, 5, 0};
    samplePeriodMs = 100;
    gridColor = colors.grid;
    RepaintNow();

    const int created = Create(colors.background);
    for (int i = 0; i < traceCount; ++i) {
        ChartTrace<short>& t = traces[i];
        t.color = colors.trace;
        if (samplesPerTrace > 1000) {
            t.viewStart = 0;
            t.viewEnd = 1000;
        }
        t.minValue = 0;
        t.maxValue = 90;
    }
    RepaintNow();

    fontLabel = ChartFont(14);
    fontEdge = ChartFont(12);
    fontTime = ChartFont(11);
    auto make = [](const LogFont& lf, TextFont* f) {
        f->font = MakeFont(lf);
        f->height = lf.height;
        f->ascent = QFontMetrics(f->font).ascent();
    };
    make(fontLabel, &label_);
    make(fontEdge, &edge_);
    make(fontTime, &time_);
    for (int i = 0; i < kInputCount; ++i) {
        labelTexts_[i].setText(QStringLiteral("IN%1").arg(i));
        labelTexts_[i].prepare(QTransform(), label_.font);
    }
    onText_.setText(QStringLiteral("on"));
    offText_.setText(QStringLiteral("off"));
    onText_.prepare(QTransform(), edge_.font);
    offText_.prepare(QTransform(), edge_.font);
    MakeMarkStamps();
    fontsMade_ = true;

    if (scrollBar) scrollBar->SetRange(1001);
    return created;
}

void CChartLogic::AddInputSample() {
    AppendInputSample(*this, ioGraphInputs, refLevel);
    RepaintNow();
}

void CChartLogic::ViewFollowed(int first) {
    if (scrollBar) scrollBar->SetPosition(first);
}

void CChartLogic::DrawText(QPainter& p, const TextFont& f, int x, int y, const QString& text,
                           uint32_t color) {
    // (x, y) is the top-left corner of the text; Qt places text by its baseline.
    p.drawText(x, y + f.ascent, text);
    if (textSink_) textSink_->push_back(ChartText{x, y, text, color, f.height});
}

void CChartLogic::DrawStatic(QPainter& p, const TextFont& f, int x, int y, const QStaticText& text,
                             uint32_t color) {
    p.drawStaticText(x, y, text);  // placed by its top-left corner
    if (textSink_) textSink_->push_back(ChartText{x, y, text.text(), color, f.height});
}

void CChartLogic::MakeMarkStamps() {
    const QFontMetrics metrics(edge_.font);
    auto make = [&](const QStaticText& text, QPixmap* stamp) {
        // Room for the glyphs' overhang on either side.
        const int w = metrics.horizontalAdvance(text.text()) + 4;
        const int h = metrics.height() + 2;
        QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter sp(&image);
        sp.setFont(edge_.font);
        sp.setPen(ToQColor(colEdge));
        sp.drawStaticText(2, 0, text);
        sp.end();
        *stamp = QPixmap::fromImage(image);
    };
    make(onText_, &onStamp_);
    make(offText_, &offStamp_);
}

void CChartLogic::DrawMark(int x, int y, bool on) {
    const QPixmap& stamp = on ? onStamp_ : offStamp_;
    // Fragments are placed by their centre.
    (on ? onMarks_ : offMarks_)
        .push_back(QPainter::PixmapFragment::create(
            QPointF(x - 2 + stamp.width() / 2.0, y + stamp.height() / 2.0),
            QRectF(0, 0, stamp.width(), stamp.height())));
    if (textSink_) {
        textSink_->push_back(
            ChartText{x, y, on ? onText_.text() : offText_.text(), colEdge, edge_.height});
    }
}

void CChartLogic::FlushMarks(QPainter& p) {
    if (!onMarks_.empty()) {
        p.drawPixmapFragments(onMarks_.data(), static_cast<int>(onMarks_.size()), onStamp_);
    }
    if (!offMarks_.empty()) {
        p.drawPixmapFragments(offMarks_.data(), static_cast<int>(offMarks_.size()), offStamp_);
    }
    onMarks_.clear();
    offMarks_.clear();
}

void CChartLogic::Draw(QPainter& p, int w, int h) {
    if (!traces || !fontsMade_) return;

    // The views first: a following view moves here, and the time labels then name the samples
    // actually drawn in this paint rather than those of the previous one.
    VisibleRange ranges[kInputCount];
    const int traceTotal = std::min(traceCount, kInputCount);
    for (int i = 0; i < traceTotal; ++i) ranges[i] = GetVisibleRange(i);

    p.setFont(label_.font);
    p.setPen(ToQColor(colLabel));
    for (int i = 0; i < traceTotal; ++i) {
        int y;
        if (!ValueToRow(refLevel[i], traces[i].minValue, traces[i].maxValue, h, &y)) continue;
        DrawStatic(p, label_, 2, y, labelTexts_[i], colLabel);
    }

    p.setFont(time_.font);
    p.setPen(ToQColor(colGrid));
    {
        const int s = traces[0].viewStart;
        const int e = traces[0].viewEnd;
        const int step = samplePeriodMs * (e - s + 1) / 10;
        int t = samplePeriodMs * s;
        for (int k = 0; k < 10; ++k) {
            DrawText(p, time_, k * w / 10 + 2, 2,
                     QString::asprintf("%d.%dsec", t / 1000, (t % 1000) / 100), colGrid);
            t += step;
        }
    }

    for (int i = 0; i < traceTotal; ++i) {
        if (ranges[i].drawable) DrawTrace(p, i, ranges[i], w, h);
    }
}

// Appends a point; a point that only continues a horizontal run moves the run's end instead.
// The pixels are the same (each run covers its start up to its end), with far fewer points.
void CChartLogic::ExtendLine(int x, int y) {
    const int n = line_.size();
    if (n >= 2 && line_[n - 1].y() == y && line_[n - 2].y() == y) {
        line_[n - 1].setX(x);
    } else {
        line_.append(QPoint(x, y));
    }
}

// A stepped line: a level change runs horizontally to the new sample's x and then vertically
// to the new level. The line goes out in one polyline; the marks follow on top of it.
void CChartLogic::DrawTrace(QPainter& p, int trace, const VisibleRange& r, int w, int h) {
    const ChartTrace<short>& t = traces[trace];
    const SampleRing<short>& ring = *t.ring;
    int refY;
    // The label's row; an empty scale leaves nothing to draw.
    if (!ValueToRow(refLevel[trace], t.minValue, t.maxValue, h, &refY)) return;

    line_.clear();
    marks_.clear();
    short value = 0;
    int prevY = 0;
    int x = 0;
    for (int j = 0, idx = r.first; idx <= r.last; ++j, ++idx) {
        if (idx < ring.capacity) value = ring.At(idx);  // beyond it: the previous value again
        int y = 0;
        ValueToRow(value, t.minValue, t.maxValue, h, &y);
        x = j * w / r.span;
        if (j == 0) {
            line_.append(QPoint(x, y));
        } else if (y == prevY) {
            ExtendLine(x, y);
        } else {
            ExtendLine(x, prevY);
            marks_.push_back(Mark{x, y, y < prevY});
            line_.append(QPoint(x, y));
        }
        prevY = y;
    }

    QPen pen(ToQColor(t.color), t.penWidth);
    pen.setCapStyle(Qt::FlatCap);  // the end point stays out, as with line drawing elsewhere
    p.setPen(pen);
    if (line_.size() > 1) p.drawPolyline(line_);  // a lone point is only moved to

    if (marks_.empty()) {
        // No change in view: one mark at the end, inside the band between the two levels.
        const int mx = x < 20 ? x + 4 : x - 20;
        if (prevY > refY) {
            DrawMark(mx, prevY - 12, false);
        } else {
            DrawMark(mx, prevY + 2, true);
        }
    } else {
        for (const Mark& m : marks_) DrawMark(m.x + 4, m.on ? m.y + 2 : m.y - 12, m.on);
    }
    FlushMarks(p);
}

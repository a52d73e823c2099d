#include "CScrollBarChart.h"

#include <QAbstractSlider>
#include <QSignalBlocker>
#include <algorithm>

CScrollBarChart::CScrollBarChart(QWidget* parent) : QScrollBar(Qt::Horizontal, parent) {
    setSingleStep(1);
    MirrorToBar();
}

void CScrollBarChart::SetRange(int count) {
    range_ = count;
    MirrorToBar();
}

void CScrollBarChart::SetPage(int samples) {
    page_ = samples;
    MirrorToBar();
}

void CScrollBarChart::SetPosition(int first) {
    position_ = first;
    MirrorToBar();
}

void CScrollBarChart::MirrorToBar() {
    // The thumb can travel as far as the scrolling arithmetic lets a view start: a view of
    // page + 1 samples ends on the last position.
    const QSignalBlocker block(this);
    setRange(0, std::max(0, range_ - 1 - page_));
    setPageStep(std::max(1, page_));
    setValue(position_);
}

ScrollResult CScrollBarChart::ScrollBy(int code, int thumb) {
    int p = position_;
    switch (code) {
        case kLineLeft:
            p -= 1;
            break;
        case kLineRight:
            p += 1;
            break;
        case kPageLeft:
            p -= kPageStep;
            break;
        case kPageRight:
            p += kPageStep;
            break;
        case kThumbPosition:
        case kThumbTrack:
            p = thumb;
            break;
        default:
            break;
    }
    int last = p + page_;
    if (p < 0) {
        p = 0;
        last = page_;
    } else if (last > range_ - 1) {
        last = range_ - 1;
        p = last - page_;
    }
    ScrollResult result;
    if (p == position_) return result;
    SetPosition(p);
    result.changed = true;
    result.first = p;
    result.last = last;
    return result;
}

int CScrollBarChart::CodeForAction(int action) {
    switch (action) {
        case QAbstractSlider::SliderSingleStepSub:
            return kLineLeft;
        case QAbstractSlider::SliderSingleStepAdd:
            return kLineRight;
        case QAbstractSlider::SliderPageStepSub:
            return kPageLeft;
        case QAbstractSlider::SliderPageStepAdd:
            return kPageRight;
        case QAbstractSlider::SliderMove:
            return kThumbTrack;
        default:
            return -1;
    }
}

// The graph window's horizontal scroll bar: its position is the first visible sample, its page
// the visible span in samples. It keeps its own copy of range, page and position, which the
// scrolling arithmetic works on; the Qt bar only mirrors them.
#pragma once

#include <QScrollBar>

// What a scroll request gives.
struct ScrollResult {
    bool changed = false;
    int first = 0;  // new first visible sample
    int last = 0;   // new last visible sample
};

class CScrollBarChart : public QScrollBar {
    Q_OBJECT
  public:
    // Scroll request codes.
    enum {
        kLineLeft = 0,
        kLineRight = 1,
        kPageLeft = 2,
        kPageRight = 3,
        kThumbPosition = 4,
        kThumbTrack = 5
    };
    static constexpr int kPageStep = 10;  // a page click moves 10 samples whatever the scale

    explicit CScrollBarChart(QWidget* parent = nullptr);

    // Positions 0 to count - 1.
    void SetRange(int count);
    // The visible span in samples; also the bar's page size.
    void SetPage(int samples);
    // Stored position and the bar's thumb. Moving the bar from code emits no actionTriggered,
    // so only the user's own scrolling reaches the window's scroll handler.
    void SetPosition(int first);

    // Applies a scroll request (code, thumb position for the thumb codes).
    ScrollResult ScrollBy(int code, int thumb);

    // The request code for a Qt slider action, or -1 for an action that scrolls nothing.
    static int CodeForAction(int action);

    int range() const { return range_; }
    int page() const { return page_; }
    int position() const { return position_; }

  private:
    void MirrorToBar();

    int range_ = 100;
    int page_ = 100;
    int position_ = 0;
};

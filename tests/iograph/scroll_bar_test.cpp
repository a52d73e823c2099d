// The chart's scroll bar: the scrolling arithmetic on its own copy of range, page and
// position, and the Qt bar following it.
#include <gtest/gtest.h>

#include <QAbstractSlider>
#include <QSignalSpy>

#include "iograph/CScrollBarChart.h"

TEST(ScrollBarChart, ScrollRequestsStayInsideTheStore) {
    CScrollBarChart bar;
    EXPECT_EQ(bar.range(), 100);
    EXPECT_EQ(bar.page(), 100);
    EXPECT_EQ(bar.position(), 0);
    bar.SetRange(1001);
    bar.SetPage(10);
    bar.SetPosition(300);
    EXPECT_EQ(bar.value(), 300);
    EXPECT_EQ(bar.pageStep(), 10);
    EXPECT_EQ(bar.maximum(), 990);

    ScrollResult r = bar.ScrollBy(CScrollBarChart::kPageRight, 0);
    EXPECT_TRUE(r.changed);
    EXPECT_EQ(r.first, 310);
    EXPECT_EQ(r.last, 320);
    EXPECT_EQ(bar.position(), 310);
    EXPECT_EQ(bar.value(), 310);

    bar.SetPosition(0);  // line left at the start: nothing changes
    EXPECT_FALSE(bar.ScrollBy(CScrollBarChart::kLineLeft, 0).changed);
    EXPECT_EQ(bar.position(), 0);
    EXPECT_FALSE(bar.ScrollBy(99, 0).changed);  // unknown code

    bar.SetPosition(985);  // page right asks for 995..1005 and gets 990..1000
    r = bar.ScrollBy(CScrollBarChart::kPageRight, 0);
    EXPECT_TRUE(r.changed);
    EXPECT_EQ(r.first, 990);
    EXPECT_EQ(r.last, 1000);

    r = bar.ScrollBy(CScrollBarChart::kThumbTrack, 500);
    EXPECT_EQ(r.first, 500);
    EXPECT_EQ(r.last, 510);
    r = bar.ScrollBy(CScrollBarChart::kThumbPosition, -20);
    EXPECT_EQ(r.first, 0);
    EXPECT_EQ(r.last, 10);
    r = bar.ScrollBy(CScrollBarChart::kLineRight, 0);
    EXPECT_EQ(r.first, 1);
    r = bar.ScrollBy(CScrollBarChart::kPageLeft, 0);
    EXPECT_EQ(r.first, 0);

    // Moves made from code reach no user-action handler.
    QSignalSpy actions(&bar, &QAbstractSlider::actionTriggered);
    bar.SetPosition(42);
    EXPECT_EQ(actions.count(), 0);
    EXPECT_EQ(CScrollBarChart::CodeForAction(QAbstractSlider::SliderPageStepAdd),
              CScrollBarChart::kPageRight);
    EXPECT_EQ(CScrollBarChart::CodeForAction(QAbstractSlider::SliderNoAction), -1);
}

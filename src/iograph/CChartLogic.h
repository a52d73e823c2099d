// The timing chart of the I/O box's eight inputs: black background, grey columns, one stepped
// cyan line per input from IN0 at the top to IN7 at the bottom, green "IN0".."IN7" labels, grey
// time labels along the top edge and yellow "on"/"off" marks where an input changes.
#pragma once

#include <QFont>
#include <QPainter>
#include <QPixmap>
#include <QStaticText>
#include <QString>
#include <cstdint>
#include <vector>

#include "controls/LogFont.h"
#include "iograph/CChartVariable.h"
#include "iograph/input_sampling.h"

class CScrollBarChart;

// The five colours of the chart, 0x00BBGGRR each.
struct ChartColors {
    uint32_t background;
    uint32_t grid;
    uint32_t trace;
    uint32_t label;
    uint32_t edge;
};

// A text the chart drew: top-left corner, text, colour, and the height of the font description
// it was drawn with (14 labels, 12 marks, 11 time labels). Recorded only when asked for.
struct ChartText {
    int x;
    int y;
    QString text;
    uint32_t color;
    int fontHeight;
};

class CChartLogic : public CChartVariable<short> {
  public:
    explicit CChartLogic(QWidget* parent = nullptr);

    // Colours, grid, scale, fonts, and the scroll bar's 1001 positions. Returns what Create
    // returns: 1 when the traces were made, 0 when they existed already.
    int Setup(const ChartColors& colors, CScrollBarChart* scroll);

    // Records the current ioGraphInputs as one sample of every trace and repaints at once.
    void AddInputSample();

    // Every text drawn from now on is appended to sink (null stops the recording).
    void RecordTexts(std::vector<ChartText>* sink) { textSink_ = sink; }

    int samplePeriodMs = 0;
    short refLevel[kInputCount];

    LogFont fontLabel;  // 14: "IN%d"
    LogFont fontEdge;   // 12: "on", "off"
    LogFont fontTime;   // 11: time labels

    uint32_t colBack = 0;
    uint32_t colGrid = 0;
    uint32_t colTrace = 0;
    uint32_t colLabel = 0;
    uint32_t colEdge = 0;

    CScrollBarChart* scrollBar = nullptr;  // the graph window's, not owned

  protected:
    void Draw(QPainter& painter, int width, int height) override;
    void ViewFollowed(int first) override;

  private:
    // A font with the texts drawn in it often, laid out once.
    struct TextFont {
        QFont font;
        int height = 0;  // of the description
        int ascent = 0;
    };
    struct Mark {
        int x;
        int y;
        bool on;
    };

    void DrawText(QPainter& p, const TextFont& f, int x, int y, const QString& text,
                  uint32_t color);
    void DrawStatic(QPainter& p, const TextFont& f, int x, int y, const QStaticText& text,
                    uint32_t color);
    // An "on" or "off" mark: its text pre-rendered once and copied to each place it goes; the
    // copies of one trace go out in one call (FlushMarks).
    void DrawMark(int x, int y, bool on);
    void FlushMarks(QPainter& p);
    void MakeMarkStamps();
    void ExtendLine(int x, int y);
    void DrawTrace(QPainter& p, int trace, const VisibleRange& range, int w, int h);

    bool fontsMade_ = false;
    TextFont label_, edge_, time_;
    QStaticText labelTexts_[kInputCount];
    QStaticText onText_, offText_;
    // The marks' texts in the edge colour on a transparent ground; a paint can hold thousands of
    // marks, and copying a small image is far cheaper than laying out and drawing the text.
    // Made with the fonts in Setup, the only place the edge colour is set.
    QPixmap onStamp_, offStamp_;
    std::vector<QPainter::PixmapFragment> onMarks_, offMarks_;  // of the trace being drawn
    std::vector<ChartText>* textSink_ = nullptr;
    QPolygon line_;            // reused by every trace, so a paint allocates nothing
    std::vector<Mark> marks_;  // level changes of the trace being drawn
};

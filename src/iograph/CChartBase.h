// The base of the chart controls: every paint draws background, grid and content into an
// off-screen image of the control's size and copies it to the screen in one go; there is no
// separate background erase, so a chart repainted ten times a second does not flicker.
#pragma once

#include <QImage>
#include <QLabel>
#include <cstdint>

class QPainter;

// Grid settings. With visible 0 nothing of the grid or the frame is drawn.
struct ChartGrid {
    int visible = 0;
    int centerV = 0;       // non-zero: vertical centre line
    int centerH = 0;       // non-zero: horizontal centre line
    int xDivisions = 0;    // divisions across the width
    int yDivisions = 0;    // divisions across the height
    int xTickPercent = 0;  // tick length, percent of the height (0 = no ticks)
    int yTickPercent = 0;  // tick length, percent of the width (0 = no ticks)
    int xLineStep = 0;     // a vertical grid line every this many divisions (0 = none)
    int yLineStep = 0;     // a horizontal grid line every this many divisions (0 = none)
};

class CChartBase : public QLabel {
    Q_OBJECT
  public:
    explicit CChartBase(QWidget* parent = nullptr);

    // Paints the whole chart into image (its size is the chart's size), as a paint would.
    void Render(QImage& image);

    ChartGrid grid;
    uint32_t gridColor = 0;  // 0x00BBGGRR: grid, ticks and frame

  protected:
    // The content: traces, labels, marks.
    virtual void Draw(QPainter& painter, int width, int height) = 0;
    // The background colour (0x00BBGGRR).
    virtual uint32_t BackgroundColor() const { return 0; }

    // Paints the control at once (when it is visible).
    void RepaintNow();

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void DrawGrid(QPainter& painter, int width, int height) const;
};

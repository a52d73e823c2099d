// CDialogKw3: a resizable CDialogKw that comes back with its position and size ("Left", "Top",
// "Width", "Height" of the outer rectangle, in section `section` of `iniFile`), keeps a minimum
// or fixed size, and moves or stretches registered child controls when it is resized.
//
// A derived dialog, in its own OnInitDialog() and before calling CDialogKw3::OnInitDialog():
// sets iniFile (and section), the four size-policy flags, and registers its anchored children
// with AddAnchor(). The base then resolves iniFile, records the design size (the outer size the
// template gives), turns layout and size limits on, and restores the saved placement; from then
// on every resize moves the anchored children by the change of the outer size.
//
// The placement is saved when the window is destroyed (DestroyWindow, see CDialogKw), also when
// the object is deleted while its window lives.
#pragma once

#include <QPointer>
#include <QRect>
#include <QSize>
#include <array>
#include <string>

#include "settings/CDialogKw.h"

class CDialogKw3 : public CDialogKw {
    Q_OBJECT

  public:
    // How an anchored child follows a change of the window's outer size by dx, dy.
    enum AnchorKind {
        MoveXY = 0,      // moves by dx, dy
        MoveX = 1,       // moves by dx
        MoveY = 2,       // moves by dy
        SizeX = 3,       // grows by dx
        SizeY = 4,       // grows by dy
        MoveYSizeX = 5,  // moves by dy, grows by dx
        MoveXSizeY = 6,  // moves by dx, grows by dy
        SizeXY = 7,      // grows by dx, dy
    };
    static constexpr int kMaxAnchors = 256;

    CDialogKw3(int templateId, QWidget* parent);
    ~CDialogKw3() override;

    // Registers a child; a registration beyond kMaxAnchors is ignored. A kind outside 0..7 keeps
    // the child's rectangle as it is.
    void AddAnchor(QWidget* control, int kind);
    int AnchorCount() const { return anchorCount_; }

    // The outer size at initialisation, before the saved size was applied; -1 before.
    int DesignWidth() const { return designWidth_; }
    int DesignHeight() const { return designHeight_; }
    // The outer size at the last layout pass; the width is -1 until initialisation.
    int LastWidth() const { return lastWidth_; }
    int LastHeight() const { return lastHeight_; }

    // Size policy, read at initialisation: fixed at the design width or height, or at least it.
    int fixWidth = 0;
    int fixHeight = 0;
    int minWidth = 0;
    int minHeight = 0;

    std::string iniFile;             // resolved to a full path at initialisation
    std::string section = "System";  // the ini section of the placement

  protected:
    // Resolves iniFile, records the design size, turns on layout and size limits, then moves and
    // sizes the window to the saved placement, pulled into the work area. Returns true.
    bool OnInitDialog() override;
    // Writes "Left", "Top", "Width" and "Height" of the normal (restored) outer rectangle
    // through a buffered iniacs, unless saving was turned off (see savePlacement).
    void SavePlacement() override;

    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;

    // Cleared by a derived window that must not save when it is destroyed.
    bool savePlacement = true;

  private:
    struct Anchor {
        QPointer<QWidget> control;  // a child deleted meanwhile is skipped
        int kind = 0;
        bool placedByLayout = false;  // the layout pass set the child's rectangle last
        QRect intended;               // the rectangle the layout pass asked for
        QRect placed;                 // the rectangle the child took (its limits apply)
    };

    // Moves the anchored children by the change of the outer size since the last pass.
    void LayoutPass();
    // The frame around the client area becomes known only once the window system has framed
    // the window (at the first show); until then the outer size is the client size. When the
    // frame appears, the recorded sizes take it on, and a saved size restored before it was
    // known is applied again, so that the window does not grow by its frame from run to run.
    void FollowFrame();
    void ApplySizeLimits();
    QSize FrameExtra() const;

    int lastWidth_ = -1;
    int lastHeight_ = -1;
    int designWidth_ = -1;
    int designHeight_ = -1;
    std::array<Anchor, kMaxAnchors> anchors_{};
    int anchorCount_ = 0;
    QSize frameExtra_;     // frame size included in the sizes above
    QSize restoredOuter_;  // saved outer size, restored while the frame was not yet known
};

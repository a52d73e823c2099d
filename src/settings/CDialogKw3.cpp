#include "settings/CDialogKw3.h"

#include <QResizeEvent>

#include "platform/module_path.h"

CDialogKw3::CDialogKw3(int templateId, QWidget* parent) : CDialogKw(templateId, parent) {}

CDialogKw3::~CDialogKw3() {
    DestroyWindow();
}

void CDialogKw3::AddAnchor(QWidget* control, int kind) {
    if (anchorCount_ >= kMaxAnchors) return;
    Anchor& a = anchors_[static_cast<size_t>(anchorCount_)];
    a.control = control;
    a.kind = kind;
    ++anchorCount_;
}

bool CDialogKw3::OnInitDialog() {
    CDialogKw::OnInitDialog();
    iniFile = ResolveIniPath(iniFile, ModulePath());

    frameExtra_ = FrameExtra();
    restoredOuter_ = QSize();
    const QRect outer = frameGeometry();
    designWidth_ = lastWidth_ = outer.width();
    designHeight_ = lastHeight_ = outer.height();
    ApplySizeLimits();

    bool sizeFound = false;
    const QRect r = ReadPlacement(iniFile, section, outer, true, &sizeFound);
    FitToWorkArea(r.x(), r.y(), r.width(), r.height());
    if (sizeFound && frameExtra_.isNull()) restoredOuter_ = r.size();
    // A hidden window gets its resize event only when it is shown; its children follow now.
    LayoutPass();
    return true;
}

void CDialogKw3::SavePlacement() {
    if (savePlacement) WritePlacement(iniFile, section, true);
}

void CDialogKw3::resizeEvent(QResizeEvent* event) {
    CDialogKw::resizeEvent(event);
    FollowFrame();
    LayoutPass();
}

void CDialogKw3::moveEvent(QMoveEvent* event) {
    CDialogKw::moveEvent(event);
    FollowFrame();
}

void CDialogKw3::showEvent(QShowEvent* event) {
    CDialogKw::showEvent(event);
    FollowFrame();
}

QSize CDialogKw3::FrameExtra() const {
    return frameGeometry().size() - size();
}

void CDialogKw3::ApplySizeLimits() {
    if (lastWidth_ == -1) return;
    // The limits are of the outer size; Qt's are of the client area.
    const int w = designWidth_ - frameExtra_.width();
    const int h = designHeight_ - frameExtra_.height();
    QSize least(0, 0);
    QSize most(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (fixWidth) {
        least.setWidth(w);
        most.setWidth(w);
    }
    if (fixHeight) {
        least.setHeight(h);
        most.setHeight(h);
    }
    if (minWidth) least.setWidth(w);
    if (minHeight) least.setHeight(h);
    setMaximumSize(most);
    setMinimumSize(least);
}

void CDialogKw3::FollowFrame() {
    if (lastWidth_ == -1) return;
    const QSize extra = FrameExtra();
    if (extra == frameExtra_) return;
    const QSize delta = extra - frameExtra_;
    frameExtra_ = extra;
    designWidth_ += delta.width();
    designHeight_ += delta.height();
    lastWidth_ += delta.width();
    lastHeight_ += delta.height();
    ApplySizeLimits();
    if (restoredOuter_.isValid()) {
        const QSize outer = restoredOuter_;
        restoredOuter_ = QSize();
        resize(outer - extra);
    }
}

void CDialogKw3::LayoutPass() {
    if (lastWidth_ == -1 || isMinimized()) return;
    const int w = width() + frameExtra_.width();
    const int h = height() + frameExtra_.height();
    if (w == lastWidth_ && h == lastHeight_) return;
    const int dx = w - lastWidth_;
    const int dy = h - lastHeight_;

    for (int i = 0; i < anchorCount_; ++i) {
        Anchor& a = anchors_[static_cast<size_t>(i)];
        QWidget* c = a.control;
        if (!c) continue;
        QRect r = c->geometry();
        // A child with size limits of its own takes a clamped rectangle; carry on from the one
        // it was meant to have, so that it comes back to its place when the window grows again.
        if (a.placedByLayout && r == a.placed) r = a.intended;
        switch (a.kind) {
            case MoveXY:
                r.translate(dx, dy);
                break;
            case MoveX:
                r.translate(dx, 0);
                break;
            case MoveY:
                r.translate(0, dy);
                break;
            case SizeX:
                r.setWidth(r.width() + dx);
                break;
            case SizeY:
                r.setHeight(r.height() + dy);
                break;
            case MoveYSizeX:
                r.translate(0, dy);
                r.setWidth(r.width() + dx);
                break;
            case MoveXSizeY:
                r.translate(dx, 0);
                r.setHeight(r.height() + dy);
                break;
            case SizeXY:
                r.setWidth(r.width() + dx);
                r.setHeight(r.height() + dy);
                break;
            default:
                break;
        }
        c->setGeometry(r);
        a.intended = r;
        a.placed = c->geometry();
        a.placedByLayout = true;
        c->update();
    }
    update();
    for (int i = 0; i < anchorCount_; ++i) {
        if (QWidget* c = anchors_[static_cast<size_t>(i)].control) c->update();
    }
    lastWidth_ = w;
    lastHeight_ = h;
}

#include "settings/CDialogKw.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>

#include "platform/app_icon.h"
#include "platform/profile_file.h"
#include "settings/iniacs.h"
#include "startup/settings_paths.h"

CDialogKw::CDialogKw(int templateId, QWidget* parent) : QDialog(parent), templateId_(templateId) {
    setWindowIcon(AppIcon());
    // Enter and Escape are seen before the focused control gets them, as a dialog's message
    // pre-translation would see them.
    if (qApp) qApp->installEventFilter(this);
}

CDialogKw::~CDialogKw() {
    if (qApp) qApp->removeEventFilter(this);
    DestroyWindow();
}

void CDialogKw::BuildTemplate(const DialogTemplate& tmpl, const DialogControls::Factory& factory) {
    dlg.Build(this, tmpl, factory);
    if (auto* ok = dlg.ItemAs<QPushButton>(1)) {
        connect(ok, &QPushButton::clicked, this, &CDialogKw::OnIdOk);
    }
    if (auto* cancel = dlg.ItemAs<QPushButton>(2)) {
        connect(cancel, &QPushButton::clicked, this, &CDialogKw::OnIdCancel);
    }
}

void CDialogKw::setVisible(bool visible) {
    if (visible && phase_ != Phase::kLive && !isVisible()) {
        phase_ = Phase::kLive;
        OnInitDialog();
    }
    QDialog::setVisible(visible);
}

bool CDialogKw::InitialiseHidden() {
    if (phase_ == Phase::kLive || isVisible()) return false;
    phase_ = Phase::kLive;
    return OnInitDialog();
}

bool CDialogKw::OnInitDialog() {
    return true;
}

void CDialogKw::OnOK() {
    if (keyFlag != 0) {
        keyFlag = 0;
        return;
    }
    EndDialog(QDialog::Accepted);
}

void CDialogKw::OnCancel() {
    if (keyFlag != 0) {
        keyFlag = 0;
        return;
    }
    EndDialog(QDialog::Rejected);
}

void CDialogKw::reject() {
    OnCancel();
}

void CDialogKw::EndDialog(int result) {
    done(result);
}

void CDialogKw::done(int result) {
    // The window is destroyed while it still has its geometry, before it is hidden.
    DestroyWindow();
    QDialog::done(result);
}

void CDialogKw::DestroyWindow() {
    if (phase_ != Phase::kLive) return;
    phase_ = Phase::kDestroyed;
    SavePlacement();
    OnDestroy();
    PostNcDestroy();
}

bool CDialogKw::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Escape) return false;
    auto* target = qobject_cast<QWidget*>(watched);
    // Only keys for this window's own controls; another window (a message box, a combo's
    // popup list) handles its keys itself.
    if (!target || !(target == this || isAncestorOf(target)) || !isVisible()) return false;

    if (key == Qt::Key_Escape) {
        keyFlag = 1;
        OnCancel();
        return true;
    }
    // A text edit that takes line breaks keeps its Enter; the dialog never sees it, so it arms
    // no swallow.
    auto* plain = qobject_cast<QPlainTextEdit*>(target);
    auto* rich = qobject_cast<QTextEdit*>(target);
    if ((plain && !plain->isReadOnly()) || (rich && !rich->isReadOnly())) return false;
    keyFlag = 1;
    PressEnter(target);
    return true;
}

void CDialogKw::PressEnter(QWidget* target) {
    // As a dialog box does it: Enter presses the focused push button; elsewhere it presses the
    // default button, and without one it is OK.
    if (auto* focused = qobject_cast<QPushButton*>(target)) {
        if (focused->isEnabled()) focused->click();
        return;
    }
    for (QPushButton* button : findChildren<QPushButton*>()) {
        if (button->window() != this || !button->isDefault() || !button->isVisible()) continue;
        if (button->isEnabled()) button->click();
        return;
    }
    OnOK();
}

void CDialogKw::FitPosition(int* x, int* y, int w, int h, const QRect& work) {
    const int left = work.x();
    const int top = work.y();
    const int right = work.x() + work.width();
    const int bottom = work.y() + work.height();
    if (*x < left || *x + w > right) *x = (right - left - w) / 2;
    if (*y < top || *y + h > bottom) *y = (bottom - top - h) / 2;
}

QRect CDialogKw::WorkArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

void CDialogKw::FitToWorkArea(int x, int y, int w, int h) {
    const QRect work = WorkArea();
    if (!work.isEmpty()) FitPosition(&x, &y, w, h, work);
    // The outer size includes the frame; the frame's share is what the client does not cover.
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    const int extraW = frame.width() - client.width();
    const int extraH = frame.height() - client.height();
    move(x, y);  // a window's position is that of its frame
    resize(w - extraW, h - extraH);
    raise();
}

QRect CDialogKw::NormalOuterRect() const {
    const QRect frame = frameGeometry();
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
        return frame;
    }
    const QRect normal = normalGeometry();
    if (!normal.isValid()) return frame;
    const QRect client = geometry();
    return normal.adjusted(frame.left() - client.left(), frame.top() - client.top(),
                           frame.right() - client.right(), frame.bottom() - client.bottom());
}

QRect CDialogKw::ReadPlacement(const std::string& iniFile, const std::string& section, QRect outer,
                               bool withSize, bool* sizeFound) {
    // -1 is the reading convention's "missing": the window's own value stays.
    const int left = GetPrivateProfileInt(section, "Left", -1, iniFile);
    const int top = GetPrivateProfileInt(section, "Top", -1, iniFile);
    if (left != -1) outer.moveLeft(left);
    if (top != -1) outer.moveTop(top);
    bool found = false;
    if (withSize) {
        const int width = GetPrivateProfileInt(section, "Width", -1, iniFile);
        const int height = GetPrivateProfileInt(section, "Height", -1, iniFile);
        if (width != -1) outer.setWidth(width);
        if (height != -1) outer.setHeight(height);
        found = width != -1 || height != -1;
    }
    if (sizeFound) *sizeFound = found;
    return outer;
}

void CDialogKw::WritePlacement(const std::string& iniFile, const std::string& section,
                               bool withSize) const {
    const QRect normal = NormalOuterRect();
    iniacs ini;
    ini.iniPath = iniFile;
    ini.buffered = 1;
    ini.WriteInt("Left", section, normal.left());
    ini.WriteInt("Top", section, normal.top());
    if (withSize) {
        ini.WriteInt("Width", section, normal.width());
        ini.WriteInt("Height", section, normal.height());
    }
    // The destructor of ini rewrites the file once.
}

std::string CDialogKw::ResolveIniPath(const std::string& iniFile, const std::string& modulePath) {
    std::string folder;
    std::string baseName;
    SplitModulePath(modulePath, &folder, &baseName);
    if (iniFile.empty()) return folder + baseName + ".ini";
    if (iniFile.find('/') != std::string::npos) return iniFile;
    std::string path = folder + iniFile;
    if (iniFile.find('.') == std::string::npos) path += ".ini";
    return path;
}

#include "panels/clsDlgPanel.h"

#include <QCloseEvent>
#include <QMessageBox>
#include <cstdio>

#include "device/identify_box.h"
#include "device/open_failure.h"
#include "messages/MesTable.h"
#include "platform/app_icon.h"
#include "platform/message_box.h"
#include "platform/posted_event.h"
#include "platform/profile_file.h"
#include "platform/termination_signals.h"
#include "settings/iniacs.h"
#include "statlink.h"

namespace {
constexpr int kMessageNoPort = 1;    // "COMのセットアップに失敗しました。"
constexpr int kMessageNoAnswer = 2;  // "QVX本体との通信が失敗しました。"
constexpr int kChildEnded = 3;
constexpr int kStartupWatchMs = 50;
}  // namespace

clsDlgPanel::clsDlgPanel(int templateId, const PanelKind& kind, AppSettings* settings)
    : CDialogKw2(templateId),
      settings(settings),
      kind_(kind),
      link_(std::make_shared<SerialLink>()),
      worker_([this](int wParam) { PostUserMessage(this, wParam, 0); }) {
    setWindowIcon(AppIcon());
    startupWatch_.setInterval(kStartupWatchMs);
    connect(&startupWatch_, &QTimer::timeout, this, &clsDlgPanel::WatchMainStatus);
    signals_ = new TerminationSignals(this);
    connect(signals_, &TerminationSignals::requested, this, [this] { OnCloseAsked(); });
}

clsDlgPanel::~clsDlgPanel() {
    // Deleting a panel that is still open destroys its window: the shutdown runs here.
    DestroyWindow();
}

std::string clsDlgPanel::PortCaption(const std::string& caption, int com, int baudRate) {
    char tail[64];
    std::snprintf(tail, sizeof tail, " COM%d %dbps", com, baudRate);
    return caption + tail;
}

std::string clsDlgPanel::FailureText(int message, int com) {
    char tail[32];
    std::snprintf(tail, sizeof tail, " COM[%d]", com);
    return GetMesText(message) + tail;
}

int clsDlgPanel::ComNumber() const {
    return settings ? kind_.comNumber(*settings) : 0;
}

void clsDlgPanel::ShowPortInCaption() {
    if (!settings) return;
    setWindowTitle(QString::fromStdString(
        PortCaption(windowTitle().toStdString(), ComNumber(), settings->port.baudRate)));
}

bool clsDlgPanel::OnInitDialog() {
    if (!settings) return CDialogKw2::OnInitDialog();
    AppSettings& s = *settings;
    initialising_ = true;

    iniFile = s.*kind_.iniPath;
    if (kind_.loadRange) {
        SettingsStore store(s.*kind_.iniPath);
        kind_.loadRange(store, s);
    }
    CDialogKw2::OnInitDialog();
    setWindowIcon(AppIcon());  // big and small icon alike
    worker_.SetStopFlag(PanelWorker::kRun);
    InitBeforeIdentify();

    const int com = ComNumber();
    const int result = IdentifyBox(*link_, s.port, com, s.txOnly, s.deviceName);
    // Kept before message 1 is published, so the launcher finds it when it logs the message.
    NoteOpenError(result == kIdentifyNoPort ? link_->LastOpenError() : 0);
    startupWatch_.start();
    if (result == kIdentifyNoPort || result == kIdentifyNoAnswer) {
        ReportFailure(result == kIdentifyNoPort ? kMessageNoPort : kMessageNoAnswer);
    }
    // After a failed identification the name is empty, so this follows as a second message.
    if (s.deviceName != kind_.expectedDevice) ReportFailure(kind_.wrongBoxMessage);
    startupWatch_.stop();

    InitBeforeWorker();
    worker_.SetStopFlag(PanelWorker::kRun);
    s.workerPhase = 0;
    // The worker starts even when no box was found: its first request then times out and it
    // reports that to the launcher.
    if (worker_.Start(MakeWorkerStep(worker_.Poster()), s.channelIndex, &s.workerPhase)) {
        worker_.KeepAlive(link_);
    }
    s.workerPhase = kind_.workerStartPhase;
    InitAfterWorker();
    initialising_ = false;
    if (closeAsked_) {
        QMetaObject::invokeMethod(
            this, [this] { EndDialog(QDialog::Rejected); }, Qt::QueuedConnection);
    }
    return true;
}

void clsDlgPanel::NoteOpenError(int error) {
    openError_ = error;
    const std::string& path = settings->*kind_.iniPath;
    // A success clears an error kept by an earlier run, without writing the file otherwise.
    if (error == 0) {
        const int kept = GetPrivateProfileInt(kOpenErrnoSection, kOpenErrnoKey, -1, path);
        if (kept == -1 || kept == 0) return;
    }
    iniacs ini;
    ini.iniPath = path;
    ini.WriteInt(kOpenErrnoKey, kOpenErrnoSection, error);
}

void clsDlgPanel::ReportFailure(int message) {
    AppSettings& s = *settings;
    std::string text = FailureText(message, ComNumber());
    // What the system said about the port, on a line of its own below the catalog text.
    if (message == kMessageNoPort && openError_ != 0) {
        text += "\n" + ComOpenFailureText(SerialLink::SettingsFolder(), ComNumber(), openError_);
    }
    s.port.baudRate = 0;
    slk_SetChildErr(s.channelIndex, message);
    // Once the launcher has asked the panel to end, no further box waits for the user.
    if (!closeAsked_) ShowMessageBox(this, text);
}

void clsDlgPanel::WatchMainStatus() {
    if (settings && slk_GetMainSta(settings->channelIndex) == 1) OnCloseAsked();
}

void clsDlgPanel::OnCloseAsked() {
    startupWatch_.stop();
    closeAsked_ = true;
    // A start-up message box waiting for the user ends first, so start-up can go on.
    for (QMessageBox* box : findChildren<QMessageBox*>()) {
        if (box->isVisible()) box->done(0);
    }
    // The run ends as the Close button ends it: the window is destroyed (range and placement
    // saved, worker stopped, port closed, end published) before the modal run returns, so
    // before start-up ends the graph component. During start-up the modal run has not begun
    // yet; it ends as soon as it begins.
    if (initialising_) return;
    EndDialog(QDialog::Rejected);
}

bool clsDlgPanel::event(QEvent* e) {
    if (e->type() == static_cast<QEvent::Type>(kWmUser100)) {
        const auto* message = static_cast<PostedMessage*>(e);
        if (message->wParam == kPanelCloseAsked) {
            OnCloseAsked();
        } else {
            OnPanelMessage(static_cast<int>(message->wParam));
        }
        return true;
    }
    return CDialogKw2::event(e);
}

void clsDlgPanel::closeEvent(QCloseEvent* e) {
    OnClose();
    CDialogKw2::closeEvent(e);
}

void clsDlgPanel::OnDestroy() {
    startupWatch_.stop();
    if (!settings) return;
    AppSettings& s = *settings;
    if (kind_.saveRange) {
        SettingsStore store(s.*kind_.iniPath);
        kind_.saveRange(store, s);
    }
    if (worker_.Created()) {
        // After the limit the window goes on without the worker's confirmation; the worker keeps
        // the link object alive until it ends.
        worker_.Stop(PanelWorker::kStopLimitMs);
    }
    // The end is published last: a launcher that sees it may start a panel on the same port at
    // once, and finds it free.
    link_->Close();
    slk_SetChildSta(s.channelIndex, kChildEnded);
    CDialogKw2::OnDestroy();
}

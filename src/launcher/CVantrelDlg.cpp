#include "launcher/CVantrelDlg.h"

#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <atomic>
#include <new>

#include "coordination/StatusWords.h"
#include "launcher/clsDlgComSel.h"
#include "launcher/clsDlgOption.h"
#include "launcher/launcher_texts.h"
#include "launcher/operation_log.h"
#include "platform/app_icon.h"
#include "platform/clock.h"
#include "platform/com_ports.h"
#include "platform/fonts.h"
#include "platform/message_box.h"
#include "platform/posted_event.h"
#include "platform/process_spawn.h"
#include "platform/termination_signals.h"

namespace {

// wParam values of WM_USER+100 for this window.
constexpr intptr_t kMsgAppendLog = 0;
constexpr intptr_t kMsgUpdateRows = 3;

// The longest the window waits at close for its supervision thread.
constexpr int32_t kSupervisorStopLimitMs = 10000;

constexpr int kRowY[kChannelCount] = {31, 52, 74, 95};

// The connect button of a stopped and of a running row.
constexpr const char* kConnectText = "接続";
constexpr const char* kConnectingText = "接続中";

int32_t ClampMode(int32_t mode) {
    if (mode < kModeIo) return kModeIo;
    if (mode > kModeNone) return kModeNone;
    return mode;
}

QString Utf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

std::vector<DlgItem> Template102Items() {
    std::vector<DlgItem> items = {
        {-1, DlgKind::GroupBox, "接続状況", 5, 6, 276, 108},
        {-1, DlgKind::StaticCenter, "接続先", 41, 14, 72, 8},
        {-1, DlgKind::StaticCenter, "COM番号", 125, 14, 66, 8},
        {-1, DlgKind::StaticCenter, "接続処理", 204, 14, 72, 8},
    };
    static const char* const kRowLabels[kChannelCount] = {"CH1", "CH2", "CH3", "CH4"};
    for (int i = 0; i < kChannelCount; ++i) {
        const int y = kRowY[i];
        items.push_back({-1, DlgKind::Static, kRowLabels[i], 17, y, 20, 8});
        items.push_back(
            {CVantrelDlg::kIdTypeCombos[i], DlgKind::DropDownList, "", 41, y - 3, 72, 14});
        items.push_back(
            {CVantrelDlg::kIdComButtons[i], DlgKind::PushButton, "Com1", 125, y - 5, 66, 18});
        items.push_back(
            {CVantrelDlg::kIdConnectButtons[i], DlgKind::PushButton, "接続", 204, y - 5, 72, 18});
    }
    items.push_back({CVantrelDlg::kIdOption, DlgKind::PushButton, "Option", 180, 117, 48, 14});
    items.push_back({1, DlgKind::DefPushButton, "Close", 232, 117, 50, 14});
    items.push_back({CVantrelDlg::kIdLogToggle, DlgKind::PushButton, "+", 5, 122, 11, 10});
    items.push_back({CVantrelDlg::kIdLog, DlgKind::MultiLineEdit, "", 6, 138, 276, 72});
    return items;
}

// The log's top edge in dialog units: the collapsed window ends just above it.
constexpr int kLogTopUnits = 138;

}  // namespace

// The supervision thread's way to the window: posted messages only. A window that gives up
// waiting for the thread at close detaches it first, so a late report goes nowhere.
class CVantrelDlg::PostingSink : public SupervisionSink {
  public:
    explicit PostingSink(CVantrelDlg* window) : window_(window) {}
    void Detach() { window_.store(nullptr); }
    void RowsChanged() override {
        if (CVantrelDlg* w = window_.load()) w->PostRowsChanged();
    }
    void LogText(const char* text) override {
        if (CVantrelDlg* w = window_.load()) w->PostLogText(text);
    }

  private:
    std::atomic<CVantrelDlg*> window_;
};

const DialogTemplate& CVantrelDlg::Template() {
    static const DialogTemplate tmpl{kTemplateId, "Vantrel",         289, 213, kFaceMsUiGothic,
                                     9,           Template102Items()};
    return tmpl;
}

CVantrelDlg::CVantrelDlg(AppSettings* settings) : CDialogKw2(kTemplateId), settings(settings) {
    // A popup with caption, system menu and a fixed frame, shown in the task bar.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    BuildTemplate(Template());
    logEdit = dlg.ItemAs<QPlainTextEdit>(kIdLog);
    if (logEdit) {
        // The log has only its vertical scroll bar. Lines do not wrap: a long line stays one
        // line and the view scrolls sideways with the caret, as an auto-scrolling edit does.
        logEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
        logEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    static const char* const kTypes[] = {"QVX-I/O", "QVX-D/A", "QVX-A/D", "接続しない"};
    NameRowControls();
    for (int i = 0; i < kChannelCount; ++i) {
        if (auto* combo = dlg.ItemAs<QComboBox>(kIdTypeCombos[i])) {
            for (const char* type : kTypes) combo->addItem(QString::fromUtf8(type));
            // Only the type changes; the COM number and a running child stay as they are.
            connect(combo, &QComboBox::currentIndexChanged, this, [this, i](int index) {
                if (!this->settings || index < 0) return;
                this->settings->chMode[i] = index + 1;
                MirrorRows();
            });
        }
        if (auto* com = dlg.ItemAs<QPushButton>(kIdComButtons[i])) {
            connect(com, &QPushButton::clicked, this, [this, i] { SelectComPort(i); });
        }
        if (auto* run = dlg.ItemAs<QPushButton>(kIdConnectButtons[i])) {
            connect(run, &QPushButton::clicked, this, [this, i] { ConnectChannel(i); });
        }
    }
    if (auto* toggle = dlg.ItemAs<QPushButton>(kIdLogToggle)) {
        connect(toggle, &QPushButton::clicked, this, &CVantrelDlg::ToggleLogArea);
    }
    if (auto* option = dlg.ItemAs<QPushButton>(kIdOption)) {
        connect(option, &QPushButton::clicked, this, &CVantrelDlg::OpenOptions);
    }
    setFixedSize(size());
}

void CVantrelDlg::NameRowControls() {
    // A row's controls show a type, a port and a state, never their row: the accessible names
    // carry the row and the column heading.
    static const char* const kRows[kChannelCount] = {"CH1", "CH2", "CH3", "CH4"};
    for (int i = 0; i < kChannelCount; ++i) {
        const QString row = QString::fromUtf8(kRows[i]) + QLatin1Char(' ');
        const std::pair<int, const char*> columns[] = {{kIdTypeCombos[i], "接続先"},
                                                       {kIdComButtons[i], "COM番号"},
                                                       {kIdConnectButtons[i], "接続処理"}};
        for (const auto& [id, heading] : columns) {
            if (QWidget* w = dlg.Item(id)) w->setAccessibleName(row + QString::fromUtf8(heading));
        }
    }
    if (logEdit) logEdit->setAccessibleName(QString::fromUtf8("ログ"));
    if (QWidget* toggle = dlg.Item(kIdLogToggle)) {
        toggle->setAccessibleName(QString::fromUtf8("ログ表示"));
    }
}

CVantrelDlg::~CVantrelDlg() {
    // The destroy step needs this class's OnDestroy, which the base destructors cannot reach.
    DestroyWindow();
}

bool CVantrelDlg::OnInitDialog() {
    if (settings) iniFile = settings->launcherIni;
    CDialogKw2::OnInitDialog();

    if (settings) store.reset(new (std::nothrow) SettingsStore(settings->launcherIni));
    setWindowIcon(AppIcon());

    for (int i = 0; i < kChannelCount; ++i) {
        rowControls[i] = dlg.Item(kIdComButtons[i]);
        rowControls[kChannelCount + i] = dlg.Item(kIdConnectButtons[i]);
        rowControls[2 * kChannelCount + i] = dlg.Item(kIdTypeCombos[i]);
    }
    // The adapters plugged in now are COM ports from the start, before a row connects.
    if (settings) MakeAutomaticComPortLinks(LauncherFolder());
    // AutoCom off: the COM ports of the last run are not reused.
    if (settings && settings->autoCom < 1) settings->chCom.fill(1);
    UpdateRows(true);

    // The full size is the template's, also when a window closed collapsed is shown again.
    expanded = 0;
    const QSize full = dlg.MapDialogRect(QRect(0, 0, Template().width, Template().height)).size();
    fullWidth = full.width();
    fullHeight = full.height();
    setFixedSize(fullWidth, CollapsedHeight());

    if (settings && settings->autoRun > 0) {
        for (int i = 0; i < kChannelCount; ++i) {
            if (settings->chMode[i] != kModeNone) ConnectChannel(i);
        }
    }

    signals_ = new TerminationSignals(this);
    connect(signals_, &TerminationSignals::requested, this, &CVantrelDlg::OnTerminationSignal);

    StartSupervision();
    if (settings && !settings->settingsFallback.empty()) {
        const bool writable = access(LauncherFolder().c_str(), W_OK) == 0;
        AppendLog(SettingsBesideExecutableText(settings->launcherIni, settings->settingsFallback,
                                               writable)
                      .c_str());
    }
    return true;
}

void CVantrelDlg::MirrorRows() {
    if (supervisor && settings) supervisor->MirrorRows(*settings);
}

void CVantrelDlg::StartSupervision() {
    if (!settings) return;
    auto shared = std::make_shared<SupervisorShared>();
    auto sink = std::make_shared<PostingSink>(this);
    shared->MirrorRows(*settings);
    try {
        // The thread holds its own references: if it misses the wait at close, what it still
        // touches stays alive (the record lives as long as the process).
        AppSettings* record = settings;
        supervisorThread_ =
            std::thread([shared, sink, record] { SuperviseChannels(*shared, *record, *sink); });
    } catch (...) {
        AppendLog(kMainThreadStartNg);
        return;
    }
    supervisor = shared;
    sink_ = sink;
    // Publishing its id is the thread's first act.
    const uint32_t start = TickCount();
    while (supervisor->threadId == 0 && supervisor->state.load() == SupervisorShared::kRunning &&
           TicksSince(start, TickCount()) < 2000) {
        std::this_thread::yield();
    }
    AppendLog(LauncherStartText(supervisor->threadId).c_str());
}

int32_t CVantrelDlg::SupervisorStateNow() const {
    return supervisor ? supervisor->state.load() : int32_t{SupervisorShared::kFinished};
}

void CVantrelDlg::StopSupervision() {
    if (!supervisor) return;
    supervisor->state.store(SupervisorShared::kStopRequested);
    const uint32_t start = TickCount();
    while (supervisor->state.load() != SupervisorShared::kFinished) {
        if (TicksSince(start, TickCount()) > kSupervisorStopLimitMs) break;
        SleepMs(1);
    }
    if (supervisor->state.load() == SupervisorShared::kFinished) {
        supervisorThread_.join();
    } else {
        // The window closes anyway; the thread ends at its next check, posting nothing more.
        sink_->Detach();
        supervisorThread_.detach();
    }
    supervisor.reset();
    sink_.reset();
}

void CVantrelDlg::OnDestroy() {
    if (store) {
        SaveOptions(*store, *settings, 0);
        store.reset();
    }
    StopSupervision();
    // Every running panel ends on its own; the launcher does not wait for them.
    for (int i = 0; i < kChannelCount; ++i) SetMainStatus(i, status::kMainEnd);
    delete signals_;
    signals_ = nullptr;
}

int CVantrelDlg::CollapsedHeight() const {
    return dlg.MapDialogRect(QRect(0, kLogTopUnits, 1, 1)).top();
}

void CVantrelDlg::UpdateRows(bool initial) {
    if (!settings) return;
    for (int i = 0; i < kChannelCount; ++i) {
        auto* com = dlg.ItemAs<QPushButton>(kIdComButtons[i]);
        auto* run = dlg.ItemAs<QPushButton>(kIdConnectButtons[i]);
        auto* combo = dlg.ItemAs<QComboBox>(kIdTypeCombos[i]);
        if (initial) {
            com->setText(Utf8(ComButtonText(settings->chCom[i])));
            settings->chComShown[i] = settings->chCom[i];
            settings->chMode[i] = ClampMode(settings->chMode[i]);
            {
                const QSignalBlocker quiet(combo);
                combo->setCurrentIndex(settings->chMode[i] - 1);
            }
            settings->chRunning[i] = 0;
            settings->chRunningShown[i] = 0;
            run->setText(QString::fromUtf8(kConnectText));
            continue;
        }
        const int32_t running = settings->chRunning[i];
        if (settings->chRunningShown[i] != running) {
            settings->chRunningShown[i] = running;
            const bool stopped = running == 0;
            run->setText(QString::fromUtf8(stopped ? kConnectText : kConnectingText));
            combo->setEnabled(stopped);
            com->setEnabled(stopped);
        }
        if (settings->chComShown[i] != settings->chCom[i]) {
            settings->chComShown[i] = settings->chCom[i];
            com->setText(Utf8(ComButtonText(settings->chCom[i])));
        }
    }
}

void CVantrelDlg::SelectComPort(int row) {
    if (!settings || row < 0 || row >= kChannelCount) return;
    int port = settings->chCom[row];
    {
        clsDlgComSel select(&port, LauncherFolder(), this);
        select.exec();
    }
    if (port == -1) {
        ShowMessageBox(this, kNoComPortText);
        AppendLog(kNoComPortText);
        return;
    }
    settings->chCom[row] = port;
    MirrorRows();
    PostRowsChanged();
}

std::string CVantrelDlg::LauncherFolder() const {
    if (!settings) return std::string();
    const std::string& ini = settings->launcherIni;
    const size_t slash = ini.rfind('/');
    return slash == std::string::npos ? std::string() : ini.substr(0, slash + 1);
}

void CVantrelDlg::ConnectChannel(int row) {
    if (!settings || row < 0 || row >= kChannelCount) return;
    const int32_t mode = settings->chMode[row];
    if (mode == kModeNone) {
        PostLogText(NotConnectedText(row).c_str());
        return;
    }
    if (settings->chRunning[row] == 1) {
        // Stop: the panel ends itself when it reads the end request.
        settings->chRunning[row] = 0;
        SetMainStatus(row, status::kMainEnd);
    } else {
        SetMainStatus(row, status::kMainRun);
        const int32_t com = settings->chCom[row];
        const int result = SpawnProgram(settings->exePath, PanelArguments(com, mode, row));
        if (result > 32) {
            PostLogText(PanelStartedText(mode, row, com).c_str());
            settings->chRunning[row] = 1;
        } else {
            AppendLog(PanelStartFailedText(mode, result).c_str());
        }
    }
    PostRowsChanged();
}

void CVantrelDlg::ToggleLogArea() {
    expanded = expanded ? 0 : 1;
    setFixedSize(width(), expanded ? fullHeight : CollapsedHeight());
}

void CVantrelDlg::OpenOptions() {
    if (!settings) return;
    std::unique_ptr<clsDlgOption> option(new (std::nothrow) clsDlgOption(settings, this));
    if (!option) return;
    option->exec();
}

void CVantrelDlg::AppendLog(const char* text) {
    ::AppendLog(logEdit, text);
}

void CVantrelDlg::PostLogText(const char* text) {
    ::PostLogText(this, text);
}

void CVantrelDlg::PostRowsChanged() {
    PostUserMessage(this, kMsgUpdateRows, 0);
}

bool CVantrelDlg::event(QEvent* event) {
    if (event->type() != kWmUser100) return CDialogKw2::event(event);
    const auto* message = static_cast<PostedMessage*>(event);
    if (message->wParam == kMsgAppendLog) {
        if (message->lParam != 0) AppendLog(PostedLogText(message->lParam));
    } else if (message->wParam == kMsgUpdateRows) {
        UpdateRows(false);
    }
    return true;
}

void CVantrelDlg::OnTerminationSignal() {
    // As if Close were pressed: first the small dialogs and message boxes this window has open,
    // then the window itself, without the key swallowing.
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(widget);
        if (dialog && dialog != this && dialog->isVisible()) dialog->reject();
    }
    EndDialog(QDialog::Accepted);
}

// clsDlgPanel: the life cycle every device panel shares (A/D, D/A and I/O).
//
// Start-up (OnInitDialog, once, as the window is first shown):
//   1 iniFile = the panel's ini path            7  identification failure (1 or 2): message,
//   2 range loaded (A/D, D/A)                      port.baudRate = 0, error code, message box
//   3 CDialogKw2 init (restores the position)   8  another kind of box: the same with the
//   4 icons                                        panel's own message (14, 9 or 3)
//   5 InitBeforeIdentify()                      9  InitBeforeWorker()
//   6 IdentifyBox                               10 worker started, workerPhase = start value
//                                               11 InitAfterWorker()
// Shutdown (OnDestroy, once, whatever destroys the window: the end of a modal run or deleting
// the panel): range saved, worker stopped (at most 10 s), link closed, child status 3.
//
// The worker never touches a widget; it posts WM_USER+100 to the window. wParam 4 (the launcher
// asked the panel to end) and a termination signal close an open start-up message box and end
// the modal run as the Close button does, so the shutdown runs before the run returns. Other
// wParam values go to OnPanelMessage().
#pragma once

#include <QTimer>
#include <memory>
#include <string>

#include "device/SerialLink.h"
#include "panels/PanelWorker.h"
#include "settings/AppSettings.h"
#include "settings/CDialogKw2.h"
#include "settings/SettingsStore.h"

// The per-panel values of the shared sequence.
struct PanelKind {
    const char* expectedDevice;  // the device name identification must give
    int wrongBoxMessage;         // catalog message (and error code) for another kind of box
    int32_t workerStartPhase;    // workerPhase once the worker exists
    std::string AppSettings::*iniPath;
    int32_t (*comNumber)(const AppSettings&);
    int (*loadRange)(SettingsStore&, AppSettings&);        // null: no range
    int (*saveRange)(SettingsStore&, const AppSettings&);  // null: no range
};

class TerminationSignals;

class clsDlgPanel : public CDialogKw2 {
    Q_OBJECT

  public:
    clsDlgPanel(int templateId, const PanelKind& kind, AppSettings* settings);
    ~clsDlgPanel() override;

    // The process's settings record; not owned. Start-up may also set it after construction,
    // before the window is shown.
    AppSettings* settings;

    SerialLink& link() { return *link_; }
    bool WorkerCreated() const { return worker_.Created(); }
    int32_t stopFlag() const { return worker_.stopFlag(); }
    const PanelKind& kind() const { return kind_; }

    // "%s COM%d %dbps" of caption, the COM number and the speed.
    static std::string PortCaption(const std::string& caption, int com, int baudRate);
    // The catalog text of a start-up failure as shown and logged: "%s COM[%d]".
    static std::string FailureText(int message, int com);

  protected:
    bool OnInitDialog() override;
    void OnDestroy() override;

    // The panel's own steps of the start-up (see the top of this file).
    virtual void InitBeforeIdentify() {}
    virtual void InitBeforeWorker() {}
    virtual std::unique_ptr<PanelWorkerStep> MakeWorkerStep(PostToWindow post) = 0;
    virtual void InitAfterWorker() {}
    // WM_USER+100 with a wParam other than 4 (1 refreshes the I/O display, 2 the A/D display).
    virtual void OnPanelMessage(int /*wParam*/) {}
    // The title-bar close box (WM_CLOSE), before the window closes as usual.
    virtual void OnClose() {}

    // Sets the caption to PortCaption of the current caption, the panel's COM number and speed.
    void ShowPortInCaption();
    int ComNumber() const;

    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    // Keeps the error number of a failed open (0: the port opened) in the panel's ini file.
    void NoteOpenError(int error);
    // Shows and publishes a start-up failure; message 1 also names what the system reported.
    void ReportFailure(int message);
    void OnCloseAsked();
    void WatchMainStatus();

    const PanelKind kind_;
    // Shared with the worker, which keeps it should it outlive the stop limit.
    std::shared_ptr<SerialLink> link_;
    PanelWorker worker_;
    // Watches the launcher's main word while a start-up message box waits for the user (the
    // worker, which watches it otherwise, does not exist yet).
    QTimer startupWatch_;
    // SIGTERM, SIGINT and SIGHUP (a logout, a closed terminal, kill) end the panel as the
    // launcher's request does: range and placement saved, worker stopped, status 3 published.
    TerminationSignals* signals_ = nullptr;
    bool closeAsked_ = false;
    bool initialising_ = false;  // inside OnInitDialog: the modal run has not begun
    int openError_ = 0;          // errno of the failed open at start-up, 0 when it opened
};

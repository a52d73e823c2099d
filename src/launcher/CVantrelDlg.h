// CVantrelDlg: the launcher window (template 102). Four channel rows CH1 to CH4 (device type,
// COM port, connect button), the Option and Close buttons, and the operation log, which the "+"
// button shows or hides. Starting a row starts this executable again as the row's panel; the
// supervision thread follows the panels through the status words.
#pragma once

#include <array>
#include <memory>
#include <thread>

#include "launcher/child_supervision.h"
#include "settings/CDialogKw2.h"
#include "settings/SettingsStore.h"

class QPlainTextEdit;
class TerminationSignals;

class CVantrelDlg : public CDialogKw2 {
    Q_OBJECT

  public:
    static constexpr int kTemplateId = 102;
    // Control ids.
    static constexpr int kIdLog = 1001;
    static constexpr int kIdLogToggle = 1002;
    static constexpr int kIdComButtons[kChannelCount] = {1005, 1007, 1009, 1011};
    static constexpr int kIdConnectButtons[kChannelCount] = {1006, 1008, 1010, 1012};
    static constexpr int kIdTypeCombos[kChannelCount] = {1042, 1043, 1044, 1045};
    static constexpr int kIdOption = 1046;

    // settings is the process's record; it outlives the window.
    explicit CVantrelDlg(AppSettings* settings);
    ~CVantrelDlg() override;

    static const DialogTemplate& Template();

    // Handlers of the rows and buttons (also called by tests).
    void SelectComPort(int row);
    void ConnectChannel(int row);
    void ToggleLogArea();
    void OpenOptions();
    // initial: every row from the record, stopped; otherwise only what changed.
    void UpdateRows(bool initial);

    // The operation log: one time-stamped line, now (window thread).
    void AppendLog(const char* text);

    // Queue a log text or a redraw for this window (any thread).
    void PostLogText(const char* text);
    void PostRowsChanged();

    // The client height of the collapsed window: everything above the log.
    int CollapsedHeight() const;

    // Members, in the order of the original window.
    std::unique_ptr<SettingsStore> store;  // from initialisation until the window's destroy step
    AppSettings* settings;
    int expanded = 0;   // 1 while the log is shown
    int fullWidth = 0;  // client size of the expanded window
    int fullHeight = 0;
    // What the window shares with its supervision thread (the thread holds it too); empty
    // when no thread runs.
    std::shared_ptr<SupervisorShared> supervisor;
    QPlainTextEdit* logEdit = nullptr;
    // COM buttons of rows 1 to 4, then connect buttons, then type combos.
    std::array<QWidget*, 3 * kChannelCount> rowControls{};

    // 0 running, 1 stop requested, 2 finished; 2 also when no thread was started.
    int32_t SupervisorStateNow() const;

  protected:
    // Initialisation: placement, settings store, rows, collapsed window, auto-run, supervision
    // thread, then the start line.
    bool OnInitDialog() override;
    // The window's destroy step: Option section, supervision thread, main words.
    void OnDestroy() override;
    bool event(QEvent* event) override;

  private:
    class PostingSink;

    void OnTerminationSignal();
    // Accessible names for the controls whose text does not say what they are.
    void NameRowControls();
    // chMode and chCom as the supervision thread is to see them.
    void MirrorRows();
    void StartSupervision();
    void StopSupervision();
    // The folder of the launcher ini (the settings folder), ending in "/".
    std::string LauncherFolder() const;

    std::thread supervisorThread_;
    std::shared_ptr<PostingSink> sink_;
    TerminationSignals* signals_ = nullptr;
};

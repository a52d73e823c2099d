// clsDlgDA: the D/A panel (template 130). The user types a voltage and presses "変換", or
// presses a preset, and picks the output range; the panel shows the voltage in effect. The
// window only changes daBlock; the worker notices the change and sends the command.
#pragma once

#include "controls/CButtonEx.h"
#include "controls/CEditEx.h"
#include "controls/CStaticEx.h"
#include "panels/DaWorker.h"
#include "panels/clsDlgPanel.h"
#include "platform/dialog_template.h"

class clsDlgDA : public clsDlgPanel {
    Q_OBJECT

  public:
    enum : int {
        kIdVoltage = 1001,
        kIdPreset0 = 1002,  // .. 1004
        kIdConvert = 1005,
        kIdRange0to10 = 1026,
        kIdRangePm10 = 1027,
        kIdVoltageCaption = 1028,
        kIdOutputCaption = 1029,
        kIdOutput = 1030,
        kIdUnit = 1031,
    };

    explicit clsDlgDA(AppSettings* settings);
    ~clsDlgDA() override;

    static const DialogTemplate& Template();
    static const PanelKind& Kind();

    // True while the worker's last command waits for the box's echo.
    bool WaitingForEcho() const {
        return WorkerCreated() && daWorker_ && daWorker_->waitingForEcho();
    }

  protected:
    void InitBeforeIdentify() override;
    std::unique_ptr<PanelWorkerStep> MakeWorkerStep(PostToWindow post) override;
    void InitAfterWorker() override;

  private:
    QWidget* DoDataExchange(const DlgItem& item, QWidget* parent);
    void InitDisplay();
    // Brings the preset captions and the label of the voltage in effect up to date.
    void UpdateDisplay();
    void ShowPresetCaptions(int range);
    void OnConvert();
    void OnPreset(int index);
    void OnRange(int range);
    void OnChangeVoltage() {}  // typing changes nothing until "変換" is pressed

    // The running worker's step, owned by the worker; used only while the worker exists.
    const DaWorker* daWorker_ = nullptr;
    CEditEx* voltage_ = nullptr;
    CButtonEx* presets_[3] = {};
    CButtonEx* convert_ = nullptr;
    CStaticEx* voltageCaption_ = nullptr;
    CStaticEx* outputCaption_ = nullptr;
    CStaticEx* output_ = nullptr;
    CStaticEx* unit_ = nullptr;
};

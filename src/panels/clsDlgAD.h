// clsDlgAD: the A/D panel (template 131). Eight inputs, each with its latest value and running
// average ("%.3fV(%03X)"), a Reset button per average, the input range, and the button that
// shows the graph component's window, which receives every refreshed value.
#pragma once

#include <array>

#include "controls/CStaticEx.h"
#include "panels/clsDlgPanel.h"
#include "platform/dialog_template.h"

class QRadioButton;

class clsDlgAD : public clsDlgPanel {
    Q_OBJECT

  public:
    enum : int {
        kIdGraph = 1002,
        kIdReset0 = 1003,  // .. 1010
        kIdRange0to20 = 1026,
        kIdRangePm10 = 1027,
        kIdCurrent0 = 1032,  // .. 1039
        kIdAverage0 = 1040,  // .. 1047
    };

    explicit clsDlgAD(AppSettings* settings);
    ~clsDlgAD() override;

    static const DialogTemplate& Template();
    static const PanelKind& Kind();

    CStaticEx* CurrentLabel(int i) const { return current_[static_cast<size_t>(i)]; }
    CStaticEx* AverageLabel(int i) const { return average_[static_cast<size_t>(i)]; }

    // The display refresh the worker asks for (WM_USER+100, wParam 2).
    void Refresh();

  protected:
    void InitBeforeWorker() override;
    std::unique_ptr<PanelWorkerStep> MakeWorkerStep(PostToWindow post) override;
    void OnPanelMessage(int wParam) override;

  private:
    // Binds the value labels to their ids (the template's CStaticEx controls).
    QWidget* DoDataExchange(const DlgItem& item, QWidget* parent);
    void InitDisplay();
    void OnReset(int i);
    void OnRange(int range);
    void OnGraph();

    std::array<CStaticEx*, kAdInputs> current_{};
    std::array<CStaticEx*, kAdInputs> average_{};
};

// clsDlgIO: the I/O panel (template 129). Eight output buttons, eight input lamps and eight
// interrupt check boxes, channel 7 on the left to channel 0 on the right, and the Graph button
// that shows or hides the timing chart of the inputs (CDlgIoGraph).
//
// The window only changes the wanted states in ioBlock; the worker (IoWorker) sends them, polls
// the inputs and asks for a refresh whenever an input changed and when the graph's next sample
// is due (the window publishes its last sample's tick in ioBlock for that). The refresh updates
// the lamps that changed and, every 100 ms while the graph records, adds one sample of the shown
// inputs.
#pragma once

#include <QPointer>
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "iograph/CDlgIoGraph.h"
#include "panels/clsDlgPanel.h"
#include "platform/dialog_template.h"

class CButtonEx;
class CStaticEx;
class QCheckBox;

class clsDlgIO : public clsDlgPanel {
    Q_OBJECT

  public:
    enum : int {
        kIdOutput7 = 1002,     // .. 1009 = output 0: output i is 1009 - i
        kIdInterrupt7 = 1010,  // .. 1017 = input 0: check box i is 1017 - i
        kIdLamp7 = 1018,       // .. 1025 = input 0: lamp i is 1025 - i
        kIdGraph = 1051,
    };
    static constexpr int kSampleIntervalMs = kIoSampleIntervalMs;

    explicit clsDlgIO(AppSettings* settings);
    ~clsDlgIO() override;

    static const DialogTemplate& Template();
    static const PanelKind& Kind();

    static constexpr int OutputId(int i) { return 1009 - i; }
    static constexpr int InterruptId(int i) { return 1017 - i; }
    static constexpr int LampId(int i) { return 1025 - i; }

    CButtonEx* OutputButton(int i) const { return outputs_[static_cast<size_t>(i)]; }
    CStaticEx* Lamp(int i) const { return lamps_[static_cast<size_t>(i)]; }
    QCheckBox* InterruptBox(int i) const { return interrupts_[static_cast<size_t>(i)]; }
    // The graph window while it exists (it deletes itself once its window is destroyed).
    CDlgIoGraph* Graph() const { return graph_; }
    bool GraphExists() const { return graphExists_ != 0; }

    // The display refresh the worker asks for (WM_USER+100, wParam 1).
    void Refresh();

    // Time source of the graph sampling; tests replace it to step through 100 ms periods.
    uint32_t (*clock)() = nullptr;

  protected:
    std::unique_ptr<PanelWorkerStep> MakeWorkerStep(PostToWindow post) override;
    void InitAfterWorker() override;
    void OnPanelMessage(int wParam) override;
    void OnClose() override;
    void OnDestroy() override;

  private:
    QWidget* DoDataExchange(const DlgItem& item, QWidget* parent);
    void InitDisplay();
    void CreateGraph();
    void OnOutput(int i);
    void OnInterrupt(int i);
    void OnGraph();
    uint32_t Now() const;

    std::array<CButtonEx*, kIoBits> outputs_{};
    std::array<CStaticEx*, kIoBits> lamps_{};
    std::array<QCheckBox*, kIoBits> interrupts_{};

    QPointer<CDlgIoGraph> graph_;
    int graphExists_ = 0;
    uint32_t lastSampleTime_ = 0;
    // Set while a refresh is queued for the window: the worker may ask for one at every step
    // while inputs keep changing, and a window that is busy for a while (a drag, a message box)
    // must not collect thousands of them. Shared with the worker's post function, which may
    // outlive the window.
    std::shared_ptr<std::atomic<bool>> refreshQueued_ = std::make_shared<std::atomic<bool>>(false);
};

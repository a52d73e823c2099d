// CDialogKw: the base of the windows that Enter and Escape never close (the launcher, the
// panels, the graph window).
//
// Life cycle of a window, and what a derived dialog overrides:
//
//   constructed  ->  initialised  ->  destroyed  (-> initialised again if it is shown again)
//
// - OnInitDialog() runs once per window life, just before the window is first shown (from
//   setVisible(true), so both show() and exec() reach it). The widgets exist by then: build the
//   template in the constructor with BuildTemplate(). An override calls its base class's
//   OnInitDialog() (CDialogKw2 resolves iniFile and restores the position there, so set iniFile
//   before calling it).
// - OnOK() and OnCancel() are the Close button (id 1) and Escape / the title-bar close box.
//   When an Enter or Escape key went down since the last OK or Cancel, the next one is
//   swallowed once. An Enter kept by an editable text edit does not count. Call EndDialog() to
//   close unconditionally.
// - DestroyWindow() runs once per window life, whatever ends it: the end of a modal run, done(),
//   close(), or deleting the object. It saves the placement (SavePlacement, overridden by the
//   placement-remembering bases) and then runs OnDestroy() (the window's WM_DESTROY handling).
//   A destructor cannot reach an override, so a derived class whose OnDestroy() matters calls
//   DestroyWindow() at the start of its own destructor; further calls do nothing.
//   PostNcDestroy() runs last, once the window is gone (a modeless window deletes itself there).
// - A modeless window is initialised without being shown, by InitialiseHidden().
#pragma once

#include <QDialog>
#include <QRect>
#include <string>

#include "platform/dialog_template.h"

class CDialogKw : public QDialog {
    Q_OBJECT

  public:
    explicit CDialogKw(int templateId, QWidget* parent = nullptr);
    ~CDialogKw() override;

    int TemplateId() const { return templateId_; }

    // Runs the destroy step (placement save, then OnDestroy) unless it ran already in this
    // window life or the window was never initialised.
    void DestroyWindow();

    // True between initialisation and destruction.
    bool IsInitialised() const { return phase_ == Phase::kLive; }

    // Closes the window with result, without the key swallowing.
    void EndDialog(int result);

    void setVisible(bool visible) override;
    void done(int result) override;
    // Escape and the close box arrive here; they go to OnCancel.
    void reject() override;

    // x or y re-centred on an axis where the outer rectangle (x, y, w, h) leaves the work area:
    // (right - left - w) / 2 without adding the work area's left (or top) offset.
    static void FitPosition(int* x, int* y, int w, int h, const QRect& workArea);

    // The placement ini of a window: a path containing "/" is kept; "" becomes the executable's
    // folder + base name + ".ini"; a bare name goes into the executable's folder, with ".ini"
    // appended when it contains no ".".
    static std::string ResolveIniPath(const std::string& iniFile, const std::string& modulePath);

    // Set when an Enter or Escape key went down that the dialog handles (not an Enter that an
    // editable text edit keeps as a line break); consumed by the next OK or Cancel.
    int keyFlag = 0;

  protected:
    virtual bool OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void OnDestroy() {}
    virtual void SavePlacement() {}
    // Runs last in DestroyWindow(), after OnDestroy(); a modeless window deletes itself here.
    virtual void PostNcDestroy() {}

    // Initialises the window as a first show would (OnInitDialog), but leaves it hidden: a
    // modeless window is created hidden and shown later. Does nothing when the window is
    // initialised already or visible. Returns OnInitDialog's result, or false when it did not
    // run.
    bool InitialiseHidden();

    // Creates the template's controls and wires id 1 to OnOK and id 2 to OnCancel.
    void BuildTemplate(const DialogTemplate& tmpl, const DialogControls::Factory& factory = {});

    // Moves the window to the outer rectangle (x, y, w, h), pulled into the primary screen's
    // work area by FitPosition.
    void FitToWorkArea(int x, int y, int w, int h);

    // The primary screen's available geometry; empty when there is no screen.
    static QRect WorkArea();

    // The outer rectangle the window has when neither minimised nor maximised.
    QRect NormalOuterRect() const;

    // The placement keys "Left", "Top" and, withSize, "Width", "Height" of section in iniFile.
    // ReadPlacement puts each value found over outer (-1 counts as missing) and tells whether a
    // size was found; WritePlacement writes the normal outer rectangle in one buffered rewrite.
    static QRect ReadPlacement(const std::string& iniFile, const std::string& section, QRect outer,
                               bool withSize, bool* sizeFound = nullptr);
    void WritePlacement(const std::string& iniFile, const std::string& section,
                        bool withSize) const;

    bool eventFilter(QObject* watched, QEvent* event) override;

    DialogControls dlg;

  private slots:
    void OnIdOk() { OnOK(); }
    void OnIdCancel() { OnCancel(); }

  private:
    enum class Phase { kConstructed, kLive, kDestroyed };
    // Enter: the focused push button, else the default button, else OK.
    void PressEnter(QWidget* target);

    int templateId_;
    Phase phase_ = Phase::kConstructed;
};

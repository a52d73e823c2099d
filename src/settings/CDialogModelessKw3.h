// CDialogModelessKw3: the modeless CDialogKw3. The owner makes it on the heap (with itself as
// the Qt parent), calls CreateModeless(), and shows and hides it as it likes. The object
// deletes itself after its window is destroyed, so the owner never deletes it.
//
// Ending the window:
// - The close box, Escape-free Cancel and OK only hide it (nothing is saved, nothing destroyed);
//   show it again with show() or showNormal().
// - DestroyWindow() saves the placement and size, destroys the window, and the object deletes
//   itself once control returns to the event loop (deleteLater). The owner must drop its pointer.
// - DestroyWithoutSaving() does the same without saving: for an owner that ends other than by
//   its title-bar close box, whose graph is destroyed with it and forgets its placement.
// - When the owner (the Qt parent) is deleted first, Qt deletes the window with it; nothing is
//   saved then either. This is safe also after DestroyWindow() while the deferred deletion is
//   still pending.
#pragma once

#include <string>

#include "settings/CDialogKw3.h"

class CDialogModelessKw3 : public CDialogKw3 {
    Q_OBJECT

  public:
    explicit CDialogModelessKw3(int templateId, QWidget* parent = nullptr);
    ~CDialogModelessKw3() override;

    // Stores iniFile and section and creates the window initialised (OnInitDialog has run, the
    // placement is restored) but hidden. Returns 1, or 0 when the window was created before.
    int CreateModeless(const std::string& iniFile, const std::string& section);

    // Destroys the window without saving its placement; the object then deletes itself.
    void DestroyWithoutSaving();

    // Ending the dialog hides this window only.
    void done(int result) override;
    // A destroyed window is not shown again.
    void setVisible(bool visible) override;

  protected:
    // Hides the destroyed window and deletes the object from the event loop.
    void PostNcDestroy() override;

  private:
    bool created_ = false;
    bool ended_ = false;  // destroyed, deletion pending
};

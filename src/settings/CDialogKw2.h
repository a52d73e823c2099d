// CDialogKw2: a CDialogKw that comes back where the user left it. The position ("Left",
// "Top") is kept in section `section` of `iniFile`.
//
// A derived dialog sets iniFile (a full path from AppSettings) in its own OnInitDialog() and
// then calls CDialogKw2::OnInitDialog(), which resolves the path and restores the position. The
// position is saved when the window is destroyed (see CDialogKw); nothing is needed at close.
#pragma once

#include <string>

#include "settings/CDialogKw.h"

class CDialogKw2 : public CDialogKw {
    Q_OBJECT

  public:
    explicit CDialogKw2(int templateId);
    ~CDialogKw2() override;

    std::string iniFile;             // resolved to a full path at initialisation
    std::string section = "System";  // the ini section of the placement

  protected:
    // Resolves iniFile, then moves the window to the saved position, pulled into the work
    // area. Returns true.
    bool OnInitDialog() override;
    // Writes "Left" and "Top" of the normal (restored) rectangle through a buffered iniacs.
    void SavePlacement() override;
};

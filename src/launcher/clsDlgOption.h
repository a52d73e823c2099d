// clsDlgOption: the launcher's Option dialog (template 134). It edits a copy of the launcher's
// record and assigns its two options back on confirmation; nothing is written to disk here (the
// launcher saves the Option section when it closes).
#pragma once

#include <QDialog>

#include "platform/dialog_template.h"
#include "settings/AppSettings.h"

class clsDlgOption : public QDialog {
    Q_OBJECT

  public:
    // target is the launcher's record; the dialog works on a copy of it taken now.
    explicit clsDlgOption(AppSettings* target, QWidget* parent = nullptr);

    static const DialogTemplate& Template();
    static QString VersionLine();
    static QString MakerLine();

    AppSettings settingsCopy;
    AppSettings* target;
    DialogControls dlg;

  public slots:
    // Confirmation: the two check boxes into the copy and into the target; the target's other
    // fields keep their live values.
    void accept() override;
};

// Dialog templates kept as data: each control with its id, kind, text and rectangle in dialog
// units. Building a template creates the Qt widgets at the pixel rectangles that the dialog
// font's base units give (the same arithmetic as MapDialogRect), so a dialog can look any
// control up by its id.
#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <functional>
#include <map>
#include <vector>

class QDialog;
class QWidget;

enum class DlgKind {
    Static,        // left-aligned text
    StaticCenter,  // centred text
    StaticRight,   // right-aligned text
    PushButton,
    DefPushButton,  // the default button
    CheckBox,
    RadioButton,  // a new group starts at each RadioButton marked groupStart
    GroupBox,
    Edit,           // single-line edit
    MultiLineEdit,  // multi-line plain-text edit with a vertical scroll bar, no word wrap
    DropDownList,   // combo box without an edit field
    HScrollBar,
    Custom,  // a widget the dialog makes itself (a chart, for example)
};

struct DlgItem {
    int id;  // -1 for a control nobody refers to
    DlgKind kind;
    const char* text;  // UTF-8
    int x, y, w, h;    // dialog units
    bool groupStart = false;
};

struct DialogTemplate {
    int id;
    const char* caption;
    int width, height;  // dialog units
    const char* fontFace;
    int fontPoints;
    std::vector<DlgItem> items;
};

// The widgets of one built template.
class DialogControls {
  public:
    // Makes a widget for an item; return nullptr to get the standard widget of its kind.
    using Factory = std::function<QWidget*(const DlgItem& item, QWidget* parent)>;

    // Sets the dialog's caption, font and client size, and creates every control.
    void Build(QDialog* dialog, const DialogTemplate& tmpl, const Factory& factory = {});

    // The control with this id, or nullptr.
    QWidget* Item(int id) const;
    template <class T>
    T* ItemAs(int id) const {
        return qobject_cast<T*>(Item(id));
    }

    // Dialog units to pixels with the dialog font's base units.
    QRect MapDialogRect(const QRect& units) const;
    int BaseUnitX() const { return baseX_; }
    int BaseUnitY() const { return baseY_; }

    // Every control in template order.
    const std::vector<QWidget*>& All() const { return all_; }

  private:
    int baseX_ = 6;
    int baseY_ = 13;
    std::map<int, QWidget*> byId_;
    std::vector<QWidget*> all_;
};

// Dialog base units of a font: average width of the Latin letters and the line height.
void DialogBaseUnits(const QFont& font, int* baseX, int* baseY);

// The program's resources as data: dialog templates, the string table and the
// application icon.
//
// A dialog template lists the controls a dialog is built from, each with its
// id, class, text and rectangle in dialog units; a dialog finds its controls
// by id afterwards.
#pragma once

#include <QIcon>
#include <QRect>
#include <QString>
#include <cstdint>
#include <vector>

namespace nv {

// Id of controls that are never looked up (plain labels, group boxes).
constexpr int kStaticId = -1;

// Common command ids, also used as dialog results.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

enum class ControlKind {
  kStatic,         // plain label (QLabel)
  kStringStatic,   // CZyStringStatic
  kButton,         // CZyButton
  kGeneralButton,  // CGeneralZyButton
  kEdit,           // CZyEdit
  kGeneralEdit,    // CGeneralZyEdit
  kList,           // CZyListCtrl
  kComboBox,       // drop-down list without edit field
  kProgress,       // progress bar, range 0 to 100
  kGroupBox,       // frame with a title
  kLink,           // label that opens its link in the browser
};

// Style bits of a control.
enum ControlStyle : uint32_t {
  kHidden = 0x01,
  kDisabled = 0x02,
  kMasked = 0x04,           // edit shows bullets instead of characters
  kWordWrap = 0x08,         // static wraps its text over several lines
  kCenter = 0x10,           // static text centred
  kRight = 0x20,            // static text right-aligned
  kPathEllipsis = 0x40,     // static elides the middle of a long path
  kDefaultButton = 0x80,    // Enter presses this button
  kSingleSelection = 0x100, // list selects at most one row
};

// Style bits of a dialog.
enum DialogStyle : uint32_t {
  kVisible = 0x01,     // shown when created modeless
  kChild = 0x02,       // a page inside another window
  kAppWindow = 0x04,   // a top-level window of its own in the taskbar
};

struct ControlTemplate {
  int id = kStaticId;
  ControlKind kind = ControlKind::kStatic;
  const char* text = "";
  int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
  uint32_t style = 0;
};

struct DialogTemplate {
  int id = 0;
  int cx = 0, cy = 0;  // dialog units
  uint32_t style = 0;
  std::vector<ControlTemplate> controls;
};

// The template of a dialog id, or null. Registered templates come first.
const DialogTemplate* FindDialogTemplate(int id);
// Adds a template, replacing one with the same id (tools and tests build
// dialogs of their own this way).
void RegisterDialogTemplate(const DialogTemplate& dialogTemplate);
// The control of a template by id, or null.
const ControlTemplate* FindControl(const DialogTemplate& dialogTemplate, int id);

// Dialog units to pixels for the standard dialog font at 96 DPI: x * 6 / 4,
// y * 13 / 8, rounded to the nearest pixel; each edge is converted on its own.
int DialogUnitsToPixelsX(int x);
int DialogUnitsToPixelsY(int y);
QRect DialogUnitsToPixels(int x, int y, int cx, int cy);

// A string of the program's string table; empty for an unknown id.
QString LoadStringResource(int id);

// The application icon in the sizes the system asks for.
QIcon ApplicationIcon();

}  // namespace nv

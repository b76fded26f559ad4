// Dialog templates: the control geometry of every page and dialog, one small
// text file per template under res/templates/, embedded in the program as Qt
// resources (":/templates/<id>.tpl").
//
// Geometry is kept in dialog units and converted to pixels from the dialog
// font's base units, as the desktop system the wizard was drawn for does:
// baseX is the average width of the Latin letters, baseY the font height;
// x_px = x_du * baseX / 4 and y_px = y_du * baseY / 8.
//
// File format (UTF-8, '#' starts a comment line, blank lines ignored):
//   template <id>
//   size <width_du> <height_du>
//   font <point size> <face name...>          (optional; default 8 MS Shell Dlg)
//   caption "<text>"                           (optional)
//   <id> <kind> <x> <y> <w> <h> [flags] [res=<resource id>] [text="<text>"]
// kind: text, picture, button, imagebutton, edit, combo, list, check, radio,
//       group, richedit, frame.
// flags: '-' or a comma list of: hidden, disabled, default, password,
//        multiline, readonly, vscroll, hscroll, autoscroll, realsize,
//        dropdownlist, dropdown, center, right, border, tabstop, notab,
//        number, wantreturn, ownerdraw, centerimage, nowrap.
// Inside quotes, \" is a quote, \\ a backslash and \n a line break.
#pragma once

#include <QFont>
#include <QHash>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <vector>

namespace kelvane {

struct TemplateControl {
  int id = 0;
  QString kind;
  QRect rectDu;          // dialog units
  QStringList flags;
  int resource = 0;      // bitmap or icon resource, 0 for none
  QString text;
  bool HasFlag(const QString& flag) const { return flags.contains(flag); }
};

struct DialogTemplate {
  int id = 0;
  QSize sizeDu;
  int fontPointSize = 8;
  QString fontFace = QStringLiteral("MS Shell Dlg");
  QString caption;
  std::vector<TemplateControl> controls;

  const TemplateControl* Find(int controlId) const;
};

// Parses the text of a template file; false with a message in `error` (line
// number and reason) when the text is not a well-formed template.
bool ParseDialogTemplate(const QString& text, DialogTemplate& out, QString* error = nullptr);
// Reads template `id` from the embedded resources; false when it is absent or
// broken (the reason goes to the Qt warning log).
bool LoadDialogTemplate(int id, DialogTemplate& out);

// The font a template asks for. "MS Shell Dlg" (and any face the machine lacks)
// becomes the desktop's sans-serif face with fall-backs for CJK scripts chosen
// by the user-interface language.
QFont DialogFont(int pointSize = 8, const QString& face = QStringLiteral("MS Shell Dlg"));
QFont DialogFont(const DialogTemplate& tpl);
// Base units (average character width, character height) of a font in pixels.
QSize DialogBaseUnits(const QFont& font);
QRect DialogUnitsToPixels(const QRect& du, QSize baseUnits);
QSize DialogUnitsToPixels(QSize du, QSize baseUnits);

// Object name of a control built from a template: "ctl_<id>"; the property
// "controlId" holds the number.
QString ControlObjectName(int controlId);
// The control with `controlId` among the descendants of `host`, or null.
QWidget* FindControl(const QWidget* host, int controlId);

// Creates the controls of `tpl` as children of `host` at their pixel
// positions, in template order (which is also the tab order), sets the font of
// the template on `host` and resizes `host` to the template's size. Answers the
// base units used. Kinds map to: text → CStaticText, picture → QLabel with the
// bitmap, button → QPushButton (CImageButton with the ownerdraw flag),
// imagebutton → CImageButton, edit → CLineEdit (QPlainTextEdit when
// multiline), combo → CAutoWidthComboBox, list → QListWidget, check → QCheckBox,
// radio → QRadioButton, group → QGroupBox, richedit → CHTRichEditCtrl,
// frame → QFrame.
QSize BuildTemplateControls(QWidget* host, const DialogTemplate& tpl);

}  // namespace kelvane

#include "wizard/DialogTemplate.h"

#include <QCheckBox>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QtDebug>

#include "wizard/CAutoWidthComboBox.h"
#include "wizard/CHTRichEditCtrl.h"
#include "wizard/CLineEdit.h"
#include "wizard/CImageButton.h"
#include "wizard/CStaticText.h"
#include "wizard/Resources.h"
#include "state/WizardState.h"

namespace kelvane {

namespace {

const QStringList& KnownKinds() {
  static const QStringList kinds = {"text",  "picture", "button", "imagebutton", "edit",     "combo",
                                    "list",  "check",   "radio",  "group",       "richedit", "frame"};
  return kinds;
}

const QStringList& KnownFlags() {
  static const QStringList flags = {
      "hidden",   "disabled",   "default", "password", "multiline", "readonly",    "vscroll",
      "hscroll",  "autoscroll", "realsize", "dropdownlist", "dropdown", "center",  "right",
      "border",   "tabstop",    "notab",   "number",   "wantreturn", "ownerdraw", "centerimage",
      "nowrap"};
  return flags;
}

// Splits a line into tokens: blanks separate, "..." is one token (quotes
// removed, \" \\ \n understood); key="..." stays one token with its value
// unquoted. False on an unterminated quote.
bool Tokenize(const QString& line, QStringList& out) {
  out.clear();
  QString current;
  bool inToken = false;
  bool inQuote = false;
  for (int i = 0; i < line.size(); ++i) {
    const QChar c = line[i];
    if (inQuote) {
      if (c == '\\' && i + 1 < line.size()) {
        const QChar n = line[++i];
        current += (n == 'n') ? QChar('\n') : n;
      } else if (c == '"') {
        inQuote = false;
      } else {
        current += c;
      }
      continue;
    }
    if (c == '"') {
      inQuote = true;
      inToken = true;
    } else if (c.isSpace()) {
      if (inToken) out << current;
      current.clear();
      inToken = false;
    } else {
      current += c;
      inToken = true;
    }
  }
  if (inQuote) return false;
  if (inToken) out << current;
  return true;
}

bool ToInt(const QString& s, int& value) {
  bool ok = false;
  value = s.toInt(&ok);
  return ok;
}

}  // namespace

const TemplateControl* DialogTemplate::Find(int controlId) const {
  for (const TemplateControl& c : controls)
    if (c.id == controlId) return &c;
  return nullptr;
}

bool ParseDialogTemplate(const QString& text, DialogTemplate& out, QString* error) {
  out = DialogTemplate();
  bool haveId = false;
  bool haveSize = false;
  const QStringList lines = text.split('\n');
  auto fail = [&](int lineNo, const QString& why) {
    if (error) *error = QStringLiteral("line %1: %2").arg(lineNo).arg(why);
    return false;
  };
  for (int n = 0; n < lines.size(); ++n) {
    const QString line = lines[n].trimmed();
    const int lineNo = n + 1;
    if (line.isEmpty() || line.startsWith('#')) continue;
    QStringList t;
    if (!Tokenize(line, t)) return fail(lineNo, QStringLiteral("unterminated quote"));
    const QString& key = t[0];
    if (key == "template") {
      if (t.size() != 2 || !ToInt(t[1], out.id) || out.id <= 0) return fail(lineNo, "template needs one positive id");
      haveId = true;
    } else if (key == "size") {
      int w = 0, h = 0;
      if (t.size() != 3 || !ToInt(t[1], w) || !ToInt(t[2], h) || w <= 0 || h <= 0)
        return fail(lineNo, "size needs two positive numbers");
      out.sizeDu = QSize(w, h);
      haveSize = true;
    } else if (key == "font") {
      if (t.size() < 3 || !ToInt(t[1], out.fontPointSize) || out.fontPointSize <= 0)
        return fail(lineNo, "font needs a point size and a face");
      out.fontFace = QStringList(t.mid(2)).join(' ');
    } else if (key == "caption") {
      if (t.size() != 2) return fail(lineNo, "caption needs one quoted text");
      out.caption = t[1];
    } else {
      TemplateControl c;
      if (!ToInt(key, c.id)) return fail(lineNo, QStringLiteral("unknown keyword \"%1\"").arg(key));
      if (t.size() < 6) return fail(lineNo, "a control needs id, kind, x, y, width and height");
      c.kind = t[1];
      if (!KnownKinds().contains(c.kind)) return fail(lineNo, QStringLiteral("unknown kind \"%1\"").arg(c.kind));
      int v[4];
      for (int i = 0; i < 4; ++i)
        if (!ToInt(t[2 + i], v[i])) return fail(lineNo, "geometry must be four numbers");
      if (v[2] < 0 || v[3] < 0) return fail(lineNo, "negative size");
      c.rectDu = QRect(v[0], v[1], v[2], v[3]);
      for (int i = 6; i < t.size(); ++i) {
        const QString& tok = t[i];
        if (tok.startsWith("res=")) {
          if (!ToInt(tok.mid(4), c.resource) || c.resource < 0) return fail(lineNo, "bad resource id");
        } else if (tok.startsWith("text=")) {
          c.text = tok.mid(5);
        } else if (i == 6 && !tok.contains('=')) {
          if (tok == "-") continue;
          c.flags = tok.split(',', Qt::SkipEmptyParts);
          for (const QString& f : c.flags)
            if (!KnownFlags().contains(f)) return fail(lineNo, QStringLiteral("unknown flag \"%1\"").arg(f));
        } else {
          return fail(lineNo, QStringLiteral("unexpected \"%1\"").arg(tok));
        }
      }
      if (out.Find(c.id) != nullptr) return fail(lineNo, QStringLiteral("control %1 appears twice").arg(c.id));
      out.controls.push_back(c);
    }
  }
  if (!haveId) return fail(0, "no template line");
  if (!haveSize) return fail(0, "no size line");
  return true;
}

bool LoadDialogTemplate(int id, DialogTemplate& out) {
  QFile file(QStringLiteral(":/templates/%1.tpl").arg(id));
  if (!file.open(QIODevice::ReadOnly)) {
    qWarning("dialog template %d is not part of the program", id);
    return false;
  }
  QString error;
  if (!ParseDialogTemplate(QString::fromUtf8(file.readAll()), out, &error)) {
    qWarning("dialog template %d: %s", id, qPrintable(error));
    return false;
  }
  if (out.id != id) {
    qWarning("dialog template file %d.tpl names template %d", id, out.id);
    return false;
  }
  return true;
}

QFont DialogFont(int pointSize, const QString& face) {
  QStringList families;
  // The dialog face of the original desktop is not on Linux machines: use a
  // sans-serif face that covers Latin, Greek and Cyrillic, then the CJK face
  // that matches the user-interface language so Han characters take the
  // right regional forms.
  if (face != QLatin1String("MS Shell Dlg") && QFontDatabase::hasFamily(face)) families << face;
  families << QStringLiteral("DejaVu Sans");
  switch (WizardState::Instance().languageId) {
    case 1042: families << QStringLiteral("Noto Sans CJK KR"); break;
    case 2052: families << QStringLiteral("Noto Sans CJK SC"); break;
    case 1041: families << QStringLiteral("Noto Sans CJK JP"); break;
    default: families << QStringLiteral("Noto Sans CJK TC"); break;
  }
  families << QStringLiteral("Noto Sans CJK SC") << QStringLiteral("sans-serif");
  QFont font;
  font.setFamilies(families);
  font.setPointSize(pointSize > 0 ? pointSize : 8);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

QFont DialogFont(const DialogTemplate& tpl) { return DialogFont(tpl.fontPointSize, tpl.fontFace); }

QSize DialogBaseUnits(const QFont& font) {
  const QFontMetrics fm(font);
  const int letters = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  const int baseX = (letters / 26 + 1) / 2;
  return QSize(qMax(1, baseX), qMax(1, fm.height()));
}

QRect DialogUnitsToPixels(const QRect& du, QSize base) {
  // Edges are converted, not sizes, so adjacent controls stay adjacent.
  const int left = du.x() * base.width() / 4;
  const int top = du.y() * base.height() / 8;
  const int right = (du.x() + du.width()) * base.width() / 4;
  const int bottom = (du.y() + du.height()) * base.height() / 8;
  return QRect(left, top, right - left, bottom - top);
}

QSize DialogUnitsToPixels(QSize du, QSize base) {
  return QSize(du.width() * base.width() / 4, du.height() * base.height() / 8);
}

QString ControlObjectName(int controlId) { return QStringLiteral("ctl_%1").arg(controlId); }

QWidget* FindControl(const QWidget* host, int controlId) {
  if (host == nullptr) return nullptr;
  return host->findChild<QWidget*>(ControlObjectName(controlId));
}

namespace {

Qt::Alignment TextAlignment(const TemplateControl& c) {
  Qt::Alignment a = Qt::AlignTop;
  if (c.HasFlag("center")) a |= Qt::AlignHCenter;
  else if (c.HasFlag("right")) a |= Qt::AlignRight;
  else a |= Qt::AlignLeft;
  return a;
}

QWidget* MakeControl(QWidget* host, const TemplateControl& c) {
  const QString& k = c.kind;
  if (k == "text") {
    auto* w = new CStaticText(host);
    w->setText(c.text);
    int format = int(TextAlignment(c));
    if (!c.HasFlag("nowrap")) format |= Qt::TextWordWrap;
    w->SetDrawFormat(format);
    if (c.HasFlag("border")) w->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return w;
  }
  if (k == "picture") {
    auto* w = new QLabel(host);
    w->setTextFormat(Qt::PlainText);
    w->setAlignment(c.HasFlag("centerimage") ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignTop);
    if (c.resource != 0) w->setPixmap(LoadBitmapResource(c.resource));
    return w;
  }
  if (k == "imagebutton" || (k == "button" && c.HasFlag("ownerdraw"))) {
    auto* w = new CImageButton(host);
    w->setText(c.text);
    if (c.resource != 0) w->SetIcon(c.resource, 0, QSize(), false);
    return w;
  }
  if (k == "button") {
    auto* w = new QPushButton(c.text, host);
    w->setAutoDefault(true);
    if (c.HasFlag("default")) w->setDefault(true);
    return w;
  }
  if (k == "edit") {
    if (c.HasFlag("multiline")) {
      auto* w = new QPlainTextEdit(host);
      w->setPlainText(c.text);
      w->setReadOnly(c.HasFlag("readonly"));
      w->setVerticalScrollBarPolicy(c.HasFlag("vscroll") ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
      w->setHorizontalScrollBarPolicy(c.HasFlag("hscroll") ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
      w->setTabChangesFocus(true);
      return w;
    }
    auto* w = new CLineEdit(host);
    w->setText(c.text);
    w->setReadOnly(c.HasFlag("readonly"));
    if (c.HasFlag("password")) {
      w->setEchoMode(QLineEdit::Password);
      w->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    }
    if (c.HasFlag("center")) w->setAlignment(Qt::AlignHCenter);
    if (c.HasFlag("number"))
      w->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), w));
    return w;
  }
  if (k == "combo") {
    auto* w = new CAutoWidthComboBox(host);
    if (c.HasFlag("dropdown")) {
      w->setEditable(true);
      w->setLineEdit(new CLineEdit(w));
    }
    return w;
  }
  if (k == "list") return new QListWidget(host);
  if (k == "check") return new QCheckBox(c.text, host);
  if (k == "radio") return new QRadioButton(c.text, host);
  if (k == "group") return new QGroupBox(c.text, host);
  if (k == "richedit") return new CHTRichEditCtrl(host);
  auto* w = new QFrame(host);
  w->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  return w;
}

}  // namespace

QSize BuildTemplateControls(QWidget* host, const DialogTemplate& tpl) {
  host->setFont(DialogFont(tpl));
  const QSize base = DialogBaseUnits(host->font());
  for (const TemplateControl& c : tpl.controls) {
    QWidget* w = MakeControl(host, c);
    w->setObjectName(ControlObjectName(c.id));
    w->setProperty("controlId", c.id);
    QRect r = DialogUnitsToPixels(c.rectDu, base);
    if (c.kind == "combo") {
      // The template gives the height of the opened list; the closed box has
      // its natural height.
      r.setHeight(w->sizeHint().height());
    } else if (c.kind == "picture" && c.HasFlag("realsize") && c.resource != 0) {
      const QSize natural = ResourceSize(c.resource);
      if (!natural.isEmpty()) r.setSize(natural);
    }
    w->setGeometry(r);
    if (c.HasFlag("notab")) w->setFocusPolicy(Qt::NoFocus);
    if (c.HasFlag("disabled")) w->setEnabled(false);
    if (c.HasFlag("hidden")) w->setHidden(true);
  }
  host->resize(DialogUnitsToPixels(tpl.sizeDu, base));
  return base;
}

}  // namespace kelvane

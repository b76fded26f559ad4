#include "wizard/CHTRichEditCtrl.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QUrl>

namespace kelvane {

namespace {

// Link prefixes that open, in the order they are tried.
constexpr const char* kOpenablePrefixes[] = {"ed2k://", "http://", "https://", "ftp://", "www.", "ftp.", "mailto:"};

// What the view turns into a link: any scheme://..., www. and ftp. names and
// mail and file addresses (the last open nothing, but they look like links).
const QRegularExpression& LinkPattern() {
  static const QRegularExpression re(
      QStringLiteral(R"((?:\b[A-Za-z][A-Za-z0-9+.\-]*://|\bwww\.|\bftp\.|\bmailto:|\bfile:)[^\s<>"]+)"));
  return re;
}

}  // namespace

CHTRichEditCtrl::CHTRichEditCtrl(QWidget* parent) : QTextBrowser(parent) {
  setReadOnly(true);
  setOpenLinks(false);
  setOpenExternalLinks(false);
  setUndoRedoEnabled(false);
  setAcceptRichText(false);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::LinksAccessibleByMouse);
  defaultFormat_ = currentCharFormat();
  connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) { ActivateLink(url.toString()); });
}

void CHTRichEditCtrl::SetMaxLength(int characters) { maxLength_ = characters > 0 ? characters : 1; }

void CHTRichEditCtrl::SetDefaultFont(const QFont& font) {
  setFont(font);
  document()->setDefaultFont(font);
  defaultFormat_.setFont(font);
}

int CHTRichEditCtrl::TextLength() const {
  // characterCount counts the final paragraph separator too.
  return qMax(0, document()->characterCount() - 1);
}

void CHTRichEditCtrl::Clear() {
  clear();
  lastHadColour_ = false;
}

void CHTRichEditCtrl::TrimFor(int incoming) {
  if (TextLength() + incoming <= maxLength_) return;
  const bool visible = isVisible();
  if (visible) setUpdatesEnabled(false);
  QTextCursor cursor(document());
  while (TextLength() > 0 && TextLength() + incoming > maxLength_) {
    cursor.movePosition(QTextCursor::Start);
    if (document()->blockCount() > 1) {
      // Remove the whole first line with its line break.
      cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
    } else {
      cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    }
    cursor.removeSelectedText();
  }
  if (visible) setUpdatesEnabled(true);
}

void CHTRichEditCtrl::AppendText(const QString& text, int length, bool bold, QColor colour) {
  QString piece = (length < 0 || length >= text.size()) ? text : text.left(length);
  piece.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  piece.replace(QChar('\r'), QChar('\n'));
  if (piece.size() > maxLength_) piece = piece.right(maxLength_);

  QScrollBar* bar = verticalScrollBar();
  const bool atBottom = bar->value() >= bar->maximum();
  const int firstVisible = bar->value();

  TrimFor(piece.size());

  QTextCharFormat format = defaultFormat_;
  if (colour.isValid()) {
    format.setForeground(colour);
    lastHadColour_ = true;
  } else {
    lastHadColour_ = false;
  }
  // Not bold: the weight of the default font (a log drawn in a bold font stays bold).
  format.setFontWeight(bold ? QFont::Bold : defaultFormat_.font().weight());
  format.setAnchor(false);
  format.setAnchorHref(QString());

  QTextCursor cursor(document());
  cursor.movePosition(QTextCursor::End);
  // Text goes in as plain text; link-looking runs get a link format.
  int pos = 0;
  QRegularExpressionMatchIterator it = LinkPattern().globalMatch(piece);
  while (it.hasNext()) {
    const QRegularExpressionMatch m = it.next();
    if (m.capturedStart() > pos) cursor.insertText(piece.mid(pos, m.capturedStart() - pos), format);
    QTextCharFormat link = format;
    link.setAnchor(true);
    link.setAnchorHref(m.captured());
    link.setFontUnderline(true);
    if (!colour.isValid()) link.setForeground(palette().color(QPalette::Link));
    cursor.insertText(m.captured(), link);
    pos = m.capturedEnd();
  }
  if (pos < piece.size()) cursor.insertText(piece.mid(pos), format);

  if (autoScroll_ && atBottom) bar->setValue(bar->maximum());
  else bar->setValue(firstVisible);
}

bool CHTRichEditCtrl::IsOpenableLink(const QString& linkText) {
  for (const char* prefix : kOpenablePrefixes) {
    const QLatin1String p(prefix);
    if (linkText.left(p.size()).compare(p, Qt::CaseInsensitive) == 0) return true;
  }
  return false;
}

bool CHTRichEditCtrl::ActivateLink(const QString& linkText) {
  if (!IsOpenableLink(linkText)) return false;
  QString target = linkText;
  // Bare host names need a scheme before the desktop can open them.
  if (target.startsWith(QLatin1String("www."), Qt::CaseInsensitive)) target.prepend(QStringLiteral("http://"));
  else if (target.startsWith(QLatin1String("ftp."), Qt::CaseInsensitive)) target.prepend(QStringLiteral("ftp://"));
  QDesktopServices::openUrl(QUrl(target, QUrl::TolerantMode));
  return true;
}

void CHTRichEditCtrl::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::SelectAll)) {
    selectAll();
    return;
  }
  if (event->matches(QKeySequence::Copy)) {
    copy();
    return;
  }
  QTextBrowser::keyPressEvent(event);
}

}  // namespace kelvane

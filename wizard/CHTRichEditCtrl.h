// A read-only rich text view for growing message logs: appends coloured or
// bold lines, drops the oldest lines beyond its maximum length, keeps the view
// at the end, and opens web and mail links when clicked. Appended text is
// always plain text; addresses in it become links.
#pragma once

#include <QColor>
#include <QFont>
#include <QTextBrowser>
#include <QTextCharFormat>

namespace kelvane {

class CHTRichEditCtrl : public QTextBrowser {
  Q_OBJECT

 public:
  explicit CHTRichEditCtrl(QWidget* parent = nullptr);

  // Appends `text` (its first `length` characters; -1: all). Bold sets bold;
  // a valid colour sets that colour, an invalid one reuses the last format
  // that had no colour of its own.
  void AppendText(const QString& text, int length = -1, bool bold = false, QColor colour = QColor());
  // Maximum number of characters held; older whole lines are removed first.
  void SetMaxLength(int characters);
  int MaxLength() const { return maxLength_; }
  void SetAutoScroll(bool on) { autoScroll_ = on; }
  bool AutoScroll() const { return autoScroll_; }
  void SetDefaultFont(const QFont& font);
  // Characters held (line breaks count as one).
  int TextLength() const;
  void Clear();

  // The link-click rule: a link whose text starts with one of the accepted
  // prefixes is opened with the desktop's handler (QDesktopServices) and the
  // answer is true; any other link does nothing.
  static bool IsOpenableLink(const QString& linkText);
  bool ActivateLink(const QString& linkText);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void TrimFor(int incoming);

  int maxLength_ = 32 * 1024;
  bool autoScroll_ = true;
  bool lastHadColour_ = false;
  QTextCharFormat defaultFormat_;
};

}  // namespace kelvane

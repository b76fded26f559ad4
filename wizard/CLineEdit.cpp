#include "wizard/CLineEdit.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>

#include <memory>

namespace kelvane {

CLineEdit::CLineEdit(QWidget* parent) : QLineEdit(parent) {
  connect(this, &QLineEdit::textChanged, this, &CLineEdit::OnTextChanged);
}

QString CLineEdit::WithoutLineEnds(const QString& text) {
  QString out = text;
  out.remove(QLatin1Char('\r'));
  out.remove(QLatin1Char('\n'));
  return out;
}

void CLineEdit::InsertPasted(const QString& text) {
  if (isReadOnly()) return;
  const QString clean = WithoutLineEnds(text);
  const qsizetype needed = this->text().size() - selectedText().size() + clean.size();
  if (needed > maxLength()) {
    if (raisedFrom_ == 0) raisedFrom_ = maxLength();
    setMaxLength(static_cast<int>(needed));
  }
  insert(clean);
}

void CLineEdit::PasteFrom(QClipboard::Mode mode) {
  const QString text = QGuiApplication::clipboard()->text(mode);
  if (text.isEmpty() && !hasSelectedText()) return;
  InsertPasted(text);
}

void CLineEdit::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Paste) && !isReadOnly()) {
    PasteFrom(QClipboard::Clipboard);
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void CLineEdit::contextMenuEvent(QContextMenuEvent* event) {
  std::unique_ptr<QMenu> menu(createStandardContextMenu());
  for (QAction* action : menu->actions()) {
    if (action->objectName() != QLatin1String("edit-paste")) continue;
    disconnect(action, &QAction::triggered, this, &QLineEdit::paste);
    connect(action, &QAction::triggered, this, [this] { PasteFrom(QClipboard::Clipboard); });
  }
  menu->exec(event->globalPos());
}

void CLineEdit::mouseReleaseEvent(QMouseEvent* event) {
  // The middle button pastes the X selection.
  if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection() && !isReadOnly()) {
    PasteFrom(QClipboard::Selection);
    event->accept();
    return;
  }
  QLineEdit::mouseReleaseEvent(event);
}

void CLineEdit::dropEvent(QDropEvent* event) {
  // A move of this edit's own text needs the base (it removes the source).
  if (event->source() == this || isReadOnly() || !event->mimeData()->hasText()) {
    QLineEdit::dropEvent(event);
    return;
  }
  setCursorPosition(cursorPositionAt(event->position().toPoint()));
  event->acceptProposedAction();
  InsertPasted(event->mimeData()->text());
  setFocus(Qt::MouseFocusReason);
}

void CLineEdit::OnTextChanged(const QString& text) {
  // Whatever way a line end got in (an input method, a program's text), it goes.
  if (text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'))) {
    const int cursor = cursorPosition();
    const int before = static_cast<int>(text.left(cursor).count(QLatin1Char('\r')) + text.left(cursor).count(QLatin1Char('\n')));
    setText(WithoutLineEnds(text));  // comes back here without line ends
    setCursorPosition(cursor - before);
    return;
  }
  if (raisedFrom_ > 0 && text.size() <= raisedFrom_) {
    const int limit = raisedFrom_;
    raisedFrom_ = 0;
    setMaxLength(limit);
  }
}

}  // namespace kelvane

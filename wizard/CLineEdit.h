// The single-line edit of every dialog template (plain, password and number
// edits, the entry of an editable list). Text that comes in from outside —
// pasted by key or menu, the X selection, dropped — loses its line ends
// before anything else, so a value copied with its line end is the value
// and not an invisible fault that turns the label red. And such text is never
// cut by the edit's length limit: a cut value may still pass the page's check
// and reach the router as something the user never typed; whole, a text too
// long is refused by the check, with its label marked.
#pragma once

#include <QClipboard>
#include <QLineEdit>

namespace kelvane {

class CLineEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit CLineEdit(QWidget* parent = nullptr);

  // `text` without CR and LF.
  static QString WithoutLineEnds(const QString& text);

  // Inserts `text` as a paste does: line ends dropped, never cut by the
  // length limit. Does nothing on a read-only edit.
  void InsertPasted(const QString& text);

  // The limit the page set, when a pasted text made the edit raise it; 0
  // otherwise. The page's limit comes back once the text fits it again.
  int RaisedFromLimit() const { return raisedFrom_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void PasteFrom(QClipboard::Mode mode);
  void OnTextChanged(const QString& text);

  int raisedFrom_ = 0;
};

}  // namespace kelvane

// The help window (dialog 4022): modeless, resizable, one per sheet, created on
// the first Help request and hidden between uses. Its body is a rich text view
// (control 10000) that fills the window.
#pragma once

#include <QDialog>
#include <QString>

namespace kelvane {

class CHTRichEditCtrl;

class CDlgHelp : public QDialog {
  Q_OBJECT

 public:
  // `parent` is the sheet: the help window is a window of its own beside it
  // (not modal), and the sheet's modality does not block it. The owner (the
  // sheet's holder) deletes it.
  explicit CDlgHelp(QWidget* parent = nullptr);
  ~CDlgHelp() override;

  void SetTitle(const QString& title);
  // Replaces the body with `text`, shown as plain text.
  void SetBody(const QString& text);
  // Text of the OK button 6063 at the window's bottom right.
  void SetButtonText(const QString& text);
  // Shows the window and brings it to the foreground.
  void ShowHelp();
  void HideHelp();

  CHTRichEditCtrl* Body() const { return body_; }
  QWidget* Control(int id) const;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  int OkBandHeight() const;

  CHTRichEditCtrl* body_ = nullptr;
};

}  // namespace kelvane

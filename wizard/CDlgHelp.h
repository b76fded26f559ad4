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
  // No parent: the window stands beside the sheet. The owner (the sheet's
  // holder) deletes it.
  explicit CDlgHelp(QWidget* parent = nullptr);
  ~CDlgHelp() override;

  void SetTitle(const QString& title);
  // Replaces the body with `text`, shown as plain text.
  void SetBody(const QString& text);
  // Text of the (hidden) OK button 6063.
  void SetButtonText(const QString& text);
  // Shows the window and brings it to the foreground.
  void ShowHelp();
  void HideHelp();

  CHTRichEditCtrl* Body() const { return body_; }
  QWidget* Control(int id) const;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  CHTRichEditCtrl* body_ = nullptr;
};

}  // namespace kelvane

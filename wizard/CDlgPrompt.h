// A message box with one text entry (dialog 910): asks for the router's login
// word. The typed text goes to promptResult (MessageBox.h) only when the box
// closes with its first button or with Enter.
#pragma once

#include <QColor>

#include "wizard/CDlgMessage.h"

#include <array>

class QLineEdit;

namespace kelvane {

class CDlgPrompt : public CDlgMessage {
  Q_OBJECT

 public:
  CDlgPrompt(const QString& caption, const QString& message, unsigned style, const QString& text1,
             const QString& text2, const QString& text3, QWidget* parent = nullptr);

  // The entry shows "*" for every character.
  void SetMasked(bool masked);
  bool IsMasked() const { return masked_; }
  // Adds `shift` to the first button's left and right edges and `extraWidth`
  // to its right edge.
  void AdjustFirstButton(int shift, int extraWidth);
  QLineEdit* Entry() const;
  // The entry's text colour as designed; drawn in a shade that reads on the theme.
  static QColor PromptEntryColour() { return QColor(0, 10, 255); }

 protected:
  void InitDialog() override;
  int ButtonShift(int index) const override { return shifts_[index]; }
  int ButtonExtraWidth(int index) const override { return extraWidths_[index]; }
  void OnButton(int index) override;
  QWidget* InitialFocus() const override;
  void ScheduleTestHook() override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void TakeEntry();

  bool masked_ = false;
  std::array<int, 3> shifts_{0, 0, 0};
  std::array<int, 3> extraWidths_{0, 0, 0};
};

}  // namespace kelvane

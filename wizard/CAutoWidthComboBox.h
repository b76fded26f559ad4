// A drop-down list whose opened list is as wide as its longest entry.
#pragma once

#include <QComboBox>

namespace kelvane {

class CAutoWidthComboBox : public QComboBox {
  Q_OBJECT

 public:
  explicit CAutoWidthComboBox(QWidget* parent = nullptr);

  // Widest item text plus the scroll-bar width, plus the width of "0".
  int ComputeDroppedWidth() const;
  // The width the list got at its last opening (0 before).
  int DroppedWidth() const { return droppedWidth_; }

  void showPopup() override;

 protected:
  // Alt, Ctrl or Meta with a letter is a command (a button's access key), not
  // a search for an entry that starts with the letter.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  int droppedWidth_ = 0;
};

}  // namespace kelvane

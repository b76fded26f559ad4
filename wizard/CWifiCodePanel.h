// The wireless network as a beginner shares it: name, security mode, the key
// behind a "Show" box, and the QR code that phones scan to join, with
// "Save…" for a one-page card (PNG or PDF) to put on the fridge door. Used by
// the finish page and by the router sheet's code dialog.
#pragma once

#include <QString>
#include <QWidget>

#include <cstdint>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kelvane {

class CQrCodeView;

class CWifiCodePanel : public QWidget {
  Q_OBJECT

 public:
  explicit CWifiCodePanel(QWidget* parent = nullptr);

  // Bytes as the router holds them (UTF-8).
  void SetNetwork(const std::string& ssid, std::int32_t securityMode, const std::string& key, bool hidden = false);
  const std::string& JoinText() const { return joinText_; }
  CQrCodeView* Code() const { return code_; }
  QCheckBox* ShowBox() const { return show_; }
  QLineEdit* KeyField() const { return key_; }
  QPushButton* SaveButton() const { return save_; }
  // The scan hint under the key; where room is short it moves to the code's tooltip.
  void SetHintShown(bool shown);
  // Takes the code out of the panel's layout onto `owner`, which places it.
  void DetachCode(QWidget* owner);

  // The card as a picture, and written to `path` (".pdf": a PDF page, else PNG).
  QImage RenderCard() const;
  bool SaveCard(const QString& path) const;

 private:
  void OnSave();
  void PaintCard(class QPainter& painter, const QRectF& page) const;

  CQrCodeView* code_ = nullptr;
  QLabel* name_ = nullptr;
  QLabel* mode_ = nullptr;
  QLineEdit* key_ = nullptr;
  QCheckBox* show_ = nullptr;
  QLabel* keyLabel_ = nullptr;
  QLabel* hint_ = nullptr;
  QPushButton* save_ = nullptr;
  std::string joinText_;
  std::string ssid_;
  std::string key8_;
  std::int32_t mode8_ = 0;
};

// The security mode's name as the wireless pages show it.
QString SecurityModeName(std::int32_t securityMode);

}  // namespace kelvane

// The wireless network as a beginner shares it: name, security mode, the key
// behind a "Show" box, and the QR code that phones scan to join, with
// "Save…" for a one-page card (PNG or PDF) to put on the fridge door. Used by
// the finish page and by the router sheet's code dialog.
#pragma once

#include <QRectF>
#include <QString>
#include <QTextLayout>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPdfWriter;
class QPushButton;

namespace kelvane {

class CQrCodeView;

// The card as laid out on one page: each text measured and wrapped to its
// whole length (the key in a monospace font, so 0 and O, l and 1 differ), and
// the code's square below them.
struct WifiCardLayout {
  struct Block {
    std::unique_ptr<QTextLayout> text;  // lines relative to `rect`'s top left corner
    QRectF rect;                        // the lines' bounds on the page
  };
  enum Part { kTitle, kNameLabel, kName, kModeLabel, kMode, kKeyLabel, kKey, kHint, kParts };
  Block blocks[kParts];  // a card without a key has no key blocks (null `text`)
  QRectF code;
  double fontScale = 1.0;  // below 1 where the texts had to shrink to leave the code room
};

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
  // The card laid out for `device` (the whole device is the page).
  WifiCardLayout LayOutCard(QPaintDevice* device) const;
  // The PDF page the card is written on.
  static std::unique_ptr<QPdfWriter> CardPdf(const QString& path);

 private:
  void OnSave();
  void PaintCard(class QPainter& painter) const;

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

#include "wizard/CWifiCodePanel.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>

#include <algorithm>

#include "language/StringIds.h"
#include "state/WizardState.h"
#include "steps/kit/WifiJoinText.h"
#include "wizard/CQrCodeView.h"
#include "wizard/MessageBox.h"
#include "wizard/SaveFileName.h"
#include "wizard/UiText.h"

namespace kelvane {

QString SecurityModeName(std::int32_t securityMode) {
  switch (securityMode) {
    case kSecurityWep: return UiText(kIdWirelessSecurityWep);
    case kSecurityWpaPsk: return UiText(kIdWirelessWpaPsk);
    case kSecurityWpa2Psk: return UiText(kIdAdvWirelessWpa2Psk);
    case kSecurityWpaMixed:
    case kSecurityWpaMixedAlt: return UiText(kIdAdvWirelessWpaWpa2Psk);
    default: return UiText(kIdWirelessSecurityNone);
  }
}

CWifiCodePanel::CWifiCodePanel(QWidget* parent) : QWidget(parent) {
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  auto* nameLabel = new QLabel(UiText(kIdWirelessSsidLabel) + QStringLiteral(":"), this);
  name_ = new QLabel(this);
  name_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* modeLabel = new QLabel(UiText(kIdWirelessSecurityLabel) + QStringLiteral(":"), this);
  mode_ = new QLabel(this);
  keyLabel_ = new QLabel(UiText(kIdWirelessKeyLabel) + QStringLiteral(":"), this);
  key_ = new QLineEdit(this);
  key_->setReadOnly(true);
  key_->setEchoMode(QLineEdit::Password);
  key_->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));  // "*", as the pages' fields
  keyLabel_->setBuddy(key_);
  show_ = new QCheckBox(UiText(kIdShowKey), this);
  connect(show_, &QCheckBox::toggled, this,
          [this](bool on) { key_->setEchoMode(on ? QLineEdit::Normal : QLineEdit::Password); });
  hint_ = new QLabel(UiText(kIdWifiCodeHint), this);
  hint_->setWordWrap(true);
  save_ = new QPushButton(UiText(kIdSaveCard), this);
  connect(save_, &QPushButton::clicked, this, &CWifiCodePanel::OnSave);
  code_ = new CQrCodeView(this);
  code_->setAccessibleName(UiText(kIdWifiCodeHint));

  grid->addWidget(nameLabel, 0, 0);
  grid->addWidget(name_, 0, 1, 1, 2);
  grid->addWidget(modeLabel, 1, 0);
  grid->addWidget(mode_, 1, 1, 1, 2);
  grid->addWidget(keyLabel_, 2, 0);
  grid->addWidget(key_, 2, 1);
  grid->addWidget(show_, 2, 2);
  grid->addWidget(hint_, 3, 0, 1, 3);
  grid->addWidget(save_, 4, 0, 1, 1, Qt::AlignLeft);
  grid->setRowStretch(5, 1);
  grid->setColumnStretch(1, 1);
  grid->addWidget(code_, 0, 3, 6, 1, Qt::AlignRight | Qt::AlignTop);
}

void CWifiCodePanel::SetHintShown(bool shown) {
  hint_->setVisible(shown);
  code_->setToolTip(shown ? QString() : hint_->text());
}

void CWifiCodePanel::DetachCode(QWidget* owner) {
  layout()->removeWidget(code_);
  code_->setParent(owner);
  code_->show();
}

void CWifiCodePanel::SetNetwork(const std::string& ssid, std::int32_t securityMode, const std::string& key,
                                bool hidden) {
  ssid_ = ssid;
  key8_ = securityMode == kSecurityNone ? std::string() : key;
  mode8_ = securityMode;
  joinText_ = WifiJoinText(ssid, securityMode, key8_, hidden);
  name_->setText(QString::fromUtf8(ssid.data(), static_cast<qsizetype>(ssid.size())));
  mode_->setText(SecurityModeName(securityMode));
  key_->setText(QString::fromUtf8(key8_.data(), static_cast<qsizetype>(key8_.size())));
  // The field is as wide as the key, masked or shown, within reason (the
  // longest keys scroll).
  const QFontMetrics metrics(key_->font());
  const int keyWidth = std::max(metrics.horizontalAdvance(key_->text()),
                                metrics.horizontalAdvance(QString(key_->text().size(), QLatin1Char('*'))));
  key_->setMinimumWidth(std::min(keyWidth + 12, 28 * metrics.averageCharWidth()));
  const bool keyed = securityMode != kSecurityNone;
  keyLabel_->setVisible(keyed);
  key_->setVisible(keyed);
  show_->setVisible(keyed);
  show_->setChecked(false);
  code_->SetData(QByteArray::fromStdString(joinText_));
}

namespace {

// `text` in lines of at most `width`, one under the other from 0. With
// `spacesInside`, no line starts or ends with a space (a space there would be
// invisible, and a reader copying a key takes a line break for no space): a
// line that would is broken a little earlier, between two other characters.
std::unique_ptr<QTextLayout> LayOutLines(const QString& text, const QFont& font, QPaintDevice* device,
                                         double width, QTextOption::WrapMode wrap, Qt::Alignment align,
                                         bool spacesInside = false) {
  auto layout = std::make_unique<QTextLayout>(text, font, device);
  QTextOption option(align);
  option.setWrapMode(wrap);
  layout->setTextOption(option);
  layout->setCacheEnabled(true);
  layout->beginLayout();
  double height = 0;
  const auto spaceAt = [&text](qsizetype i) { return text.at(i).isSpace(); };
  for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
    line.setLineWidth(width);
    const int start = line.textStart();
    const int end = start + line.textLength();
    if (spacesInside && end < text.size() && (spaceAt(end - 1) || spaceAt(end))) {
      for (int n = line.textLength() - 1; n > 0; --n) {
        const int at = start + n;
        if (layout->isValidCursorPosition(at) && !spaceAt(at - 1) && !spaceAt(at)) {
          line.setNumColumns(n, width);
          break;
        }
      }
    }
    line.setPosition(QPointF(0, height));
    height += line.height();
  }
  layout->endLayout();
  return layout;
}

// The bounds of the lines as drawn (alignment included), relative to the layout.
QRectF LinesBounds(const QTextLayout& layout) {
  QRectF bounds;
  for (int i = 0; i < layout.lineCount(); ++i) bounds |= layout.lineAt(i).naturalTextRect();
  return bounds;
}

// A font whose characters all have one width, bold where the card's font is.
// (A font's fixed-pitch flag is no guide: a monospace font with a few wide
// glyphs for other scripts is listed as proportional.)
bool OneWidth(const QFont& font) {
  const QFontMetricsF metrics(font);
  return metrics.horizontalAdvance(QLatin1Char('i')) == metrics.horizontalAdvance(QLatin1Char('W'));
}

QFont KeyFont(const QFont& value) {
  QFont key = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  if (!OneWidth(key)) {
    key = QFont(QStringLiteral("monospace"));
    key.setStyleHint(QFont::TypeWriter);
  }
  key.setPixelSize(value.pixelSize());
  key.setBold(value.bold());
  return key;
}

}  // namespace

// From the top: the title, a label and a value for the name, the mode and the
// key, the code as large as the rest leaves room for (up to 70% of the width),
// and the scan hint. Every text is measured and takes the lines it needs. When
// the code would come out under 45% of the width, the fonts shrink a step at a
// time, and only at half size does the code get less.
WifiCardLayout CWifiCodePanel::LayOutCard(QPaintDevice* device) const {
  const QRectF page(0, 0, device->width(), device->height());
  const double unit = page.width() / 100.0;
  const double left = page.left() + unit * 8;
  const double width = unit * 84;
  const double largestSide = page.width() * 0.7;
  const double smallestSide = page.width() * 0.45;
  const bool keyed = mode8_ != kSecurityNone;
  const QString texts[WifiCardLayout::kParts] = {
      UiText(kIdWifiCardTitle),
      UiText(kIdWirelessSsidLabel),
      QString::fromUtf8(ssid_.data(), static_cast<qsizetype>(ssid_.size())),
      UiText(kIdWirelessSecurityLabel),
      SecurityModeName(mode8_),
      keyed ? UiText(kIdWirelessKeyLabel) : QString(),
      keyed ? QString::fromUtf8(key8_.data(), static_cast<qsizetype>(key8_.size())) : QString(),
      UiText(kIdWifiCodeHint),
  };
  for (double scale = 1.0;; scale *= 0.9) {
    const bool smallest = scale < 0.5;
    QFont title;
    title.setPixelSize(std::max(1, static_cast<int>(unit * 6 * scale)));
    title.setBold(true);
    QFont label = title;
    label.setPixelSize(std::max(1, static_cast<int>(unit * 4 * scale)));
    label.setBold(false);
    QFont value = label;
    value.setBold(true);
    const QFont key = KeyFont(value);

    WifiCardLayout card;
    card.fontScale = scale;
    double y = page.top() + unit * 8 * scale;
    const auto place = [&](int part, const QFont& font, QTextOption::WrapMode wrap, Qt::Alignment align,
                           bool spacesInside = false) {
      WifiCardLayout::Block& block = card.blocks[part];
      block.text = LayOutLines(texts[part], font, device, width, wrap, align, spacesInside);
      const QRectF lines = LinesBounds(*block.text);
      block.rect = QRectF(left + lines.left(), y + lines.top(), lines.width(), lines.height());
      block.text->setPosition(QPointF(left, y));
      y += lines.height();
    };
    const auto words = QTextOption::WrapAtWordBoundaryOrAnywhere;
    place(WifiCardLayout::kTitle, title, words, Qt::AlignHCenter);
    y += unit * 5 * scale;
    for (int part : {WifiCardLayout::kNameLabel, WifiCardLayout::kModeLabel, WifiCardLayout::kKeyLabel}) {
      if (part == WifiCardLayout::kKeyLabel && !keyed) continue;
      place(part, label, words, Qt::AlignLeft);
      y += unit * 0.5 * scale;
      // A name without spaces breaks anywhere; a key always does, so its
      // lines run to the full width, but never at a space.
      if (part == WifiCardLayout::kKeyLabel) {
        place(part + 1, key, QTextOption::WrapAnywhere, Qt::AlignLeft, true);
      } else {
        place(part + 1, value, words, Qt::AlignLeft);
      }
      y += unit * 4 * scale;
    }
    const double codeTop = y;
    const double gap = unit * 2 * scale;
    // The hint's height, measured where it will go (moved below the code afterwards).
    place(WifiCardLayout::kHint, label, QTextOption::WrapAtWordBoundaryOrAnywhere, Qt::AlignHCenter);
    const double hintHeight = y - codeTop;
    const double room = page.bottom() - unit * 5 * scale - hintHeight - gap - codeTop;
    if (room < smallestSide && !smallest) continue;
    const double side = std::max(0.0, std::min(largestSide, room));
    card.code = QRectF(page.center().x() - side / 2, codeTop, side, side);
    WifiCardLayout::Block& hint = card.blocks[WifiCardLayout::kHint];
    hint.rect.translate(0, side + gap);
    hint.text->setPosition(hint.text->position() + QPointF(0, side + gap));
    return card;
  }
}

void CWifiCodePanel::PaintCard(QPainter& painter) const {
  const WifiCardLayout card = LayOutCard(painter.device());
  painter.fillRect(QRectF(0, 0, painter.device()->width(), painter.device()->height()), Qt::white);
  painter.setPen(Qt::black);
  for (const WifiCardLayout::Block& block : card.blocks) {
    if (block.text != nullptr) block.text->draw(&painter, QPointF());
  }
  code_->Paint(painter, card.code);
}

QImage CWifiCodePanel::RenderCard() const {
  QImage image(1240, 1754, QImage::Format_RGB32);  // A5 at 212 dpi
  QPainter painter(&image);
  PaintCard(painter);
  return image;
}

std::unique_ptr<QPdfWriter> CWifiCodePanel::CardPdf(const QString& path) {
  auto pdf = std::make_unique<QPdfWriter>(path);
  pdf->setPageSize(QPageSize(QPageSize::A5));
  pdf->setResolution(150);
  pdf->setTitle(UiText(kIdWifiCardTitle));
  return pdf;
}

bool CWifiCodePanel::SaveCard(const QString& path) const {
  if (path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
    const std::unique_ptr<QPdfWriter> pdf = CardPdf(path);
    QPainter painter;
    if (!painter.begin(pdf.get())) return false;
    PaintCard(painter);
    return painter.end();
  }
  return RenderCard().save(path, "PNG");
}

void CWifiCodePanel::OnSave() {
  const QString filters = UiText(kIdPngImage) + QStringLiteral(" (*.png);;") + UiText(kIdPdfDocument) +
                          QStringLiteral(" (*.pdf)");
  QString path = AskSaveFileName(this, QStringLiteral("wifi.png"), filters);
  if (path.isEmpty()) return;
  if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".png");
  if (!SaveCard(path)) ShowMessage(UiText(kIdProductTitle), UiText(kIdFileNotSaved), kMbIconExclamation, this);
}

}  // namespace kelvane

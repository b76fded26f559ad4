// The wireless network's QR code: what a phone-style decoder (zbar) reads
// from the code as drawn, over names and keys with every escaped character,
// UTF-8 and the 32-byte and 63-character limits; its size on screen; the
// finish page showing it at once with the key behind "Show"; the card.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFontMetricsF>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPdfWriter>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>

#include <string>

#include <zbar.h>

#include "GuiTestSupport.h"
#include "app/CPshMain.h"
#include "language/LanguageTable.h"
#include "language/StringIds.h"
#include "pages/CPspFinish.h"
#include "state/SessionRecord.h"
#include "state/WizardState.h"
#include "steps/kit/WifiJoinText.h"
#include "wizard/CQrCodeView.h"
#include "wizard/CWifiCodePanel.h"
#include "wizard/SaveFileName.h"
#include "wizard/UiText.h"

namespace kelvane {
namespace {

using namespace zbar;

// Every code zbar finds in `image`, as text in UTF-8: read the way a phone's
// reader reads it, through the character set the code names (or a guess).
std::vector<std::string> Decode(const QImage& image) {
  const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
  std::vector<unsigned char> bytes(static_cast<std::size_t>(gray.width() * gray.height()));
  for (int y = 0; y < gray.height(); ++y) {
    std::copy_n(gray.constScanLine(y), gray.width(), bytes.begin() + static_cast<std::ptrdiff_t>(y) * gray.width());
  }
  zbar_image_scanner_t* scanner = zbar_image_scanner_create();
  zbar_image_scanner_set_config(scanner, ZBAR_NONE, ZBAR_CFG_ENABLE, 0);
  zbar_image_scanner_set_config(scanner, ZBAR_QRCODE, ZBAR_CFG_ENABLE, 1);
  zbar_image_t* zimage = zbar_image_create();
  zbar_image_set_format(zimage, zbar_fourcc('Y', '8', '0', '0'));
  zbar_image_set_size(zimage, static_cast<unsigned>(gray.width()), static_cast<unsigned>(gray.height()));
  zbar_image_set_data(zimage, bytes.data(), bytes.size(), nullptr);
  zbar_scan_image(scanner, zimage);
  std::vector<std::string> found;
  for (const zbar_symbol_t* s = zbar_image_first_symbol(zimage); s != nullptr; s = zbar_symbol_next(s)) {
    found.emplace_back(zbar_symbol_get_data(s), zbar_symbol_get_data_length(s));
  }
  zbar_image_destroy(zimage);
  zbar_image_scanner_destroy(scanner);
  return found;
}

struct CodeCase {
  const char* what;
  std::string ssid;
  std::int32_t mode;
  std::string key;
  bool hidden;
  std::string expected;  // written out by hand, not by the code under test
};

const std::string k32Bytes = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";
const std::string k63 = "abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ!";
const std::string k32Escaped = ";;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;";   // 32 bytes, each escaped
const std::string k32EscapedJoin = [] {
  std::string s;
  for (int i = 0; i < 32; ++i) s += "\\;";
  return s;
}();
const std::string kUtf8 = "Caf\xC3\xA9 \xE5\xAE\xB6 \xD0\x94\xD0\xBE\xD0\xBC";

const CodeCase kCodeCases[] = {
    {"plain WPA2", "HomeNet", kSecurityWpa2Psk, "open sesame 42", false, "WIFI:T:WPA;S:HomeNet;P:open sesame 42;;"},
    {"every escaped character", "a\\b;c,d:e\"f", kSecurityWpaPsk, "k\\;,:\"ey!", false,
     "WIFI:T:WPA;S:a\\\\b\\;c\\,d\\:e\\\"f;P:k\\\\\\;\\,\\:\\\"ey!;;"},
    {"mixed WPA, hidden", "Attic", kSecurityWpaMixedAlt, "12345678", true, "WIFI:T:WPA;S:Attic;P:12345678;H:true;;"},
    {"WEP hex", "Old", kSecurityWep, "0123456789", false, "WIFI:T:WEP;S:Old;P:0123456789;;"},
    {"no security: no key", "Cafe", kSecurityNone, "ignored", false, "WIFI:T:nopass;S:Cafe;;"},
    {"UTF-8 name", kUtf8, kSecurityWpa2Psk, "p\xC3\xA4ssw\xC3\xB6rd!", false,
     "WIFI:T:WPA;S:" + kUtf8 + ";P:p\xC3\xA4ssw\xC3\xB6rd!;;"},
    {"32-byte name, 63-character key", k32Bytes, kSecurityWpa2Psk, k63, false,
     "WIFI:T:WPA;S:" + k32Bytes + ";P:" + k63 + ";;"},
    {"32 escaped bytes, 64 hex digits, hidden", k32Escaped, kSecurityWpa2Psk, std::string(64, 'f'), true,
     "WIFI:T:WPA;S:" + k32EscapedJoin + ";P:" + std::string(64, 'f') + ";H:true;;"},
};

TEST(WifiCode, APhoneDecoderReadsTheJoinTextFromTheCodeAsDrawn) {
  for (const CodeCase& c : kCodeCases) {
    SCOPED_TRACE(c.what);
    const std::string text = WifiJoinText(c.ssid, c.mode, c.key, c.hidden);
    EXPECT_EQ(text, c.expected);
    CQrCodeView view;
    ASSERT_TRUE(view.SetData(QByteArray::fromStdString(text)));
    // At scale 1: at least 4 pixels per module, with a white quiet zone of 4 modules.
    const QImage shown = view.grab().toImage();
    const int modules = view.Modules() + 2 * CQrCodeView::kQuietModules;
    EXPECT_GE(shown.width() / modules, 4);
    EXPECT_EQ(shown.width(), shown.height());
    for (int i = 0; i < CQrCodeView::kQuietModules * 4; ++i) {
      EXPECT_EQ(shown.pixelColor(i, shown.height() / 2), QColor(Qt::white)) << i;
      EXPECT_EQ(shown.pixelColor(shown.width() / 2, shown.height() - 1 - i), QColor(Qt::white)) << i;
    }
    const std::vector<std::string> decoded = Decode(shown);
    ASSERT_EQ(decoded.size(), 1u);
    EXPECT_EQ(decoded[0], c.expected);
  }
}

QString AnswerPath(const QString&) { return qEnvironmentVariable("KELVANE_TEST_SAVE_PATH"); }

class FinishCode : public ::testing::Test {
 protected:
  void SetUp() override {
    WizardState& state = WizardState::Instance();
    ResetRouterDefaults(state);
    state.wirelessPresent = true;
    state.configureWireless = 1;
    state.wanTestSkipped = false;
    state.WirelessSettings.ssid = "Home;Net";
    state.WirelessSettings.securityMode = kSecurityWpa2Psk;
    state.WirelessSettings.key = "open:sesame 42";
    SessionRecord::Instance().wanAddress = "100.72.1.9";  // the provider's shared space
    // The longest verdict: the WAN test passed past a gateway and a DNS
    // server that both ignore echo.
    SessionRecord::Instance().wanTestNotes = {31012};
    SetSaveFileNameHook(&AnswerPath);
  }
  void TearDown() override {
    sheet_.reset();
    SetSaveFileNameHook(nullptr);
    QApplication::setPalette(QApplication::style()->standardPalette());
    SessionRecord::Instance().wanAddress.clear();
    SessionRecord::Instance().wanTestNotes.clear();
  }
  CPspFinish* ShowFinish(std::uint32_t language) {
    sheet_.reset();
    QString why;
    sheet_ = test::ShowSheet(language, &why);
    EXPECT_NE(sheet_, nullptr) << why.toStdString();
    if (sheet_ == nullptr) return nullptr;
    auto* page = static_cast<CPspFinish*>(sheet_->FindPageByTemplate(CPspFinish::kTemplateId));
    sheet_->SetActivePage(page);
    test::Spin(10);
    return page;
  }
  std::unique_ptr<CPshMain> sheet_;
};

QPalette DarkPalette() {
  QPalette p;
  p.setColor(QPalette::Window, QColor(45, 45, 48));
  p.setColor(QPalette::WindowText, QColor(230, 230, 230));
  p.setColor(QPalette::Base, QColor(30, 30, 30));
  p.setColor(QPalette::Text, QColor(230, 230, 230));
  p.setColor(QPalette::Button, QColor(60, 60, 64));
  p.setColor(QPalette::ButtonText, QColor(230, 230, 230));
  return p;
}

TEST_F(FinishCode, TheFinishPageShowsTheCodeAtOnceWithTheKeyBehindShow) {
  for (bool dark : {false, true}) {
    QApplication::setPalette(dark ? DarkPalette() : QApplication::style()->standardPalette());
    for (std::uint32_t language : test::kScreenshotLanguages) {
      SCOPED_TRACE(test::LanguageName(language).toStdString());
      CPspFinish* finish = ShowFinish(language);
      ASSERT_NE(finish, nullptr);
      CWifiCodePanel* panel = finish->WifiPanel();
      ASSERT_NE(panel, nullptr);
      ASSERT_TRUE(panel->isVisible());
      ASSERT_TRUE(panel->Code()->isVisible());
      EXPECT_FALSE(finish->Control(CPspFinish::kPictureButtonId)->isVisible());
      // Read from the page as the user sees it, without any click.
      const QImage page = finish->grab().toImage();
      const std::vector<std::string> decoded = Decode(page);
      ASSERT_EQ(decoded.size(), 1u);
      EXPECT_EQ(decoded[0], "WIFI:T:WPA;S:Home\\;Net;P:open\\:sesame 42;;");
      // The code lies inside the page and clear of every other control.
      const QRect code = panel->Code()->geometry();
      EXPECT_TRUE(finish->rect().contains(code));
      for (int id : {CPspFinish::kMessageId, CPspFinish::kOpenRouterBoxId}) {
        EXPECT_FALSE(finish->Control(id)->geometry().intersects(code)) << id;
      }
      EXPECT_FALSE(panel->geometry().intersects(code));
      // Text and code keep the pages' usual top margin below the header line.
      EXPECT_GE(finish->Control(CPspFinish::kMessageId)->y(), 6);
      EXPECT_GE(code.top(), finish->Control(CPspFinish::kMessageId)->y());
      // Nothing is cut: the texts get the height they need.
      EXPECT_GE(panel->height(), panel->sizeHint().height());
      auto* text = qobject_cast<QLabel*>(finish->Control(CPspFinish::kMessageId));
      EXPECT_GE(text->height(), text->heightForWidth(text->width()));
      // The provider's translation gets its sentence after the verdict, then
      // the hosts that ignore echo theirs.
      auto* message = qobject_cast<QLabel*>(finish->Control(CPspFinish::kMessageId));
      EXPECT_EQ(message->text(),
                UiText(30262) + QStringLiteral("\n") + UiText(30819) + QStringLiteral("\n") + UiText(31012));
      EXPECT_EQ(panel->KeyField()->echoMode(), QLineEdit::Password);
      const QString theme = dark ? QStringLiteral("dark") : QStringLiteral("light");
      test::SaveScreenshot(sheet_.get(), QStringLiteral("finish-code-%1-%2").arg(test::LanguageName(language), theme));
      panel->ShowBox()->setChecked(true);
      EXPECT_EQ(panel->KeyField()->echoMode(), QLineEdit::Normal);
      EXPECT_EQ(panel->KeyField()->text(), QStringLiteral("open:sesame 42"));
      test::SaveScreenshot(sheet_.get(),
                           QStringLiteral("finish-code-shown-%1-%2").arg(test::LanguageName(language), theme));
    }
  }
}

struct CardCase {
  const char* what;
  std::string ssid;
  std::int32_t mode;
  std::string key;
};

std::string Repeat(const char* utf8, std::size_t bytes) {
  std::string s;
  while (s.size() < bytes) s += utf8;
  return s;
}

// The widest Latin letters at the limits, hex digits, and names and keys in
// scripts beyond Latin-1, each at its limit in bytes.
const CardCase kCardCases[] = {
    {"32 W, 63 M", std::string(32, 'W'), kSecurityWpa2Psk, std::string(63, 'M')},
    {"64 hex digits", "Home;Net", kSecurityWpa2Psk,
     "0123456789abcdefABCDEF0123456789abcdef0123456789ABCDEF0123456789"},
    {"CJK name", "\xE7\x84\xA1\xE7\xB7\x9A\xE7\xB6\xB2\xE8\xB7\xAF\xE7\x84\xA1\xE7\xB7\x9A\xE7\xB6\xB2"
                 "\xE8\xB7\xAF\xE7\x84\xA1\xE7\xB7\x9A" "12",
     kSecurityWpaMixed, std::string(63, '0')},
    {"Greek name and key", Repeat("\xCE\xA9", 32), kSecurityWpaPsk, Repeat("\xCF\x89", 62)},
    {"a phrase", "Home Net", kSecurityWpa2Psk, Repeat("ab ", 60) + "abc"},
    {"no key", k32Bytes, kSecurityNone, ""},
};

// What is wrong with the card's layout on a page `page`: a text out of the
// page, over the code or over another text, or not laid out whole.
std::string CardFaults(const WifiCardLayout& card, const QRectF& page, const QString (&texts)[WifiCardLayout::kParts]) {
  std::string faults;
  if (!page.contains(card.code)) faults += "code out of the page; ";
  if (card.code.width() < page.width() * 0.45) faults += "code under 45% of the width; ";
  for (int i = 0; i < WifiCardLayout::kParts; ++i) {
    const WifiCardLayout::Block& block = card.blocks[i];
    const std::string part = std::to_string(i) + " ";
    if (block.text == nullptr) {
      if (!texts[i].isEmpty()) faults += part + "missing; ";
      continue;
    }
    if (block.text->text() != texts[i]) faults += part + "holds another text; ";
    qsizetype laidOut = 0;
    for (int l = 0; l < block.text->lineCount(); ++l) laidOut += block.text->lineAt(l).textLength();
    if (laidOut != texts[i].size()) faults += part + "not laid out whole; ";
    if (!page.contains(block.rect)) faults += part + "out of the page; ";
    if (block.rect.intersects(card.code)) faults += part + "over the code; ";
    for (int j = 0; j < i; ++j) {
      if (card.blocks[j].text != nullptr && block.rect.intersects(card.blocks[j].rect)) {
        faults += part + "over " + std::to_string(j) + "; ";
      }
    }
  }
  return faults;
}

TEST_F(FinishCode, SaveWritesACardThatHoldsTheCodeAsPngOrPdf) {
  QTemporaryDir dir;
  CPspFinish* finish = ShowFinish(test::kEnglish);
  ASSERT_NE(finish, nullptr);
  for (const char* name : {"card.png", "card.pdf"}) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    qputenv("KELVANE_TEST_SAVE_PATH", path.toUtf8());
    finish->WifiPanel()->SaveButton()->click();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    const QByteArray head = file.read(8);
    if (path.endsWith(QStringLiteral(".pdf"))) {
      EXPECT_TRUE(head.startsWith("%PDF-"));
    } else {
      const QImage card(path);
      ASSERT_FALSE(card.isNull());
      const std::vector<std::string> decoded = Decode(card);
      ASSERT_EQ(decoded.size(), 1u);
      EXPECT_EQ(decoded[0], "WIFI:T:WPA;S:Home\\;Net;P:open\\:sesame 42;;");
      if (!test::ScreenshotDir().isEmpty()) card.save(QDir(test::ScreenshotDir()).filePath(QStringLiteral("wifi-card.png")));
    }
  }
  qunsetenv("KELVANE_TEST_SAVE_PATH");
  sheet_.reset();

  // The whole name, key and hint on the card, clear of the code, in every
  // language, on the picture and on the PDF page; the picture's code reads.
  for (const CardCase& c : kCardCases) {
    SCOPED_TRACE(c.what);
    for (std::uint32_t language : LanguageTable()) {
      if (language == 0) continue;
      SCOPED_TRACE(test::LanguageName(language).toStdString());
      ASSERT_TRUE(test::LoadLanguage(language));
      CWifiCodePanel panel;
      panel.SetNetwork(c.ssid, c.mode, c.key);
      const bool keyed = c.mode != kSecurityNone;
      const QString texts[WifiCardLayout::kParts] = {
          UiText(kIdWifiCardTitle),
          UiText(kIdWirelessSsidLabel),
          QString::fromStdString(c.ssid),
          UiText(kIdWirelessSecurityLabel),
          SecurityModeName(c.mode),
          keyed ? UiText(kIdWirelessKeyLabel) : QString(),
          keyed ? QString::fromStdString(c.key) : QString(),
          UiText(kIdWifiCodeHint),
      };
      QImage image = panel.RenderCard();
      const WifiCardLayout onImage = panel.LayOutCard(&image);
      EXPECT_EQ(CardFaults(onImage, QRectF(image.rect()), texts), "");
      if (keyed) {
        // 0 and O, l and 1 tell apart in a font of one width.
        const QFontMetricsF key(onImage.blocks[WifiCardLayout::kKey].text->font(), &image);
        for (const char* wide : {"W", "M", "O", "0"}) {
          EXPECT_EQ(key.horizontalAdvance(QLatin1String("i")), key.horizontalAdvance(QLatin1String(wide))) << wide;
        }
        // A space at a line's end or start would be lost on the way to the keyboard.
        const QTextLayout& lines = *onImage.blocks[WifiCardLayout::kKey].text;
        for (int l = 1; l < lines.lineCount(); ++l) {
          const int at = lines.lineAt(l).textStart();
          EXPECT_FALSE(texts[WifiCardLayout::kKey][at - 1].isSpace() || texts[WifiCardLayout::kKey][at].isSpace())
              << "line " << l;
        }
      }
      const QString pdfPath = dir.filePath(QStringLiteral("%1.pdf").arg(test::LanguageName(language)));
      const std::unique_ptr<QPdfWriter> pdf = CWifiCodePanel::CardPdf(pdfPath);
      const WifiCardLayout onPdf = panel.LayOutCard(pdf.get());
      EXPECT_EQ(CardFaults(onPdf, QRectF(0, 0, pdf->width(), pdf->height()), texts), "");
      // Nothing is drawn outside the texts' bounds and the code.
      int stray = 0;
      for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
          if (qGray(line[x]) > 200) continue;
          bool inside = onImage.code.contains(QPointF(x, y));
          for (const WifiCardLayout::Block& block : onImage.blocks) {
            inside = inside || (block.text != nullptr && block.rect.adjusted(-3, -3, 3, 3).contains(QPointF(x, y)));
          }
          stray += inside ? 0 : 1;
        }
      }
      EXPECT_EQ(stray, 0);
      if (language == test::kGerman) {
        const std::vector<std::string> decoded = Decode(image);
        ASSERT_EQ(decoded.size(), 1u);
        EXPECT_EQ(decoded[0], panel.JoinText());
      }
      const auto& shown = test::kScreenshotLanguages;
      const bool screenshot = std::find(std::begin(shown), std::end(shown), language) != std::end(shown);
      if (screenshot && !test::ScreenshotDir().isEmpty()) {
        const QString base = QDir(test::ScreenshotDir())
                                 .filePath(QStringLiteral("wifi-card-%1-%2")
                                               .arg(test::LanguageName(language))
                                               .arg(&c - kCardCases));
        image.save(base + QStringLiteral(".png"));
        panel.SaveCard(base + QStringLiteral(".pdf"));
      }
    }
  }
  test::UnloadLanguage();
}

// No code where the page knows no key to give: the wireless part was not
// configured, or the router kept its own pass phrase, which its pages do not
// show in the mixed mode (a code with an empty key joins nothing).
TEST_F(FinishCode, WithoutAKnownNetworkTheFinishPageKeepsItsPicture) {
  for (const bool configured : {false, true}) {
    SCOPED_TRACE(configured ? "the router's own key kept" : "wireless not configured");
    WizardState& state = WizardState::Instance();
    state.configureWireless = configured ? 1 : 0;
    state.WirelessSettings.securityMode = kSecurityWpaMixed;
    state.WirelessSettings.key = "";
    SessionRecord::Instance().wanAddress = "203.0.113.7";  // public: no note
    SessionRecord::Instance().wanTestNotes.clear();
    CPspFinish* finish = ShowFinish(test::kEnglish);
    ASSERT_NE(finish, nullptr);
    EXPECT_TRUE(finish->WifiPanel() == nullptr || !finish->WifiPanel()->isVisible());
    EXPECT_TRUE(finish->Control(CPspFinish::kPictureButtonId)->isVisible());
    EXPECT_EQ(qobject_cast<QLabel*>(finish->Control(CPspFinish::kMessageId))->text(), UiText(30262));
  }
}

}  // namespace
}  // namespace kelvane

// The wireless network's QR code: what a phone-style decoder (zbar) reads
// from the code as drawn, over names and keys with every escaped character,
// UTF-8 and the 32-byte and 63-character limits; its size on screen; the
// finish page showing it at once with the key behind "Show"; the card.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>

#include <string>

#include <zbar.h>

#include "GuiTestSupport.h"
#include "app/CPshMain.h"
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
}

TEST_F(FinishCode, WithoutWirelessTheFinishPageKeepsItsPicture) {
  WizardState::Instance().configureWireless = 0;
  SessionRecord::Instance().wanAddress = "203.0.113.7";  // public: no note
  SessionRecord::Instance().wanTestNotes.clear();
  CPspFinish* finish = ShowFinish(test::kEnglish);
  ASSERT_NE(finish, nullptr);
  EXPECT_TRUE(finish->WifiPanel() == nullptr || !finish->WifiPanel()->isVisible());
  EXPECT_TRUE(finish->Control(CPspFinish::kPictureButtonId)->isVisible());
  EXPECT_EQ(qobject_cast<QLabel*>(finish->Control(CPspFinish::kMessageId))->text(), UiText(30262));
}

}  // namespace
}  // namespace kelvane

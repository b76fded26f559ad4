// The router sheet's WAN tab in a window, against the emulator in this
// process: the layout of each type, the rows emptied away from the router's
// type and kept back on it, the first read without "done", Telia, the MAC
// controls, and screenshots of each type's layout.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <memory>

#include "GuiTestSupport.h"
#include "advanced/CPshRouter.h"
#include "advanced/CPspDIYWan.h"
#include "language/StringIds.h"
#include "steps/kit/WanForms.h"
#include "state/WizardState.h"
#include "support/EmulatedRouter.h"
#include "wizard/UiText.h"

namespace kelvane {
namespace {

using namespace test;
using P = CPspDIYWan;

class WanTab : public ::testing::Test {
 protected:
  void SetUp() override {
    QString why;
    if (!LoadLanguage(kEnglish, &why)) GTEST_SKIP() << why.toStdString();
    ASSERT_TRUE(router_.ok()) << router_.why();
    ResetRouterDefaults(WizardState::Instance());
    ASSERT_TRUE(router_.Connect(WizardState::Instance()));
    router_.Sim().ClearLog();
  }
  P* Open(const char* code) {
    router_.Sim().WithState([&](routersim::RouterSimState& s) {
      s.wanType = code;
      s.formType = code;
    });
    sheet_ = std::make_unique<CPshRouter>();
    sheet_->show();
    P* page = sheet_->PageOf<P>();
    sheet_->SetActivePage(page);
    EXPECT_TRUE(page->WaitFirstRead(20000));
    return page;
  }
  static bool Shown(P* page, int id) { return page->Control(id)->isVisibleTo(page); }
  static QLineEdit* Row(P* page, int row) { return page->ControlAs<QLineEdit>(kWanRowEditId(row)); }
  static int ShownRows(P* page) {
    int n = 0;
    for (int row = 1; row <= kWanMaxFields; ++row) n += Shown(page, kWanRowEditId(row)) ? 1 : 0;
    return n;
  }
  static void Choose(P* page, std::int32_t type) { page->ControlAs<QComboBox>(P::kTypeList)->setCurrentIndex(type - 1); }

  EmulatedRouter router_;
  std::unique_ptr<CPshRouter> sheet_;
};

TEST_F(WanTab, EachTypeLaysOutItsRowsPasswordAddressModeConnectionControlAndMac) {
  P* page = Open("0100");  // the router runs dynamic IP
  EXPECT_EQ(page->RouterWanType(), 1);
  EXPECT_EQ(page->ControlAs<QLabel>(P::kResultLine)->text(), QString()) << "the first read says nothing";
  struct Case {
    std::int32_t type;
    int rows;
    int passwordRow;  // 0: none
    bool addressMode;
    bool mac;
    int connectionEntries;  // 0: hidden
    int connectionRow;      // 0: its own place
  };
  const Case cases[] = {
      {1, 0, 0, false, true, 2, 1}, {2, 5, 0, false, false, 0, 0}, {3, 3, 2, false, false, 3, 4},
      {4, 6, 6, true, false, 3, 0}, {5, 6, 6, true, false, 3, 0},  {6, 3, 2, false, false, 2, 4},
  };
  for (const Case& c : cases) {
    Choose(page, c.type);
    EXPECT_EQ(ShownRows(page), c.rows) << c.type;
    for (int row = 1; row <= c.rows; ++row) {
      const WanField& field = WanFormFor(c.type)->fields[static_cast<std::size_t>(row - 1)];
      EXPECT_EQ(page->ControlAs<QLabel>(kWanRowLabelId(row))->text(), UiText(field.label) + QStringLiteral(":"));
      EXPECT_EQ(Row(page, row)->echoMode() == QLineEdit::Password, row == c.passwordRow)
          << c.type << " row " << row;
    }
    EXPECT_EQ(Shown(page, P::kAddressModeList), c.addressMode) << c.type;
    EXPECT_EQ(Shown(page, P::kMacEdit), c.mac) << c.type;
    EXPECT_EQ(Shown(page, P::kCloneButton), c.mac) << c.type;
    EXPECT_EQ(Shown(page, P::kConnectionList), c.connectionEntries > 0) << c.type;
    if (c.connectionEntries > 0) {
      EXPECT_EQ(page->ControlAs<QComboBox>(P::kConnectionList)->count(), c.connectionEntries) << c.type;
      if (c.connectionRow > 0) {
        EXPECT_EQ(page->Control(P::kConnectionList)->pos(), page->Control(kWanRowEditId(c.connectionRow))->pos())
            << c.type;
      }
    }
    SaveScreenshot(sheet_.get(), QStringLiteral("router-wan-type%1-English").arg(c.type));
  }
}

TEST_F(WanTab, RowsEmptyAwayFromTheRoutersTypeAndAreKeptBackOnIt) {
  router_.Sim().WithState([](routersim::RouterSimState& s) {
    s.forms["0200"].values["IU0"] = "carol";
    s.forms["0200"].values["IT0"] = "svc";
  });
  P* page = Open("0200");
  ASSERT_EQ(page->RouterWanType(), 3);
  EXPECT_EQ(Row(page, 1)->text(), QStringLiteral("carol"));
  EXPECT_EQ(Row(page, 2)->text(), QString()) << "passwords are never read back";
  Row(page, 1)->setText(QStringLiteral("carol2"));
  Choose(page, 2);
  EXPECT_EQ(Row(page, 1)->text(), QString());
  Row(page, 1)->setText(QStringLiteral("10.0.0.9"));
  Choose(page, 3);
  EXPECT_EQ(Row(page, 1)->text(), QStringLiteral("10.0.0.9")) << "back on the router's type the rows keep their texts";
  EXPECT_EQ(Row(page, 2)->echoMode(), QLineEdit::Password);

  page->ControlAs<QPushButton>(P::kRefreshButton)->click();
  EXPECT_EQ(page->ControlAs<QLabel>(P::kResultLine)->text(), UiText(kIdDone));
}

// Refresh after the router changed type: the rows take the new type's
// lengths before they are filled, so nothing is cut (and then stored cut).
TEST_F(WanTab, RefreshOntoAnotherTypeShowsEveryValueWhole) {
  P* page = Open("0000");
  ASSERT_EQ(page->RouterWanType(), 2);
  router_.Sim().WithState([](routersim::RouterSimState& s) {
    s.wanType = "0300";
    auto& v = s.forms["0300"].values;
    v["DI0"] = "vpn.provider.example";
    v["IU0"] = "carol.smith@provider.example";
  });
  page->ControlAs<QPushButton>(P::kRefreshButton)->click();
  ASSERT_EQ(page->RouterWanType(), 4);
  EXPECT_EQ(Row(page, 4)->text(), QStringLiteral("vpn.provider.example"));
  EXPECT_EQ(Row(page, 5)->text(), QStringLiteral("carol.smith@provider.example"));
}

TEST_F(WanTab, APptpRouterWithoutAddressesShowsTheDynamicModeWithRowsStillEnabled) {
  router_.Sim().WithState([](routersim::RouterSimState& s) {
    auto& v = s.forms["0300"].values;
    v["WI"] = "0.0.0.0";
    v["WN"] = "0.0.0.0";
    v["WG"] = "0.0.0.0";
    v["IU0"] = "bob";
  });
  P* page = Open("0300");
  EXPECT_EQ(page->ControlAs<QComboBox>(P::kAddressModeList)->currentIndex(), kAddressModeDynamic);
  EXPECT_EQ(Row(page, 1)->text(), QStringLiteral("0.0.0.0"));
  EXPECT_TRUE(Row(page, 1)->isEnabled());
  page->ControlAs<QComboBox>(P::kAddressModeList)->setCurrentIndex(kAddressModeStatic);
  page->ControlAs<QComboBox>(P::kAddressModeList)->setCurrentIndex(kAddressModeDynamic);
  EXPECT_FALSE(Row(page, 1)->isEnabled());
}

TEST_F(WanTab, ATeliaRouterIsRecognisedButStoreFailsUntilATypeIsChosen) {
  router_.Sim().WithState([](routersim::RouterSimState& s) { s.forms["0104"].values["IU0"] = "erin"; });
  P* page = Open("0104");
  EXPECT_EQ(page->RouterWanType(), 7);
  EXPECT_EQ(page->ControlAs<QComboBox>(P::kTypeList)->currentIndex(), -1);
  EXPECT_EQ(WizardState::Instance().TeliaSettings.userName.view(), "erin");
  router_.Sim().ClearLog();
  page->ControlAs<QPushButton>(P::kStoreButton)->click();
  EXPECT_EQ(page->ControlAs<QLabel>(P::kResultLine)->text(), UiText(kIdError));
  for (const std::string& line : router_.Requests()) EXPECT_EQ(line.find("cgi-bin/prim"), std::string::npos) << line;
}

TEST_F(WanTab, StoreMarksWrongRowsRedAndAStoredTypeSaysSoInBlue) {
  P* page = Open("0100");
  Choose(page, 2);
  Row(page, 1)->setText(QStringLiteral(" 10.0.0.2 "));
  Row(page, 2)->setText(QStringLiteral("255.255.255.0"));
  Row(page, 3)->setText(QStringLiteral("10.0.0.1"));
  Row(page, 4)->setText(QString());
  page->ControlAs<QPushButton>(P::kStoreButton)->click();
  EXPECT_EQ(page->ControlAs<QLabel>(P::kResultLine)->text(), UiText(kIdError));
  EXPECT_EQ(Row(page, 1)->text(), QStringLiteral("10.0.0.2"));
  Row(page, 4)->setText(QStringLiteral("10.0.0.53"));
  // Right input the router does not take: the line says the saving failed.
  routersim::RouterSimFaults refused;
  refused.wrongStatus = 500;
  refused.match = "cgi-bin/prim";
  router_.Sim().SetFaults(refused);
  page->ControlAs<QPushButton>(P::kStoreButton)->click();
  EXPECT_EQ(page->ControlAs<QLabel>(P::kResultLine)->text(), UiText(kIdStoreSavingFailed));
  router_.Sim().SetFaults({});
  page->ControlAs<QPushButton>(P::kStoreButton)->click();
  EXPECT_EQ(page->ControlAs<QLabel>(P::kResultLine)->text(), UiText(kIdAdvWanSaved));
  EXPECT_EQ(WizardState::Instance().wanType, 2);
  EXPECT_EQ(router_.Sim().StateCopy().wanType, "0000");
}

TEST(WanTabScreens, EachTypeInTheScreenshotLanguages) {
  if (ScreenshotDir().isEmpty()) GTEST_SKIP() << "KELVANE_SCREENSHOT_DIR is not set";
  for (std::uint32_t language : kScreenshotLanguages) {
    QString why;
    if (!LoadLanguage(language, &why)) GTEST_SKIP() << why.toStdString();
    WizardState::Instance().languageId = language;
    CPshRouter sheet;
    sheet.show();
    auto* page = sheet.PageOf<P>();
    sheet.SetActivePage(page);
    for (int type : {1, 2, 3, 4}) {
      page->ControlAs<QComboBox>(P::kTypeList)->setCurrentIndex(type - 1);
      EXPECT_FALSE(page->ControlAs<QLabel>(P::kTypeLabel)->text().isEmpty()) << type;
      EXPECT_TRUE(SaveScreenshot(&sheet, QStringLiteral("router-wan-type%1-").arg(type) + LanguageName(language)));
    }
  }
  WizardState::Instance().languageId = kEnglish;
}

}  // namespace
}  // namespace kelvane

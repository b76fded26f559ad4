// The seven WAN settings pages against the emulated router: activation from
// the form table, connection control read from the router each time, the
// address-mode switch, every wrong label red at once, stripped addresses,
// edit limits, Back losing what was not confirmed, and pictures.
#include "EasyPageFixture.h"

#include <QClipboard>
#include <QGuiApplication>

#include "pages/CPspSelectWan.h"
#include "pages/CPspStore.h"
#include "pages/CPspWanSettings.h"
#include "steps/kit/WanForms.h"

namespace kelvane {
namespace {

using namespace test;

class WanPagesTest : public EasyPageTest {
 protected:
  bool Open(std::uint32_t language = kEnglish) {
    if (!Start(language)) return false;
    if (!router_->Connect(WizardState::Instance())) {
      ADD_FAILURE() << "the connectivity check did not pass";
      return false;
    }
    return true;
  }
  QLineEdit* Edit(int row) { return qobject_cast<QLineEdit*>(Active()->Control(kWanRowEditId(row))); }
  QComboBox* Combo(int id) { return qobject_cast<QComboBox*>(Active()->Control(id)); }
  void Fill(const std::vector<QString>& texts) {
    for (std::size_t i = 0; i < texts.size(); ++i) Edit(static_cast<int>(i) + 1)->setText(texts[i]);
  }
};

TEST_F(WanPagesTest, EachPageIsBuiltFromItsForm) {
  if (!Open()) GTEST_SKIP() << why_.toStdString();
  // Every read is slow, so the header can be seen while the activation reads.
  routersim::RouterSimFaults slow;
  slow.answerDelayMs = 300;
  router_->Sim().SetFaults(slow);
  for (const WanForm& form : kWanForms) {
    SCOPED_TRACE(form.wanType);
    WizardState::Instance().wanType = 0;
    Activate(CPspSelectWan::kTemplateId);
    QStringList headersWhileBusy;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      if (Active() != nullptr && Active()->IsBusy()) headersWhileBusy << sheet_->HeaderTitleText();
    });
    poll.start();
    ASSERT_NE(Activate(form.templateId), nullptr);
    poll.stop();
    // The new page's title from the start of its activation read.
    EXPECT_EQ(headersWhileBusy.isEmpty(), form.optionCount == 0);
    for (const QString& header : headersWhileBusy) EXPECT_EQ(header, UiText(form.title));
    EXPECT_EQ(WizardState::Instance().currentPageCode, form.pageCode);
    EXPECT_EQ(WizardState::Instance().wanType, form.wanType);
    EXPECT_EQ(ButtonStates(), Standard());
    EXPECT_EQ(Active()->HeaderTitle(), UiText(form.title));
    EXPECT_EQ(Active()->HeaderSubTitle(), UiText(form.subtitle));
    // A page without fields shows only the first paragraph of its text.
    EXPECT_EQ(Text(kWanMessageId),
              form.fields.empty() ? UiText(form.message).section(QStringLiteral("\n\n"), 0, 0) : UiText(form.message));
    for (const WanField& field : form.fields) {
      EXPECT_TRUE(Visible(field.labelId));
      EXPECT_EQ(Text(field.labelId), UiText(field.label) + QStringLiteral(":"));
      auto* edit = qobject_cast<QLineEdit*>(Active()->Control(field.editId));
      ASSERT_NE(edit, nullptr);
      EXPECT_TRUE(edit->isVisible());
      // Stripped fields are not limited: blanks must not push digits out.
      if (field.strip) {
        EXPECT_GT(edit->maxLength(), 1000);
      } else {
        EXPECT_EQ(edit->maxLength(), static_cast<int>(field.access.capacity) - 1);
      }
      EXPECT_EQ(edit->echoMode() != QLineEdit::Normal, field.password);
      EXPECT_EQ(qobject_cast<QLabel*>(Active()->Control(field.labelId))->buddy(), edit);
      EXPECT_EQ(edit->accessibleName() + QStringLiteral(":"), Text(field.labelId));
      if (field.note != 0) {
        EXPECT_EQ(Text(field.noteId), UiText(field.note));
      }
    }
    EXPECT_EQ(Visible(kWanAddressModeComboId), form.addressMode);
    EXPECT_EQ(Visible(kWanConnectionComboId), form.optionCount > 0);
    if (form.optionCount > 0) {
      QComboBox* combo = Combo(kWanConnectionComboId);
      ASSERT_EQ(combo->count(), form.optionCount);
      for (int i = 0; i < form.optionCount; ++i) {
        EXPECT_EQ(combo->itemText(i), UiText(kConnectionControlTexts[static_cast<std::size_t>(i)]));
      }
    }
    Back();
    EXPECT_EQ(ActiveTemplate(), CPspSelectWan::kTemplateId);
  }
}

TEST_F(WanPagesTest, ConnectionControlIsReadFromTheRouterOnEveryActivation) {
  if (!Open()) GTEST_SKIP() << why_.toStdString();
  router_->Sim().WithState([](routersim::RouterSimState& s) {
    s.FormOf(routersim::kWtPptp).df00 = false;
    s.FormOf(routersim::kWtPptp).df01 = true;  // connect manually
  });
  Activate(CPspPPTPWan::kTemplateId);
  EXPECT_EQ(Combo(kWanConnectionComboId)->currentIndex(), 2);
  Combo(kWanConnectionComboId)->setCurrentIndex(1);
  Back();
  router_->Sim().WithState([](routersim::RouterSimState& s) {
    s.FormOf(routersim::kWtPptp).df01 = false;
    s.FormOf(routersim::kWtPptp).df00 = true;  // connect automatically
  });
  Activate(CPspPPTPWan::kTemplateId);
  EXPECT_EQ(Combo(kWanConnectionComboId)->currentIndex(), 1);
  // An unreadable router: the choice it last showed stays, not a default it
  // never had.
  Back();
  router_->Sim().Stop();
  Activate(CPspPPTPWan::kTemplateId);
  EXPECT_EQ(Combo(kWanConnectionComboId)->currentIndex(), 1);
}

TEST_F(WanPagesTest, PptpEveryWrongLabelRedAtOnceThenStoredStripped) {
  if (!Open()) GTEST_SKIP() << why_.toStdString();
  Activate(CPspPPTPWan::kTemplateId);
  Fill({QStringLiteral("256.1.1.1"), QStringLiteral("255.255.255.0"), QStringLiteral("1..2.3"),
        QStringLiteral("vpn.example.net"), QString(), QStringLiteral("pw")});
  Next();
  EXPECT_EQ(ActiveTemplate(), CPspPPTPWan::kTemplateId);
  const std::vector<bool> red = {true, false, true, false, true, false};
  for (int row = 1; row <= 6; ++row) EXPECT_EQ(Red(kWanRowLabelId(row)), red[static_cast<std::size_t>(row - 1)]) << row;
  EXPECT_EQ(Text(kWanMessageId), UiText(30179));
  // Stored although wrong.
  EXPECT_EQ(WizardState::Instance().PptpSettings.ipAddress, "256.1.1.1");
  Shot(QStringLiteral("easy-wan-English-pptp-red"));

  Fill({QStringLiteral(" 10.0.0.2 "), QStringLiteral("255.255.255.0"), QStringLiteral("10.0.0.1 "),
        QStringLiteral("vpn.example.net"), QStringLiteral(" bob"), QStringLiteral("pw")});
  Combo(kWanConnectionComboId)->setCurrentIndex(2);
  QLineEdit* address = Edit(1);
  Next();
  ASSERT_EQ(ActiveTemplate(), CPspStore::kTemplateId);
  const PptpSettings& p = WizardState::Instance().PptpSettings;
  EXPECT_EQ(p.ipAddress, "10.0.0.2");
  EXPECT_EQ(p.gateway, "10.0.0.1");
  EXPECT_EQ(p.userName, " bob");
  EXPECT_EQ(p.optionState, 2);
  EXPECT_EQ(address->text(), QStringLiteral("10.0.0.2"));  // shown stripped
}

TEST_F(WanPagesTest, AddressModeDynamicFillsAndDisablesTheAddressRows) {
  if (!Open()) GTEST_SKIP() << why_.toStdString();
  for (int templateId : {CPspPPTPWan::kTemplateId, CPspL2TPWan::kTemplateId}) {
    SCOPED_TRACE(templateId);
    Activate(templateId);
    EXPECT_EQ(Combo(kWanAddressModeComboId)->currentIndex(), 1);
    Edit(1)->setText(QStringLiteral("10.1.1.1"));
    Combo(kWanAddressModeComboId)->setCurrentIndex(0);
    for (int row = 1; row <= 3; ++row) {
      EXPECT_EQ(Edit(row)->text(), QStringLiteral("0.0.0.0"));
      EXPECT_FALSE(Edit(row)->isEnabled());
    }
    EXPECT_TRUE(Edit(4)->isEnabled());
    Fill({QStringLiteral("0.0.0.0"), QStringLiteral("0.0.0.0"), QStringLiteral("0.0.0.0"),
          QStringLiteral("203.0.113.9"), QStringLiteral("u"), QStringLiteral("p")});
    Combo(kWanAddressModeComboId)->setCurrentIndex(1);
    EXPECT_TRUE(Edit(1)->isEnabled());
    EXPECT_EQ(Edit(1)->text(), QStringLiteral("0.0.0.0"));
    Next();
    EXPECT_EQ(ActiveTemplate(), CPspStore::kTemplateId);
  }
}

TEST_F(WanPagesTest, ChecksOfTheOtherPages) {
  struct Case {
    const char* name;
    int templateId;
    std::vector<QString> texts;
    std::vector<bool> red;
    bool movesOn;
  };
  const std::vector<Case> cases = {
      {"pppoe empty service", CPspPPPoEWan::kTemplateId, {"u", "p", ""}, {false, false, false}, true},
      {"pppoe empty user", CPspPPPoEWan::kTemplateId, {"", "p", "svc"}, {true, false, false}, false},
      {"static empty secondary", CPspStaticWan::kTemplateId, {"1.2.3.4", "255.0.0.0", "1.2.3.1", "9.9.9.9", ""},
       {false, false, false, false, false}, true},
      {"static empty primary, leading dot", CPspStaticWan::kTemplateId,
       {".1.2.3", "255.0.0.0", "1.2.3.1", "", "8.8.8.8"}, {true, false, false, true, false}, false},
      {"bigpond empty password", CPspBigPondWan::kTemplateId, {"u", "", ""}, {false, true, false}, false},
      {"telia", CPspTeliaWan::kTemplateId, {"u", "p"}, {false, false}, true},
  };
  if (!Open()) GTEST_SKIP() << why_.toStdString();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Activate(c.templateId);
    Fill(c.texts);
    Next();
    EXPECT_EQ(ActiveTemplate() == CPspStore::kTemplateId, c.movesOn);
    if (c.movesOn) continue;
    for (std::size_t i = 0; i < c.red.size(); ++i) EXPECT_EQ(Red(kWanRowLabelId(static_cast<int>(i) + 1)), c.red[i]) << i;
  }
  // The dynamic page has nothing to check.
  Activate(CPspDynamicWan::kTemplateId);
  Combo(kWanConnectionComboId)->setCurrentIndex(1);
  Next();
  EXPECT_EQ(ActiveTemplate(), CPspStore::kTemplateId);
  EXPECT_EQ(WizardState::Instance().DynamicIpSettings.optionState, 1);
}

// What a user pastes arrives at the record whole: blanks before an address
// do not push its last digits out, a line end does not stay in a name.
TEST_F(WanPagesTest, PastedValuesArriveWholeWithoutLineEnds) {
  struct Case {
    const char* name;
    int templateId;
    int row;
    QString pasted;
    std::string stored;
  };
  const std::vector<Case> cases = {
      {"address with blanks", CPspStaticWan::kTemplateId, 1, QStringLiteral("  192.168.100.100"), "192.168.100.100"},
      {"address with line end", CPspStaticWan::kTemplateId, 3, QStringLiteral("192.168.100.254\r\n"),
       "192.168.100.254"},
      {"user with line end", CPspPPPoEWan::kTemplateId, 1, QStringLiteral("carol@isp.example\r\n"),
       "carol@isp.example"},
  };
  if (!Open()) GTEST_SKIP() << why_.toStdString();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Activate(c.templateId);
    if (c.templateId == CPspStaticWan::kTemplateId) {
      Fill({"10.0.0.2", "255.255.255.0", "10.0.0.1", "10.0.0.1", ""});
    } else {
      Fill({"u", "p", ""});
    }
    Edit(c.row)->clear();
    Edit(c.row)->setFocus();
    QGuiApplication::clipboard()->setText(c.pasted);
    QTest::keyClick(Edit(c.row), Qt::Key_V, Qt::ControlModifier);
    Next();
    EXPECT_FALSE(Red(kWanRowLabelId(c.row)));
    ASSERT_EQ(ActiveTemplate(), CPspStore::kTemplateId);
    const WanForm& form = *WanFormFor(WizardState::Instance().wanType);
    EXPECT_EQ(form.fields[static_cast<std::size_t>(c.row - 1)].access.read(WizardState::Instance()), c.stored);
  }
  // A wrong address pasted with blanks: refused with the label red, not cut
  // into one that passes ("  192.168.100.10").
  Activate(CPspStaticWan::kTemplateId);
  Fill({"", "255.255.255.0", "10.0.0.1", "10.0.0.1", ""});
  Edit(1)->setFocus();
  QGuiApplication::clipboard()->setText(QStringLiteral("  192.168.100.1000"));
  QTest::keyClick(Edit(1), Qt::Key_V, Qt::ControlModifier);
  Next();
  EXPECT_EQ(ActiveTemplate(), CPspStaticWan::kTemplateId);
  EXPECT_TRUE(Red(kWanRowLabelId(1)));
}

TEST_F(WanPagesTest, BackLosesWhatWasNotConfirmedAndTheTypeFollowsThePage) {
  if (!Open()) GTEST_SKIP() << why_.toStdString();
  WizardState::Instance().PppoeSettings.userName = "stored";
  Activate(CPspPPPoEWan::kTemplateId);
  EXPECT_EQ(Edit(1)->text(), QStringLiteral("stored"));
  Edit(1)->setText(QStringLiteral("typed"));
  Back();
  Activate(CPspPPTPWan::kTemplateId);
  EXPECT_EQ(WizardState::Instance().wanType, kWanPptp);
  Back();
  Activate(CPspPPPoEWan::kTemplateId);
  EXPECT_EQ(Edit(1)->text(), QStringLiteral("stored"));
  EXPECT_EQ(WizardState::Instance().wanType, kWanPppoe);
  // Keyboard alone: the rows follow each other in tab order.
  Edit(1)->setFocus();
  QTest::keyClick(Edit(1), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Edit(2));
  QTest::keyClick(Edit(2), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Edit(3));
  QTest::keyClick(Edit(3), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Combo(kWanConnectionComboId));
}

TEST_F(WanPagesTest, Screenshots) {
  if (ScreenshotDir().isEmpty()) GTEST_SKIP() << "KELVANE_SCREENSHOT_DIR not set";
  for (std::uint32_t language : kScreenshotLanguages) {
    if (!Open(language)) GTEST_SKIP() << why_.toStdString();
    const QString name = LanguageName(language);
    for (const WanForm& form : kWanForms) {
      Activate(form.templateId);
      if (!form.fields.empty()) {
        Edit(1)->setText(QStringLiteral("?"));
        Next();
      }
      Shot(QStringLiteral("easy-wan-%1-%2").arg(name).arg(form.wanType));
    }
  }
}

}  // namespace
}  // namespace kelvane

// What a screen reader announces on the easy-mode pages: every field a user
// can reach has a name, and an edit or list is named by its label, not by
// what it holds. The pages are read over AT-SPI, as Orca would read them:
// tests/gui/a11y/check_a11y.py starts a private D-Bus session with its own
// accessibility bus, runs this program in helper mode (A11yHelper: shows one
// page in the state where it has the most fields and waits) and reads the
// tree with pyatspi.
#include "EasyPageFixture.h"

#include <poll.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <map>

#include "language/StringIds.h"
#include "pages/CPspConnectivity.h"
#include "pages/CPspDetectWan.h"
#include "pages/CPspSelectWan.h"
#include "pages/CPspWLan.h"
#include "pages/CPspWelcome.h"
#include "steps/kit/WanForms.h"
#include "wizard/LabelBuddy.h"

namespace kelvane {
namespace {

using namespace test;

constexpr int kPages[] = {CPspWelcome::kTemplateId, CPspConnectivity::kTemplateId, CPspWLan::kTemplateId,
                          CPspDetectWan::kTemplateId, CPspSelectWan::kTemplateId, 4009, 4010, 4011, 4012, 4014,
                          4046, 4047};

class A11yTest : public EasyPageTest {};

// Helper mode: show the page named by KELVANE_A11Y_PAGE, say so, and wait
// until the reader closes our stdin.
TEST_F(A11yTest, A11yHelper) {
  const QByteArray pageText = qgetenv("KELVANE_A11Y_PAGE");
  if (pageText.isEmpty()) GTEST_SKIP() << "helper mode only";
  const int page = pageText.toInt();
  if (page == CPspConnectivity::kTemplateId) {
    // With the login prompt on screen.
    if (!Start()) GTEST_SKIP() << why_.toStdString();
    router_->Sim().WithState([](routersim::RouterSimState& s) {
      s.flavour = routersim::LoginFlavour::kForm;
      s.loginWord = "other";
    });
    Activate(page);
    Next();
  } else if (page == CPspWLan::kTemplateId) {
    // With the form (WEP, so the key row shows).
    if (!Start()) GTEST_SKIP() << why_.toStdString();
    ASSERT_TRUE(router_->Connect(WizardState::Instance()));
    router_->Sim().WithState([](routersim::RouterSimState& s) { s.securityCode = "1"; });
    Activate(page);
    Next();
  } else {
    if (!Start()) GTEST_SKIP() << why_.toStdString();
    if (page != CPspWelcome::kTemplateId) Activate(page);
  }
  Spin(300);
  std::printf("A11Y-READY %d\n", page);
  std::fflush(stdout);
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 60000) {
    pollfd in{0, POLLIN, 0};
    if (poll(&in, 1, 0) > 0) {
      char c;
      if (read(0, &c, 1) <= 0) break;  // the reader is done
    }
    Spin(20);
  }
}

bool ReaderAvailable(QString& why) {
  for (const char* path : {"/usr/bin/python3", "/usr/bin/dbus-daemon", "/usr/libexec/at-spi-bus-launcher"}) {
    if (!QFileInfo::exists(QString::fromLatin1(path))) {
      why = QStringLiteral("%1 is not installed").arg(QLatin1String(path));
      return false;
    }
  }
  QProcess probe;
  probe.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QStringLiteral("import pyatspi")});
  if (!probe.waitForFinished(30000) || probe.exitCode() != 0) {
    why = QStringLiteral("python3-pyatspi is not installed");
    return false;
  }
  return true;
}

TEST_F(A11yTest, ScreenReaderAnnouncesEveryFieldByItsLabel) {
  QString why;
  if (!ReaderAvailable(why)) GTEST_SKIP() << why.toStdString();
  if (!LoadLanguage(kEnglish, &why)) GTEST_SKIP() << why.toStdString();
  // Beside this source file (the build compiles it by its full path).
  const QString script = QStringLiteral(KELVANE_TESTS_DIR "/gui/a11y/check_a11y.py");
  QStringList args = {script, QCoreApplication::applicationFilePath()};
  for (int page : kPages) args << QString::number(page);
  QProcess reader;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  reader.setProcessEnvironment(env);
  reader.start(QStringLiteral("/usr/bin/python3"), args);
  ASSERT_TRUE(reader.waitForFinished(600000));
  ASSERT_EQ(reader.exitCode(), 0) << reader.readAllStandardError().toStdString();

  // What each page must announce (names a user must hear), beside the rule
  // that no reachable field is nameless.
  std::map<int, QStringList> expected;
  expected[CPspWelcome::kTemplateId] = {AccessibleNameOf(UiText(kIdSelectLanguageLabel))};
  expected[CPspConnectivity::kTemplateId] = {AccessibleNameOf(UiText(kIdLoginPasswordLabel))};
  expected[CPspWLan::kTemplateId] = {UiText(kIdSkipWirelessSetup), AccessibleNameOf(UiText(kIdWirelessSsidLabel)),
                                     AccessibleNameOf(UiText(kIdWirelessChannelLabel)),
                                     AccessibleNameOf(UiText(kIdWirelessSecurityLabel)),
                                     AccessibleNameOf(UiText(kIdWirelessKeyLabel))};
  expected[CPspDetectWan::kTemplateId] = {UiText(kIdChooseWanMyself)};
  expected[CPspSelectWan::kTemplateId] = {UiText(kIdWanTypeDynamicIp), UiText(kIdWanTypeStaticIp),
                                          QStringLiteral("PPPoE"), QStringLiteral("PPTP"), QStringLiteral("L2TP"),
                                          QStringLiteral("BigPond")};
  for (const WanForm& form : kWanForms) {
    QStringList names;
    for (const WanField& f : form.fields) names << AccessibleNameOf(UiText(f.label));
    if (form.optionCount > 0) names << AccessibleNameOf(UiText(kIdConnectionControlLabel));
    if (form.addressMode) names << AccessibleNameOf(UiText(kIdIpModeLabel));
    expected[form.templateId] = names;
  }

  int pagesRead = 0;
  for (const QByteArray& line : reader.readAllStandardOutput().split('\n')) {
    if (line.trimmed().isEmpty()) continue;
    const QJsonObject page = QJsonDocument::fromJson(line).object();
    const int id = page.value(QStringLiteral("page")).toInt();
    SCOPED_TRACE(id);
    ASSERT_FALSE(page.contains(QStringLiteral("error"))) << page.value(QStringLiteral("error")).toString().toStdString();
    ++pagesRead;
    QStringList heard;
    for (const QJsonValue& v : page.value(QStringLiteral("fields")).toArray()) {
      const QJsonObject f = v.toObject();
      const QString name = f.value(QStringLiteral("name")).toString();
      const QString role = f.value(QStringLiteral("role")).toString();
      QStringList labels;
      for (const QJsonValue& l : f.value(QStringLiteral("labels")).toArray()) labels << AccessibleNameOf(l.toString());
      heard << name << labels;
      if (f.value(QStringLiteral("focusable")).toBool()) {
        EXPECT_FALSE(name.trimmed().isEmpty() && labels.isEmpty()) << role.toStdString() << " without a name";
      }
      // A list is announced by its label; its own name is only its entry.
      if (role == QStringLiteral("combo box")) {
        EXPECT_FALSE(labels.isEmpty()) << "a list announced only as \"" << name.toStdString() << "\"";
      }
    }
    for (const QString& name : expected[id]) {
      EXPECT_TRUE(heard.contains(name)) << name.toStdString() << " not announced; heard: "
                                        << heard.join(QStringLiteral(" | ")).toStdString();
    }
  }
  EXPECT_EQ(pagesRead, static_cast<int>(std::size(kPages)));
}

}  // namespace
}  // namespace kelvane

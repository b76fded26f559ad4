// The whole easy road in this process, offscreen, against the emulator on
// loopback: from the welcome page to Finish for a router that proposes
// dynamic IP and one that proposes PPPoE, with and without a wireless part,
// checking the verdict, what the router holds afterwards and the exact
// requests it received.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>

#include <functional>

#include <string>
#include <vector>

#include "EasyWalker.h"
#include "GuiTestSupport.h"
#include "support/EmulatedRouter.h"
#include "wizard/UiText.h"

namespace kelvane {
namespace {

using routersim::RouterSimState;

bool WaitFor(int ms, const std::function<bool()>& done) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

// The request lines that changed something (CGI commands), without the
// HTTP version. Reading a WAN type's form ("want?rd=prim&Wt=...") only picks
// the form the router shows and is left out with the page reads.
std::vector<std::string> Commands(const std::vector<std::string>& requests) {
  std::vector<std::string> out;
  for (const std::string& line : requests) {
    if (line.find("/cgi-bin/") == std::string::npos) continue;
    if (line.find("/cgi-bin/want?rd=prim&Wt=") != std::string::npos) continue;
    const std::size_t start = line.find(' ') + 1;
    out.push_back(line.substr(start, line.rfind(' ') - start));
  }
  return out;
}

// "wlap", "prim", ... of the commands.
std::vector<std::string> CommandNames(const std::vector<std::string>& commands) {
  std::vector<std::string> out;
  for (const std::string& c : commands) out.push_back(c.substr(9, c.find('?') - 9));
  return out;
}

struct RoadCase {
  const char* name;
  bool wirelessPresent;
  routersim::WanService service;
  std::int32_t choose;  // 0: the router's proposal
  std::vector<QString> fields;
  std::vector<std::uint32_t> pages;
  std::vector<std::string> commands;  // exact commands, or their names when `namesOnly`
  bool namesOnly;
  const char* finalType;
};

class EasyRoad : public ::testing::TestWithParam<RoadCase> {};

TEST_P(EasyRoad, WalksFromWelcomeToFinish) {
  const RoadCase& c = GetParam();
  test::EmulatedRouter router;
  ASSERT_TRUE(router.ok()) << router.why();
  router.Sim().WithState([&](RouterSimState& s) { s.service = c.service; });
  WizardState& state = WizardState::Instance();
  ResetRouterDefaults(state);
  state.wirelessPresent = c.wirelessPresent;
  state.wanTestSkipped = false;

  test::WalkPlan plan;
  plan.chooseWanType = c.choose;
  const std::int32_t type = c.choose != 0 ? c.choose : (c.service == routersim::WanService::kPppoe ? 3 : 1);
  plan.wanFields[type] = c.fields;
  plan.screenshotDir = test::ScreenshotDir();
  plan.screenshotPrefix = QStringLiteral("road-%1").arg(QString::fromLatin1(c.name));
  plan.timeoutMs = 120000;
  test::EasyWalker walker(plan);
  QString why;
  auto sheet = test::ShowSheet(test::kEnglish, &why);
  ASSERT_NE(sheet, nullptr) << why.toStdString();
  walker.Attach(sheet.get());
  ASSERT_TRUE(WaitFor(150000, [&] { return !sheet->isVisible(); }));

  const test::WalkResult& result = walker.Result();
  ASSERT_TRUE(result.finished) << result.failure.toStdString();
  EXPECT_EQ(result.pages, c.pages);
  EXPECT_EQ(result.finishText, UiText(30262));
  EXPECT_EQ(result.opened, std::vector<QString>{QStringLiteral("http://") + QString::fromStdString(router.Address())});
  const std::vector<std::string> commands = Commands(router.Requests());
  EXPECT_EQ(c.namesOnly ? CommandNames(commands) : commands, c.commands);

  const RouterSimState after = router.Sim().StateCopy();
  if (c.wirelessPresent) {
    EXPECT_EQ(after.ssid, "KelvaneHome");
    EXPECT_EQ(after.securityCode, "4");
    EXPECT_EQ(after.psk, "kelvane pass phrase");
  } else {
    EXPECT_EQ(after.ssid, RouterSimState().ssid);
  }
  EXPECT_EQ(after.wanType, c.finalType);
}

const std::string kWlap =
    "/cgi-bin/wlap?RC=@&rf=1000&Xf=1&KM0=x&ZW0=o&rd=wpa&ZN=KelvaneHome&ZC=11&KM%23=00FF&KM4=o&CS=4&KM5=x&PK=kelvane%20pass%20phrase";
// The emulated router's dynamic IP form is "always on"; the detection reads
// it (no WAN page comes before the store), and the command keeps it.
const std::string kDynamic = "/cgi-bin/prim?rc=@&rf=0008&rd=zero&Wt=0100&lf=0037&ai=0&DF00=o";
const std::string kRefresh = "/cgi-bin/want?rc=&rf=&UB=0001&rd=status";
const std::string kReboot = "/cgi-bin/rebo?";
const std::vector<std::uint32_t> kManual(std::uint32_t code) { return {0, 10, 20, 21, 22, 23, code, 40, 50, 60}; }
const std::vector<std::string> kNames = {"wlap", "prim", "want", "rebo"};

const RoadCase kCases[] = {
    {"DynamicWithWireless", true, routersim::WanService::kDhcp, 0, {}, {0, 10, 20, 21, 22, 40, 50, 60},
     {kWlap, kDynamic, kRefresh, kReboot}, false, routersim::kWtDynamic},
    {"DynamicWithoutWireless", false, routersim::WanService::kDhcp, 0, {}, {0, 10, 20, 22, 40, 50, 60},
     {kDynamic, kRefresh, kReboot}, false, routersim::kWtDynamic},
    {"PppoeProposed", true, routersim::WanService::kPppoe, 0,
     {QStringLiteral("carol@isp"), QStringLiteral("s3cret word"), QString()}, {0, 10, 20, 21, 22, 32, 40, 50, 60},
     kNames, true, routersim::kWtPppoe},
    {"DynamicChosen", true, routersim::WanService::kDhcp, 1, {}, kManual(30), kNames, true, routersim::kWtDynamic},
    {"StaticChosen", true, routersim::WanService::kDhcp, 2,
     {QStringLiteral("198.51.100.20"), QStringLiteral("255.255.255.0"), QStringLiteral("198.51.100.1"),
      QStringLiteral("198.51.100.1"), QString()},
     kManual(31), kNames, true, routersim::kWtStatic},
    {"PptpChosen", true, routersim::WanService::kDhcp, 4,
     {QStringLiteral("0.0.0.0"), QStringLiteral("0.0.0.0"), QStringLiteral("0.0.0.0"), QStringLiteral("198.51.100.7"),
      QStringLiteral("bob"), QStringLiteral("vpn word")},
     kManual(33), kNames, true, routersim::kWtPptp},
    {"L2tpChosen", false, routersim::WanService::kDhcp, 5,
     {QStringLiteral("0.0.0.0"), QStringLiteral("0.0.0.0"), QStringLiteral("0.0.0.0"), QStringLiteral("198.51.100.7"),
      QStringLiteral("bob"), QStringLiteral("vpn word")},
     {0, 10, 20, 22, 23, 34, 40, 50, 60}, {"prim", "want", "rebo"}, true, routersim::kWtL2tp},
    {"BigPondChosen", true, routersim::WanService::kDhcp, 6,
     {QStringLiteral("dave"), QStringLiteral("pond word"), QString()}, kManual(35), kNames, true,
     routersim::kWtBigPond},
    {"TeliaChosen", true, routersim::WanService::kDhcp, 7, {QStringLiteral("erin"), QStringLiteral("telia word")},
     kManual(36), kNames, true, routersim::kWtTelia},
};

INSTANTIATE_TEST_SUITE_P(Table, EasyRoad, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kelvane

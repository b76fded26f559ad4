// The easy road walked by the real start-up routine on the PC's real network:
// the program the namespace end-to-end test and scripts/demo.sh --walk start
// inside the test bed's PC namespace. It does nothing unless KELVANE_WALK is
// set, and it refuses to run in the machine's own network namespace, so an
// ordinary test run never lets the wizard touch a real network.
//
// Environment:
//   KELVANE_WALK=1                 walk (otherwise the test is skipped)
//   KELVANE_WALK_PUBLIC_HOST/_DNS/_SITE   the Internet targets (--public-host ...)
//   KELVANE_WALK_LOGIN_WORD        the word typed when the router refuses the stored one
//   KELVANE_WALK_PPPOE=user:word   what the PPPoE page is filled with
//   KELVANE_WALK_SKIP_WIRELESS=1   tick "do not set up wireless now"
//   KELVANE_WALK_SHOTS=DIR         pictures of every page and state
//   KELVANE_WALK_PREFIX=NAME       picture name prefix
//   KELVANE_WALK_VERBOSE=1         the traffic log on the error stream
//   KELVANE_WALK_REPORT=FILE       key=value lines: finished, failure, pages,
//                                  finish (verdict text), opened, messages, prompts, shots
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <iostream>
#include <string>
#include <vector>

#include "BedWalkStart.h"
#include "EasyWalker.h"
#include "app/KelvaneApp.h"
#include "net/TrafficLog.h"

namespace kelvane {
namespace {

QString Env(const char* name) { return qEnvironmentVariable(name); }

TEST(EasyWalk, FromWelcomeToFinishOnThePcsNetwork) {
  if (Env("KELVANE_WALK").isEmpty()) GTEST_SKIP() << "KELVANE_WALK is not set: the walk runs only inside the test bed";
  QTemporaryDir runtime;
  const std::string refused = test::StartBedWalk(runtime);
  ASSERT_TRUE(refused.empty()) << refused;
  if (!Env("KELVANE_WALK_VERBOSE").isEmpty()) SetTrafficLog(&std::cerr);

  test::WalkPlan plan;
  plan.loginWord = Env("KELVANE_WALK_LOGIN_WORD");
  const QStringList pppoe = Env("KELVANE_WALK_PPPOE").split(QLatin1Char(':'));
  if (pppoe.size() == 2) plan.wanFields[kWanPppoe] = {pppoe[0], pppoe[1], QString()};
  plan.skipWireless = !Env("KELVANE_WALK_SKIP_WIRELESS").isEmpty();
  plan.screenshotDir = Env("KELVANE_WALK_SHOTS");
  if (!Env("KELVANE_WALK_PREFIX").isEmpty()) plan.screenshotPrefix = Env("KELVANE_WALK_PREFIX");
  plan.timeoutMs = 240000;

  test::EasyWalker walker(plan);
  KelvaneApp app;
  app.SetSheetHook([&walker](CPshMain& sheet) { walker.Attach(&sheet); });
  const int exitCode = app.Run();
  const test::WalkResult& result = walker.Result();

  if (!Env("KELVANE_WALK_REPORT").isEmpty()) {
    QFile file(Env("KELVANE_WALK_REPORT"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QTextStream out(&file);
    QStringList pages;
    for (std::uint32_t code : result.pages) pages << QString::number(code);
    out << "finished=" << (result.finished ? 1 : 0) << "\n";
    out << "failure=" << result.failure << "\n";
    out << "pages=" << pages.join(QLatin1Char(',')) << "\n";
    out << "finish=" << result.finishText << "\n";
    for (const QString& url : result.opened) out << "opened=" << url << "\n";
    for (const QString& m : result.messages) out << "message=" << QString(m).replace(QLatin1Char('\n'), QLatin1Char(' ')) << "\n";
    out << "prompts=" << result.prompts << "\n";
    out << "logins=" << result.logins << "\n";
    out << "elapsed_ms=" << result.elapsedMs << "\n";
    for (const QString& s : result.shots) out << "shot=" << s << "\n";
  }
  EXPECT_EQ(exitCode, KelvaneApp::kExitOk);
  EXPECT_TRUE(result.finished) << result.failure.toStdString();
}

}  // namespace
}  // namespace kelvane

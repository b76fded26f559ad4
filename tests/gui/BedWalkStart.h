// What both real-program walks do before the program starts: refuse any
// namespace but the test bed's PC, put back the real PC network and the real
// discovery broadcast, and point the Internet checks at the bed's hosts
// (KELVANE_WALK_PUBLIC_HOST/_DNS/_SITE, as --public-host and its siblings).
#pragma once

#include <QByteArray>
#include <QTemporaryDir>
#include <QtGlobal>

#include <string>
#include <utility>
#include <vector>

#include "app/StartupOptions.h"
#include "net/host/HostNetwork.h"
#include "netns/NetnsFixture.h"
#include "state/ProbeTarget.h"

namespace kelvane::test {

// Empty when the walk may start; otherwise why not. |runtime| stands in for
// XDG_RUNTIME_DIR when the environment has none.
inline std::string StartBedWalk(const QTemporaryDir& runtime) {
  std::string why;
  if (!testbed::InsideTheBedsPc(why)) return "refusing to walk the wizard outside the test bed's PC namespace: " + why;
  SetActiveHostNetwork(nullptr);
  ProbeTarget::Instance() = ProbeTarget{};
  std::vector<std::string> args = {"kelvane"};
  const std::pair<const char*, const char*> targets[] = {{"KELVANE_WALK_PUBLIC_HOST", "--public-host"},
                                                         {"KELVANE_WALK_PUBLIC_DNS", "--public-dns"},
                                                         {"KELVANE_WALK_SITE", "--test-site"}};
  for (const auto& [env, option] : targets) {
    const QByteArray value = qgetenv(env);
    if (value.isEmpty()) return std::string(env) + " must name a host of the test bed";
    args.push_back(option);
    args.push_back(value.toStdString());
  }
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  StartupOptions options;
  std::string error;
  if (!ParseStartupOptions(static_cast<int>(argv.size()), argv.data(), options, error)) return error;
  ApplyInternetTargets(options);
  if (!runtime.isValid()) return "no temporary runtime directory";
  if (qgetenv("XDG_RUNTIME_DIR").isEmpty()) qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
  return {};
}

}  // namespace kelvane::test

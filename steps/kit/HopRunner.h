// The straight sequences of the wizard — storing the settings, the WAN test,
// the connection test — are tables of hops: each row names its progress
// text, its failure text, what a failure means, and the operation. One runner
// narrates and runs every such table, so a page declares its sequence as data
// and a test compares the table with the page's failure table row by row.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "steps/kit/Narrator.h"

namespace kelvane {

enum class HopPolicy {
  kStopOnFailure,   // a failure shows the failure text and ends the run
  kIgnoreOutcome,   // the operation's answer is not looked at
  kRecordAndGoOn,   // a failure is recorded (verdict, failure text) and the run goes on
};

// How the hops are told.
struct HopNarration {
  // false: each progress text replaces the message area and is followed by
  // pauseMs; true: a coloured log (progress text, ": ", then the verdict word
  // in green or red, then pauseMs).
  bool log = false;
  int pauseMs = kNarrationPauseMs;
  StringId passWord = 0;  // log only: the verdict words
  StringId failWord = 0;
};

// One row. `run` gets the step's context; `applies` (optional) decides whether
// the row runs at all (a skipped row says nothing and sends nothing).
template <class Ctx>
struct Hop {
  StringId progressId = 0;  // 0: the row runs silently, without a pause
  StringId failureId = 0;   // 0: a failure says nothing
  HopPolicy policy = HopPolicy::kStopOnFailure;
  bool (*run)(Ctx&) = nullptr;
  bool (*applies)(const Ctx&) = nullptr;
};

enum class HopVerdict : std::int8_t { kSkipped = -1, kFailed = 0, kPassed = 1, kIgnored = 2 };

struct HopReport {
  bool passed = true;         // no stopping or recorded failure
  int stoppedAt = -1;         // index of the row that ended the run, -1 when none did
  StringId failureId = 0;     // failure text of that row, or of the last recorded failure
  std::vector<HopVerdict> verdicts;  // one per row; rows after a stop stay kSkipped
  std::vector<std::uint64_t> elapsedMs;  // one per row, on the narrator's clock
};

template <class Ctx>
HopReport RunHops(Narrator& narrator, Ctx& context, std::span<const Hop<Ctx>> hops,
                  const HopNarration& how = {}) {
  HopReport report;
  report.verdicts.assign(hops.size(), HopVerdict::kSkipped);
  report.elapsedMs.assign(hops.size(), 0);
  bool firstLogged = true;
  for (std::size_t i = 0; i < hops.size(); ++i) {
    const Hop<Ctx>& hop = hops[i];
    if (hop.applies != nullptr && !hop.applies(context)) continue;
    if (hop.progressId != 0) {
      if (how.log) {
        if (!firstLogged) narrator.AppendText("\n\n");
        firstLogged = false;
        narrator.Append(hop.progressId);
        narrator.AppendText(": ");
      } else {
        narrator.SayAndPause(hop.progressId, how.pauseMs);
      }
    }
    const std::uint64_t startMs = narrator.NowMs();
    const bool ok = hop.run != nullptr && hop.run(context);
    report.elapsedMs[i] = narrator.NowMs() - startMs;
    if (how.log && hop.progressId != 0) {
      const StringId word = ok ? how.passWord : how.failWord;
      if (word != 0) narrator.Append(word, ok ? NarrationColour::kGood : NarrationColour::kBad);
      narrator.Pause(how.pauseMs);
    }
    if (hop.policy == HopPolicy::kIgnoreOutcome) {
      report.verdicts[i] = HopVerdict::kIgnored;
      continue;
    }
    report.verdicts[i] = ok ? HopVerdict::kPassed : HopVerdict::kFailed;
    if (ok) continue;
    report.passed = false;
    report.failureId = hop.failureId;
    if (hop.policy == HopPolicy::kStopOnFailure) {
      report.stoppedAt = static_cast<int>(i);
      if (hop.failureId != 0 && !how.log) narrator.Say(hop.failureId);
      if (hop.failureId != 0 && how.log) narrator.Append(hop.failureId, NarrationColour::kBad);
      return report;
    }
  }
  return report;
}

// Counts `totalMs` down on the narrator's clock: every `tickMs` the message
// area shows "<text of id>.....<s>" with the whole seconds left, so a
// 22-second countdown shows 22, 21, ... 1 and never 0.
void RunCountdown(Narrator& narrator, StringId id, int totalMs, int tickMs = 100);

}  // namespace kelvane

// Keeps the hops of an Internet test in the session record, for the
// diagnostic report: which test, each hop's text, verdict and time.
#pragma once

#include <span>

#include "language/StringIds.h"
#include "state/SessionRecord.h"
#include "steps/kit/HopRunner.h"

namespace kelvane {

// `silentLabel` names a row that narrates nothing (progress text 0).
template <class Ctx>
void RecordTest(StringId titleId, std::span<const Hop<Ctx>> hops, const HopReport& report, StringId silentLabel,
                SessionRecord& record = SessionRecord::Instance()) {
  record.lastTestTitleId = titleId;
  record.lastTest.clear();
  for (std::size_t i = 0; i < hops.size() && i < report.verdicts.size(); ++i) {
    const StringId label = hops[i].progressId != 0 ? hops[i].progressId : silentLabel;
    record.lastTest.push_back({label, static_cast<int>(report.verdicts[i]), report.elapsedMs[i]});
  }
  record.lastTestResultId = report.passed ? 0 : report.failureId;
}

}  // namespace kelvane

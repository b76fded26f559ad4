// What this run of the program saw, kept for the diagnostic report and for
// the notes of later pages: the hops of the last Internet test (which test,
// each hop's text, verdict and time) and the router's WAN address the last
// test or status check read. Kept in memory only; nothing is saved.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelvane {

struct HopRecord {
  std::uint32_t labelId = 0;  // the hop's progress text
  int verdict = 0;            // as HopVerdict: -1 skipped, 0 failed, 1 passed, 2 not looked at
  std::uint64_t ms = 0;       // how long the hop took
};

struct SessionRecord {
  static SessionRecord& Instance();

  std::uint32_t lastTestTitleId = 0;  // 0: no test ran in this session
  std::vector<HopRecord> lastTest;
  std::uint32_t lastTestResultId = 0;  // the failure text, 0 when every hop passed
  std::string wanAddress;              // empty when not read or not reported
  // Notes of the last WAN test that passed with hops ignoring echo (string
  // IDs, for the finish page); empty after any other run.
  std::vector<std::uint32_t> wanTestNotes;
};

}  // namespace kelvane

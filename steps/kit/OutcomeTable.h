// Every step ends in an outcome enum; what the user reads for each outcome is
// data: a constexpr table from outcome to string ID, written down once beside
// the step. The page looks the message up, and the tests compare the table
// with the page's failure table row by row.
#pragma once

#include <span>

#include "language/StringIds.h"

namespace kelvane {

template <class Outcome>
struct OutcomeMessage {
  Outcome outcome;
  StringId message;  // 0: the outcome shows nothing of its own
};

// The string of `outcome` in `table`; 0 when the table has no row for it.
template <class Outcome>
constexpr StringId MessageFor(std::span<const OutcomeMessage<Outcome>> table, Outcome outcome) {
  for (const auto& row : table) {
    if (row.outcome == outcome) return row.message;
  }
  return 0;
}

}  // namespace kelvane

#include "steps/kit/Narrator.h"

namespace kelvane {

std::vector<StringId> RecordingNarrator::SaidIds() const {
  std::vector<StringId> ids;
  for (const Event& e : events_) {
    if ((e.kind == Kind::kSay || e.kind == Kind::kAppend) && e.id != 0) ids.push_back(e.id);
  }
  return ids;
}

StringId RecordingNarrator::LastSaid() const {
  for (auto it = events_.rbegin(); it != events_.rend(); ++it) {
    if (it->kind == Kind::kSay) return it->id;
  }
  return 0;
}

std::vector<int> RecordingNarrator::CountdownSeconds() const {
  std::vector<int> seconds;
  for (const Event& e : events_) {
    if (e.kind == Kind::kCountdown) seconds.push_back(e.value);
  }
  return seconds;
}

std::uint64_t RecordingNarrator::PausedMs() const {
  std::uint64_t total = 0;
  for (const Event& e : events_) {
    if (e.kind == Kind::kPause && e.value > 0) total += static_cast<std::uint64_t>(e.value);
  }
  return total;
}

}  // namespace kelvane

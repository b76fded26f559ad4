// How a step tells the user what it is doing. A step (Qt-free) narrates
// through this interface; the page gives it a narrator that writes the page's
// message area (QtNarrator), and the step tests give it one that records
// every call (RecordingNarrator), so a test asserts the exact sequence of
// messages and pauses without a window.
//
// Pauses and the clock belong to the narrator too: the window's narrator
// pauses on the scaled clock while the event loop runs; the recording one
// only advances a clock of its own, so a 22-second countdown costs nothing in
// a test.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "language/StringIds.h"

namespace kelvane {

// The colours a narration may be drawn in. kBusy is the "working" colour of
// the status lines, kGood green, kBad red, kHeading the blue of headings.
enum class NarrationColour { kDefault, kBusy, kGood, kBad, kHeading };

// The narration pause every progress text is followed by.
inline constexpr int kNarrationPauseMs = 500;

class Narrator {
 public:
  virtual ~Narrator() = default;

  // Replaces the message area with the text of string `id`, repainted at once.
  virtual void Say(StringId id) = 0;
  // The same with a literal text (UTF-8); used for composed lines.
  virtual void SayText(const std::string& utf8) = 0;
  // Adds a line below what the area shows (a log): string `id` or a literal.
  // Id 0 with an empty text adds an empty line.
  virtual void Append(StringId id, NarrationColour colour = NarrationColour::kDefault) = 0;
  virtual void AppendText(const std::string& utf8, NarrationColour colour = NarrationColour::kDefault) = 0;
  // Shows "<text of id>.....<secondsLeft>", the countdown line.
  virtual void Countdown(StringId id, int secondsLeft) = 0;
  // Waits `ms` on the narrator's clock (scaled in the window, virtual in tests).
  virtual void Pause(int ms) = 0;
  // Milliseconds on the narrator's clock, monotonic; the clock Pause advances.
  virtual std::uint64_t NowMs() = 0;

  // Say(id) followed by Pause(ms): the way every step announces itself.
  void SayAndPause(StringId id, int ms = kNarrationPauseMs) {
    Say(id);
    Pause(ms);
  }
};

// A narrator that writes nothing anywhere and records every call, for tests.
class RecordingNarrator : public Narrator {
 public:
  enum class Kind { kSay, kSayText, kAppend, kAppendText, kCountdown, kPause };
  struct Event {
    Kind kind;
    StringId id = 0;
    std::string text;
    int value = 0;  // pause ms, or seconds left of a countdown
    NarrationColour colour = NarrationColour::kDefault;
  };

  void Say(StringId id) override { events_.push_back({Kind::kSay, id, {}, 0, NarrationColour::kDefault}); }
  void SayText(const std::string& utf8) override {
    events_.push_back({Kind::kSayText, 0, utf8, 0, NarrationColour::kDefault});
  }
  void Append(StringId id, NarrationColour colour) override { events_.push_back({Kind::kAppend, id, {}, 0, colour}); }
  void AppendText(const std::string& utf8, NarrationColour colour) override {
    events_.push_back({Kind::kAppendText, 0, utf8, 0, colour});
  }
  void Countdown(StringId id, int secondsLeft) override {
    events_.push_back({Kind::kCountdown, id, {}, secondsLeft, NarrationColour::kDefault});
  }
  void Pause(int ms) override {
    events_.push_back({Kind::kPause, 0, {}, ms, NarrationColour::kDefault});
    if (ms > 0) nowMs_ += static_cast<std::uint64_t>(ms);
  }
  std::uint64_t NowMs() override { return nowMs_; }

  const std::vector<Event>& Events() const { return events_; }
  void Clear() { events_.clear(); }
  // The string IDs of Say and Append events, in order (what the user read).
  std::vector<StringId> SaidIds() const;
  // The string ID the message area showed last (Say), 0 when none.
  StringId LastSaid() const;
  // The seconds shown by the countdown events, in order.
  std::vector<int> CountdownSeconds() const;
  // The sum of all pauses, in milliseconds.
  std::uint64_t PausedMs() const;

 private:
  std::vector<Event> events_;
  std::uint64_t nowMs_ = 0;
};

}  // namespace kelvane

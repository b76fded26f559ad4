// How long the wizard's windows take to answer a window manager's ping, as a
// desktop sees it: an X client (no Qt) that sends _NET_WM_PING to every mapped
// top-level window that lists the protocol in its WM_PROTOCOLS, one ping per
// window in flight, a new one `--interval-ms` after the last answer, and
// times each round trip. A client answers by sending the message back to the
// root window for the window manager, with an event mask of its choosing (Qt
// 6.4: structure notify and substructure redirect); this client selects both
// kinds of notify on the root, so it hears the answer with no window manager
// running. A round trip is as long as the client's event loop was kept from
// running, to within the interval.
//
//   wm_ping_probe [--interval-ms=2] [--seconds=N] [--until-gone=PID] [--report=FILE]
//
// Runs until SIGTERM/SIGINT, N seconds, or the process PID has ended, then
// prints (to stdout and FILE) the pings answered, the median, 99th percentile
// and longest round trip, the rounds over 16 ms (each with when it was sent)
// and the pings lost to a window that went away. A measurement, not a test.
#include <signal.h>
#include <poll.h>
#include <sys/types.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

volatile sig_atomic_t gStop = 0;
void OnSignal(int) { gStop = 1; }

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
  xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
  const xcb_atom_t atom = r != nullptr ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
  std::free(r);
  return atom;
}

struct Target {
  bool inFlight = false;
  std::uint32_t serial = 0;
  Clock::time_point sentAt;
  Clock::time_point nextAt;
};

struct Probe {
  xcb_connection_t* c = nullptr;
  xcb_window_t root = 0;
  xcb_atom_t protocols = 0;
  xcb_atom_t ping = 0;
  std::chrono::microseconds interval{2000};
  std::map<xcb_window_t, Target> targets;
  std::uint32_t serial = 0;
  std::vector<double> roundsMs;
  std::vector<std::pair<double, double>> slow;  // (sent, seconds after the start; ms) of rounds over 16 ms
  double longestMs = 0;
  double longestAtS = 0;
  int lost = 0;
  double lostLongestMs = 0;  // how long the longest of those had waited
  Clock::time_point start = Clock::now();

  // Whether `w` is mapped and takes pings.
  bool TakesPings(xcb_window_t w) {
    xcb_get_window_attributes_reply_t* a = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr);
    const bool viewable = a != nullptr && a->map_state != XCB_MAP_STATE_UNMAPPED;
    std::free(a);
    if (!viewable) return false;
    xcb_get_property_reply_t* p =
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, protocols, XCB_ATOM_ATOM, 0, 32), nullptr);
    bool takes = false;
    if (p != nullptr && p->format == 32) {
      const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(p));
      const int n = xcb_get_property_value_length(p) / 4;
      takes = std::find(atoms, atoms + n, ping) != atoms + n;
    }
    std::free(p);
    return takes;
  }

  void Consider(xcb_window_t w) {
    if (targets.count(w) == 0 && TakesPings(w)) targets[w].nextAt = Clock::now();
  }

  void Forget(xcb_window_t w) {
    const auto it = targets.find(w);
    if (it == targets.end()) return;
    if (it->second.inFlight) {
      ++lost;
      lostLongestMs = std::max(
          lostLongestMs, std::chrono::duration<double, std::milli>(Clock::now() - it->second.sentAt).count());
    }
    targets.erase(it);
  }

  void ScanTree() {
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr);
    if (tree == nullptr) return;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) Consider(children[i]);
    std::free(tree);
  }

  void Send(xcb_window_t w, Target& t) {
    xcb_client_message_event_t e{};
    e.response_type = XCB_CLIENT_MESSAGE;
    e.format = 32;
    e.window = w;
    e.type = protocols;
    e.data.data32[0] = ping;
    e.data.data32[1] = t.serial = ++serial;  // the "time stamp" comes back as sent
    e.data.data32[2] = w;
    xcb_send_event(c, 0, w, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&e));
    t.inFlight = true;
    t.sentAt = Clock::now();
  }

  void Answered(const xcb_client_message_event_t* e) {
    const auto it = targets.find(e->data.data32[2]);
    if (it == targets.end() || !it->second.inFlight || it->second.serial != e->data.data32[1]) return;
    const Clock::time_point now = Clock::now();
    const double ms = std::chrono::duration<double, std::milli>(now - it->second.sentAt).count();
    roundsMs.push_back(ms);
    if (ms > 16.0) slow.emplace_back(std::chrono::duration<double>(it->second.sentAt - start).count(), ms);
    if (ms > longestMs) {
      longestMs = ms;
      longestAtS = std::chrono::duration<double>(it->second.sentAt - start).count();
    }
    it->second.inFlight = false;
    it->second.nextAt = now + interval;
  }

  void Handle(xcb_generic_event_t* ev) {
    switch (ev->response_type & 0x7f) {
      case XCB_MAP_NOTIFY: {
        const auto* m = reinterpret_cast<xcb_map_notify_event_t*>(ev);
        if (m->event == root) Consider(m->window);
        break;
      }
      case XCB_UNMAP_NOTIFY: {
        const auto* u = reinterpret_cast<xcb_unmap_notify_event_t*>(ev);
        if (u->event == root) Forget(u->window);
        break;
      }
      case XCB_DESTROY_NOTIFY:
        Forget(reinterpret_cast<xcb_destroy_notify_event_t*>(ev)->window);
        break;
      case XCB_CLIENT_MESSAGE: {
        const auto* m = reinterpret_cast<xcb_client_message_event_t*>(ev);
        if (m->window == root && m->type == protocols && m->data.data32[0] == ping) Answered(m);
        break;
      }
      default:
        break;
    }
  }
};

bool Running(pid_t pid) { return pid <= 0 || kill(pid, 0) == 0; }

}  // namespace

int main(int argc, char** argv) {
  int intervalMs = 2;
  double seconds = 0;
  pid_t watched = 0;
  std::string reportFile;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--interval-ms=", 0) == 0) intervalMs = std::max(0, std::atoi(arg.c_str() + 14));
    else if (arg.rfind("--seconds=", 0) == 0) seconds = std::atof(arg.c_str() + 10);
    else if (arg.rfind("--until-gone=", 0) == 0) watched = static_cast<pid_t>(std::atol(arg.c_str() + 13));
    else if (arg.rfind("--report=", 0) == 0) reportFile = arg.substr(9);
    else {
      std::fprintf(stderr, "usage: wm_ping_probe [--interval-ms=2] [--seconds=N] [--until-gone=PID] [--report=FILE]\n");
      return 2;
    }
  }
  signal(SIGTERM, OnSignal);
  signal(SIGINT, OnSignal);
  Probe p;
  p.interval = std::chrono::microseconds(intervalMs * 1000);
  p.c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(p.c)) {
    std::fprintf(stderr, "wm_ping_probe: cannot reach the X server\n");
    return 1;
  }
  p.root = xcb_setup_roots_iterator(xcb_get_setup(p.c)).data->root;
  p.protocols = Atom(p.c, "WM_PROTOCOLS");
  p.ping = Atom(p.c, "_NET_WM_PING");
  const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(p.c, p.root, XCB_CW_EVENT_MASK, &mask);
  p.ScanTree();
  xcb_flush(p.c);
  const int fd = xcb_get_file_descriptor(p.c);
  while (!gStop && Running(watched) && !xcb_connection_has_error(p.c)) {
    const Clock::time_point now = Clock::now();
    if (seconds > 0 && now - p.start > std::chrono::duration<double>(seconds)) break;
    Clock::time_point wake = now + std::chrono::milliseconds(50);
    for (auto& [w, t] : p.targets) {
      if (!t.inFlight && t.nextAt <= now) p.Send(w, t);
      if (!t.inFlight) wake = std::min(wake, t.nextAt);
    }
    xcb_flush(p.c);
    const auto waitUs = std::chrono::duration_cast<std::chrono::microseconds>(wake - Clock::now()).count();
    const timespec timeout{0, static_cast<long>(std::max<long long>(0, waitUs)) * 1000};
    pollfd entry{fd, POLLIN, 0};
    ppoll(&entry, 1, &timeout, nullptr);
    while (xcb_generic_event_t* ev = xcb_poll_for_event(p.c)) {
      p.Handle(ev);
      std::free(ev);
    }
  }
  int inFlight = 0;
  double inFlightMs = 0;
  for (const auto& [w, t] : p.targets) {
    if (!t.inFlight) continue;
    ++inFlight;
    inFlightMs = std::max(inFlightMs, std::chrono::duration<double, std::milli>(Clock::now() - t.sentAt).count());
  }
  std::vector<double> rounds = p.roundsMs;
  std::sort(rounds.begin(), rounds.end());
  const auto at = [&](double q) {
    return rounds.empty() ? 0.0 : rounds[static_cast<std::size_t>(q * static_cast<double>(rounds.size() - 1))];
  };
  const long over = std::count_if(rounds.begin(), rounds.end(), [](double ms) { return ms > 16.0; });
  char line[512];
  std::snprintf(line, sizeof line,
                "_NET_WM_PING round trips: %zu answered, median %.2f ms, 99th percentile %.2f ms, longest %.2f ms "
                "(sent %.2f s after the start), %ld over 16 ms; %d lost to windows that went away (the longest had "
                "waited %.2f ms), %d unanswered at the end (%.2f ms)\n",
                rounds.size(), at(0.5), at(0.99), p.longestMs, p.longestAtS, over, p.lost, p.lostLongestMs, inFlight,
                inFlightMs);
  std::string report = line;
  if (!p.slow.empty()) {
    report += "rounds over 16 ms (sent at s: ms):";
    for (const auto& [at, ms] : p.slow) {
      std::snprintf(line, sizeof line, " %.2f: %.1f", at, ms);
      report += line;
    }
    report += "\n";
  }
  std::fputs(report.c_str(), stdout);
  if (!reportFile.empty()) {
    if (std::FILE* f = std::fopen(reportFile.c_str(), "w")) {
      std::fputs(report.c_str(), f);
      std::fclose(f);
    }
  }
  xcb_disconnect(p.c);
  return 0;
}

#!/usr/bin/env bash
# The wizard against an emulated router, in private network namespaces.
#
#   scripts/demo.sh [options] [-- kelvane options...]     (as root, or: sudo -E scripts/demo.sh ...)
#
#   --no-build       use the programs already built
#   --build-dir DIR  the build folder (default build/)
#   --static-pc      give the PC a fixed address instead of asking DHCP
#                    (the wizard then offers to switch it to DHCP; with --walk
#                    the PC starts outside the router's network and the walk
#                    switches it to DHCP through dhclient)
#   --xvfb           run on a virtual display even when there is a real one
#   --seconds N      on the virtual display: how long the wizard runs (default 10)
#   --shots DIR      where the virtual display's screenshots go (default demo-shots/)
#   --walk           drive the whole easy road by itself on a virtual display,
#                    once for a router on dynamic IP and once for one that
#                    proposes PPPoE and dials on demand; saves a picture of
#                    every page and state and prints the emulator's final state
#   --wm-ping        with --walk: time the window manager's ping to the wizard's
#                    windows every 2 ms during each walk (wm_ping_probe, an X
#                    client in the PC beside the wizard) and print the round
#                    trips; no pictures are taken then
#   --router-delay MS  the emulated router waits MS before every answer
#
# It builds the wizard, the router emulator and the language modules (build/),
# makes the namespace test bed (scripts/netns-bed.sh: pc <-> router <-> isp),
# starts the emulator at 192.168.123.254 in the router namespace beside its
# dnsmasq (DHCP and DNS), and runs the wizard as the PC on your display
# ($DISPLAY, or $WAYLAND_DISPLAY when Qt's Wayland plug-in is installed). With
# no display it uses Xvfb and saves a screenshot of every page shown. The
# wizard's Internet checks aim at the test bed's "public" hosts. Everything is
# removed when the demo ends, however it ends.
#
# Root is needed for the network namespaces; nothing is changed in the
# machine's own network.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)

# The whole comment at the top, without its "# ".
usage() { sed -n '2,/^[^#]/{/^#/{s/^# \{0,1\}//;p}}' "$0"; }

build=1
build_dir=build
static_pc=0
force_xvfb=0
seconds=10
shots=$top/demo-shots
walk=0
wm_ping=0
router_delay=0
kelvane_args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --no-build) build=0; shift ;;
    --build-dir) build_dir=${2:?--build-dir needs a folder}; shift 2 ;;
    --static-pc) static_pc=1; shift ;;
    --xvfb) force_xvfb=1; shift ;;
    --seconds) seconds=${2:?--seconds needs a value}; shift 2 ;;
    --shots) shots=${2:?--shots needs a folder}; shift 2 ;;
    --walk) walk=1; shift ;;
    --wm-ping) wm_ping=1; shift ;;
    --router-delay) router_delay=${2:?--router-delay needs milliseconds}; shift 2 ;;
    --) shift; kelvane_args=("$@"); break ;;
    -h|--help) usage; exit 0 ;;
    *) echo "demo.sh: unknown option $1 (see --help)" >&2; exit 2 ;;
  esac
done
case "$seconds" in ''|*[!0-9]*) echo "demo.sh: --seconds wants a whole number" >&2; exit 2 ;; esac
case "$router_delay" in ''|*[!0-9]*) echo "demo.sh: --router-delay wants a whole number" >&2; exit 2 ;; esac

if [ "$(id -u)" -ne 0 ]; then
  echo "demo.sh: this demo needs root: it makes network namespaces, virtual cables and a DHCP" >&2
  echo "server for the emulated router. Run it as: sudo -E scripts/demo.sh" >&2
  echo "(-E keeps DISPLAY and XAUTHORITY, so the wizard appears on your screen)" >&2
  exit 1
fi

# ---- build ----
if [ "$build" -eq 1 ]; then
  scripts/install-deps.sh
  if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  fi
  targets=(kelvane lmq-routersim)
  [ "$walk" -eq 1 ] && targets+=(startup_easy_walk_test kelvane-cli)
  [ "$wm_ping" -eq 1 ] && targets+=(wm_ping_probe)
  cmake --build "$build_dir" -j 2 --target "${targets[@]}"
fi
bin=$(cd "$build_dir/bin" 2>/dev/null && pwd) || { echo "demo.sh: $build_dir/bin is missing; run without --no-build" >&2; exit 1; }
for program in "$bin/kelvane" "$bin/lmq-routersim"; do
  if [ ! -x "$program" ]; then
    echo "demo.sh: $program is missing; run without --no-build" >&2
    exit 1
  fi
done

# ---- clean-up, whatever happens from here on ----
tag=demo$$
bed() { scripts/netns-bed.sh "$1" --tag "$tag" "${@:2}"; }
work=$(mktemp -d /tmp/kelvane-demo.XXXXXX)
xvfb_pid=
kelvane_pid=
probe_pid=
cleanup() {
  local rc=$?
  trap - EXIT INT TERM HUP
  [ -n "$probe_pid" ] && kill "$probe_pid" 2>/dev/null || true
  [ -n "$kelvane_pid" ] && kill "$kelvane_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  bed down >/dev/null 2>&1 || true
  rm -rf "$work"
  echo "demo.sh: test bed removed"
  exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

# ---- the easy road walked by itself ----
# The walker is a test program that runs the wizard's real start-up routine and
# presses what a person would press; it refuses to run outside the bed's PC.
if [ "$walk" -eq 1 ]; then
  # Pictures are taken on the wizard's own thread: not while its pauses are timed.
  walk_shots=$shots
  [ "$wm_ping" -eq 1 ] && walk_shots=
  walk_programs=("$bin/startup_easy_walk_test" "$bin/kelvane-cli")
  [ "$wm_ping" -eq 1 ] && walk_programs+=("$bin/wm_ping_probe")
  for program in "${walk_programs[@]}"; do
    [ -x "$program" ] || { echo "demo.sh: $program is missing; run without --no-build" >&2; exit 1; }
  done
  if ! command -v Xvfb >/dev/null; then
    echo "demo.sh: --walk needs Xvfb (apt-get install xvfb)" >&2
    exit 1
  fi
  mkdir -p "$shots"
  status=0
  pc_address() { bed exec pc ip -4 -o addr show dev lan0 2>/dev/null | awk '{print $4}' | tr '\n' ' '; }
  walk_road() {  # NAME, then emulator options
    local name=$1
    shift
    echo "demo.sh: ---- $name: making the test bed (tag $tag)"
    local pc=dhclient dhcp_answer=()
    [ "$static_pc" -eq 1 ] && pc=fixed dhcp_answer=(--answer-dhcp)
    bed up --pc "$pc" >/dev/null
    bed spawn router "$work/$name-routersim.log" "$bin/lmq-routersim" --listen 192.168.123.254 --log \
      --restart-ms 3000 --isp-gateway 198.51.100.1 --isp-dns1 198.51.100.1 --isp-dns2 "" \
      --isp-wan-address 100.64.23.45 --delay "$router_delay" "${dhcp_answer[@]}" "$@" >/dev/null
    local up=0
    for _ in $(seq 1 100); do
      if ip netns exec "kvrt-$tag" bash -c 'exec 3<>/dev/tcp/192.168.123.254/80' 2>/dev/null; then up=1; break; fi
      sleep 0.1
    done
    [ "$up" -eq 1 ] || { echo "demo.sh: the emulated router did not start" >&2; cat "$work/$name-routersim.log" >&2; return 1; }
    # A virtual display inside the PC's namespace.
    local number=99
    while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
    ip netns exec "kvpc-$tag" Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X$number" ] && break; sleep 0.05; done
    local rc=0
    if [ "$wm_ping" -eq 1 ]; then
      # ip netns exec becomes the probe: its PID is the probe's.
      ip netns exec "kvpc-$tag" env DISPLAY=":$number" "$bin/wm_ping_probe" --interval-ms=2 \
        --report="$work/$name.wm-ping" >"$work/$name-wm-ping.log" 2>&1 &
      probe_pid=$!
    fi
    echo "demo.sh: $name: the PC's address before the walk: $(pc_address)"
    echo "demo.sh: $name: the wizard walks the easy road on display :$number"
    bed exec pc env DISPLAY=":$number" QT_QPA_PLATFORM=xcb LANG=en_US.UTF-8 LC_ALL= \
      KELVANE_TIME_SCALE="${KELVANE_TIME_SCALE:-1}" KELVANE_WALK=1 \
      KELVANE_WALK_PUBLIC_HOST=203.0.113.80 KELVANE_WALK_PUBLIC_DNS=198.51.100.1 KELVANE_WALK_SITE=www.kelvane.test \
      KELVANE_WALK_PPPOE="demo@provider:demo word" KELVANE_WALK_SHOTS="$walk_shots" KELVANE_WALK_PREFIX="$name" \
      KELVANE_WALK_REPORT="$work/$name.report" "$bin/startup_easy_walk_test" >"$work/$name-walk.log" 2>&1 || rc=$?
    if [ -n "$probe_pid" ]; then
      kill -TERM "$probe_pid" 2>/dev/null || true
      wait "$probe_pid" 2>/dev/null || true
      probe_pid=
      echo "demo.sh: $name: as a window manager saw it (router answering after ${router_delay} ms):"
      sed 's/^/  /' "$work/$name.wm-ping" 2>/dev/null || { echo "  no report; the probe's log:"; cat "$work/$name-wm-ping.log"; }
    fi
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=
    echo "demo.sh: $name: the PC's address after the walk: $(pc_address)"
    echo "demo.sh: $name: the walk says:"
    grep -E '^(finished|failure|pages|finish|opened|message)=' "$work/$name.report" 2>/dev/null | sed 's/^/  /' || true
    [ "$rc" -eq 0 ] || { echo "demo.sh: $name: the walk failed; its log:" >&2; tail -n 30 "$work/$name-walk.log" >&2; }
    echo "demo.sh: $name: what the router received:"
    grep -E '^(GET|POST|WAKE-UP|RESTART|BACK)' "$work/$name-routersim.log" | sed 's/^/  /'
    echo "demo.sh: $name: the emulator's final state, read from the PC:"
    local cli=("$bin/kelvane-cli" --router 192.168.123.254)
    for what in wireless wan-settings wan-addr; do
      echo "  [$what]"
      bed exec pc "${cli[@]}" read "$what" </dev/null 2>&1 | sed 's/^/    /' || true
    done
    bed down >/dev/null 2>&1 || true
    return "$rc"
  }
  walk_road dynamic-ip || status=1
  walk_road pppoe --wan-service pppoe --wan-type 0200 --dial-on-demand lan0 || status=1
  shopt -s nullglob
  pictures=("$shots"/dynamic-ip-*.png "$shots"/pppoe-*.png)
  echo "demo.sh: ${#pictures[@]} pictures of the pages and their states in $shots"
  [ -n "${SUDO_USER:-}" ] && chown -R "$SUDO_USER" "$shots" 2>/dev/null || true
  exit "$status"
fi

# ---- the test bed and the router ----
echo "demo.sh: making the test bed (tag $tag)"
bed up
pc_ns=kvpc-$tag
rt_ns=kvrt-$tag

echo "demo.sh: starting the emulated router at 192.168.123.254"
# The discovery responder listens on the wildcard address beside dnsmasq's
# DHCP socket, because a socket bound to 192.168.123.254 never sees a limited
# broadcast; it answers to the LAN's own broadcast address, because a limited
# broadcast from the router namespace would leave through its default route
# (the WAN side).
# The provider hands out an address of its shared space: the wizard says so.
bed spawn router "$work/routersim.log" "$bin/lmq-routersim" --address 192.168.123.254 \
  --udp-address 0.0.0.0 --reply-address 192.168.123.255 --isp-wan-address 100.64.23.45 --log >/dev/null
router_up=0
for _ in $(seq 1 100); do
  if ip netns exec "$rt_ns" bash -c 'exec 3<>/dev/tcp/192.168.123.254/80' 2>/dev/null; then
    router_up=1
    break
  fi
  sleep 0.1
done
if [ "$router_up" -ne 1 ]; then
  echo "demo.sh: the emulated router did not start; its log:" >&2
  cat "$work/routersim.log" >&2 || true
  exit 1
fi

# The PC: an address from the router's DHCP server, like a PC just plugged in.
if [ "$static_pc" -eq 0 ] && command -v dhclient >/dev/null; then
  echo "demo.sh: the PC asks the router for an address (DHCP)"
  if ! timeout 30 ip netns exec "$pc_ns" dhclient -1 -pf "$work/dhclient.pid" -lf "$work/dhclient.leases" \
      lan0 >"$work/dhclient.log" 2>&1; then
    echo "demo.sh: no DHCP lease; giving the PC a fixed address instead" >&2
    static_pc=1
  fi
fi
if [ "$static_pc" -eq 1 ]; then
  ip -n "$pc_ns" addr add 192.168.123.10/24 dev lan0
  ip -n "$pc_ns" route add default via 192.168.123.254
fi
echo "demo.sh: PC address: $(ip -n "$pc_ns" -4 -brief addr show dev lan0 | awk '{print $3}')"

# ---- the display ----
# The wizard runs as root inside the pc namespace; its lock files go to a
# private folder so that they meet no other copy of the wizard.
runtime=$work/runtime
mkdir -m 700 "$runtime"
env_vars=(XDG_RUNTIME_DIR="$runtime" KELVANE_TIME_SCALE="${KELVANE_TIME_SCALE:-1}")
[ -n "${LANG:-}" ] && env_vars+=(LANG="$LANG")
[ -n "${LC_ALL:-}" ] && env_vars+=(LC_ALL="$LC_ALL")

user_runtime=${XDG_RUNTIME_DIR:-}
if [ -z "$user_runtime" ] && [ -n "${SUDO_UID:-}" ]; then user_runtime=/run/user/$SUDO_UID; fi
qt_plugins=$(find /usr/lib -path '*qt6/plugins/platforms' -type d 2>/dev/null | head -n1)

mode=xvfb
if [ "$force_xvfb" -eq 0 ]; then
  if [ -n "${WAYLAND_DISPLAY:-}" ] && [ -n "$qt_plugins" ] && ls "$qt_plugins"/libqwayland* >/dev/null 2>&1; then
    mode=wayland
  elif [ -n "${DISPLAY:-}" ]; then
    mode=x11
  elif [ -n "${WAYLAND_DISPLAY:-}" ]; then
    echo "demo.sh: Wayland without Qt's Wayland plug-in and no DISPLAY for XWayland: using Xvfb" >&2
  fi
fi

case "$mode" in
  wayland)
    socket=$WAYLAND_DISPLAY
    case "$socket" in /*) ;; *) socket=$user_runtime/$socket ;; esac
    env_vars+=(WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland)
    echo "demo.sh: the wizard opens on your Wayland display"
    ;;
  x11)
    auth=${XAUTHORITY:-}
    if [ -z "$auth" ] && [ -n "${SUDO_USER:-}" ]; then
      auth=$(getent passwd "$SUDO_USER" | cut -d: -f6)/.Xauthority
    fi
    [ -z "$auth" ] && auth=$HOME/.Xauthority
    env_vars+=(DISPLAY="$DISPLAY" QT_QPA_PLATFORM=xcb)
    if [ -r "$auth" ]; then
      # A copy: the wizard runs as root and must not lock the user's file.
      cp "$auth" "$work/Xauthority"
      env_vars+=(XAUTHORITY="$work/Xauthority")
    fi
    echo "demo.sh: the wizard opens on display $DISPLAY"
    ;;
  xvfb)
    if ! command -v Xvfb >/dev/null; then
      echo "demo.sh: no display and no Xvfb (apt-get install xvfb)" >&2
      exit 1
    fi
    number=99
    while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
    Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X$number" ] && break; sleep 0.05; done
    if [ ! -e "/tmp/.X11-unix/X$number" ]; then
      echo "demo.sh: Xvfb did not start; its log:" >&2
      cat "$work/xvfb.log" >&2
      exit 1
    fi
    mkdir -p "$shots"
    env_vars+=(DISPLAY=":$number" QT_QPA_PLATFORM=xcb KELVANE_DEMO_SCREENSHOT_DIR="$shots")
    echo "demo.sh: no display: the wizard runs on the virtual display :$number for $seconds s"
    ;;
esac

# ---- the wizard ----
# Its Internet checks aim at the isp namespace's hosts, never at real ones.
targets=(--public-host 203.0.113.1 --public-dns 198.51.100.1 --test-site www.kelvane.test)
ip netns exec "$pc_ns" env "${env_vars[@]}" "$bin/kelvane" "${targets[@]}" "${kelvane_args[@]}" &
kelvane_pid=$!

if [ "$mode" = xvfb ]; then
  for _ in $(seq 1 "$seconds"); do
    kill -0 "$kelvane_pid" 2>/dev/null || break
    sleep 1
  done
  if kill -0 "$kelvane_pid" 2>/dev/null; then
    kill "$kelvane_pid" 2>/dev/null || true
  fi
  wait "$kelvane_pid" 2>/dev/null || true
  kelvane_pid=
  shopt -s nullglob
  pictures=("$shots"/kelvane-*.png)
  if [ ${#pictures[@]} -eq 0 ]; then
    echo "demo.sh: the wizard left no screenshot" >&2
    exit 1
  fi
  echo "demo.sh: screenshots:"
  printf '  %s\n' "${pictures[@]}"
  [ -n "${SUDO_USER:-}" ] && chown -R "$SUDO_USER" "$shots" 2>/dev/null || true
else
  status=0
  wait "$kelvane_pid" || status=$?
  kelvane_pid=
  echo "demo.sh: the wizard ended (status $status)"
fi

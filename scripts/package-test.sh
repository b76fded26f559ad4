#!/usr/bin/env bash
# Checks the Debian packages that scripts/package.sh wrote into DIR (default
# build/packages/): validates the desktop entry and the AppStream metainfo,
# runs lintian (no errors allowed), tests the postinst's messages, installs
# both packages with apt, checks the capabilities (on the helper
# kelvane-netprobe only; a foreign style plug-in loaded into the wizard finds
# an empty capability set) and the installed programs (versions, language
# modules, manual pages, completion, an unprivileged discovery probe against
# the emulator on loopback through the helper, the helper's refusals), then
# purges them and checks that none of their files is left. Needs root;
# nothing leaves the loopback interface.
#
#   scripts/package-test.sh [DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
dir=${1:-build/packages}

if [ "$(id -u)" -ne 0 ]; then
  echo "package-test: skipped: installing packages needs root"
  exit 0
fi

failures=0
passes=0
pass() { passes=$((passes + 1)); echo "ok   $*"; }
fail() { failures=$((failures + 1)); echo "FAIL $*"; }
check() { # description command...
  local what=$1; shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}

shopt -s nullglob
debs=("$dir"/kelvane_*.deb)
sims=("$dir"/lmq-routersim_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ${#sims[@]} -ne 1 ]; then
  echo "package-test: want one kelvane_*.deb and one lmq-routersim_*.deb in $dir (scripts/package.sh)" >&2
  exit 1
fi
deb=$(realpath "${debs[0]}")
sim=$(realpath "${sims[0]}")

tools=(lintian desktop-file-utils appstream bash-completion libcap2-bin util-linux man-db)
missing=()
for p in "${tools[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "package-test: installing ${missing[*]}"
  apt-get update -q || true
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

work=$(mktemp -d)
chmod 755 "$work"  # nobody runs programs from here
sim_pid=
cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

echo "== desktop entry and AppStream entry (made from the catalogue at build time)"
dpkg-deb -x "$deb" "$work/deb"
entry=$work/deb/usr/share/applications/kelvane.desktop
metainfo=$work/deb/usr/share/metainfo/org.kelvane.kelvane.metainfo.xml
check "desktop-file-validate kelvane.desktop" desktop-file-validate "$entry"
check "appstreamcli validate org.kelvane.kelvane.metainfo.xml" appstreamcli validate --no-net "$metainfo"
# Every language of the catalogue names and describes the program.
for code in zh_TW da nl fr de el it ko pt_BR ru sl es sv; do
  check "desktop entry and AppStream entry in $code" \
    bash -c 'grep -q "^Name\[$1\]=" "$2" && grep -q "^Comment\[$1\]=" "$2" &&
             grep -q "<summary xml:lang=\"$1\">" "$3"' _ "$code" "$entry" "$metainfo"
done
check "desktop entry in the Settings category" grep -q '^Categories=.*Settings;' "$entry"
check "package recommends qt6-wayland" bash -c 'dpkg-deb -f "$1" Recommends | grep -q qt6-wayland' _ "$deb"

echo "== lintian"
# Errors fail the run; warnings and notes are listed.
if lintian --fail-on error --display-info --show-overrides "$deb" "$sim" >"$work/lintian.txt" 2>&1; then
  pass "lintian: no errors"
else
  fail "lintian reported errors"
fi
# Overridden tags (O:) come with their reason (N:) in the override file.
grep -E '^[EWIP]:' "$work/lintian.txt" | sed 's/^/     /' || true
echo "     $(grep -c '^O:' "$work/lintian.txt" || true) overridden tag(s): $(grep '^O:' "$work/lintian.txt" | cut -d' ' -f3 | sort -u | tr '\n' ' ')"

echo "== postinst"
mkdir "$work/control" "$work/fakebin"
dpkg-deb -e "$deb" "$work/control"
# A file system without capability support: setcap fails with its own message.
cat >"$work/fakebin/setcap" <<'EOF'
#!/bin/sh
echo "Failed to set capabilities on file '$2' (Operation not supported)" >&2
exit 1
EOF
chmod 755 "$work/fakebin/setcap"
postinst_says() { # PATH expected...
  local path=$1; shift
  local out rc=0
  out=$(PATH=$path /bin/sh "$work/control/postinst" configure 2>&1) || rc=$?
  [ "$rc" -eq 0 ] || { echo "     postinst exited $rc: $out"; return 1; }
  for want in "$@"; do
    grep -qF -- "$want" <<<"$out" || { echo "     missing \"$want\" in: $out"; return 1; }
  done
}
check "postinst names the helper when the file system cannot hold capabilities" \
  postinst_says "$work/fakebin:$PATH" "could not give the helper /usr/lib/x86_64-linux-gnu/kelvane/kelvane-netprobe" \
  "cannot keep file capabilities" "Operation not supported" "setcap cap_net_bind_service,cap_net_raw=p"
check "postinst says when setcap is missing" postinst_says "$work/nothing" "setcap (package libcap2-bin) is missing"

echo "== install"
if dpkg-query -W -f='${Status}' kelvane lmq-routersim 2>/dev/null | grep -q 'install ok'; then
  echo "package-test: an earlier install is still there; purging it first"
  apt-get purge -y -q kelvane lmq-routersim >/dev/null
fi
DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$deb" "$sim" \
  >"$work/apt-install.txt" 2>&1 || { cat "$work/apt-install.txt"; fail "apt-get install"; exit 1; }
pass "apt-get install of both packages"
dpkg -L kelvane >"$work/files-kelvane.txt"
dpkg -L lmq-routersim >"$work/files-routersim.txt"

wizard=$(readlink -f /usr/bin/kelvane)
helper=$(dirname "$wizard")/kelvane-netprobe
# getcap over every installed file of both packages: one line, the helper's,
# with the two capabilities permitted and not effective.
installed_caps() {
  local path
  while IFS= read -r path; do
    if [ -f "$path" ] && [ ! -L "$path" ]; then getcap "$path"; fi
  done < <(cat "$work/files-kelvane.txt" "$work/files-routersim.txt")
}
caps=$(installed_caps)
echo "     getcap -r $(dirname "$wizard") /usr/bin:"
getcap -r "$(dirname "$wizard")" /usr/bin 2>/dev/null | sed 's/^/       /'
check "capabilities on the helper only: $helper cap_net_bind_service,cap_net_raw=p" \
  test "$caps" = "$helper cap_net_bind_service,cap_net_raw=p"

# The installed programs run as nobody: with file capabilities the loader runs
# them in secure mode, as it would for any user.
as_nobody() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }
check "kelvane-cli --version" grep -qx "kelvane-cli [0-9.]*" <<<"$(as_nobody kelvane-cli --version)"
check "kelvane --version (offscreen)" \
  grep -qx "kelvane [0-9.]*" <<<"$(QT_QPA_PLATFORM=offscreen as_nobody kelvane --version)"
languages=$(QT_QPA_PLATFORM=offscreen as_nobody kelvane --check-languages) || true
check "the installed wizard loads its fourteen language modules from $(dirname "$wizard")/res" \
  test "$(grep -c " ok  *$(dirname "$wizard")/res/LNG_[A-Za-z]*\.so$" <<<"$languages")" -eq 14
grep -q "14 of 14" <<<"$languages" || echo "$languages" | sed 's/^/     /'
# The window itself, offscreen: still running after 5 s means the toolkit and
# the start-up routine accepted the capability-carrying program (nothing is
# sent before the user presses Next).
mkdir -m 700 "$work/runtime"
chown 65534:65534 "$work/runtime"
start_rc=0
start_out=$(QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work/runtime" timeout 5 \
  setpriv --reuid=65534 --regid=65534 --clear-groups kelvane 2>&1) || start_rc=$?
check "the installed wizard starts as nobody and still runs after 5 s (exit $start_rc)" test "$start_rc" -eq 124
[ "$start_rc" -eq 124 ] || echo "$start_out" | sed 's/^/     /'

echo "== a foreign style plug-in in the wizard"
# Anyone can make the toolkit load their code (QT_PLUGIN_PATH, -style): the
# plug-in reads the capability sets of the process it was loaded into. A copy
# of the wizard given the capabilities the wizard itself once carried shows
# that the plug-in is loaded and reads them; the installed wizard has none.
mkdir -p "$work/capprobe/src"
cat >"$work/capprobe/src/CMakeLists.txt" <<'EOF'
cmake_minimum_required(VERSION 3.25)
project(capprobe LANGUAGES CXX)
find_package(Qt6 REQUIRED COMPONENTS Widgets)
set(CMAKE_AUTOMOC ON)
add_library(capprobe MODULE capprobe.cpp)
target_link_libraries(capprobe PRIVATE Qt6::Widgets)
set_target_properties(capprobe PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/plugins/styles)
EOF
echo '{ "Keys": [ "capprobe" ] }' >"$work/capprobe/src/capprobe.json"
cat >"$work/capprobe/src/capprobe.cpp" <<'EOF'
#include <QStyleFactory>
#include <QStylePlugin>
#include <cstdio>
#include <cstring>
class CapProbe : public QStylePlugin {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID QStyleFactoryInterface_iid FILE "capprobe.json")
 public:
  QStyle* create(const QString&) override {
    if (FILE* in = std::fopen("/proc/self/status", "r")) {
      char line[256];
      while (std::fgets(line, sizeof line, in))
        if (std::strncmp(line, "Cap", 3) == 0) std::fprintf(stderr, "capprobe: %s", line);
      std::fclose(in);
    }
    return QStyleFactory::create(QStringLiteral("Fusion"));
  }
};
#include "capprobe.moc"
EOF
plugin_caps() { # program -> the CapEff value the plug-in read, empty when it was not loaded
  QT_QPA_PLATFORM=offscreen QT_PLUGIN_PATH="$work/capprobe/build/plugins" XDG_RUNTIME_DIR="$work/runtime" \
    timeout 5 setpriv --reuid=65534 --regid=65534 --clear-groups "$1" -style capprobe >"$work/capprobe.out" 2>&1 || true
  sed -n 's/^capprobe: CapEff:[[:space:]]*//p' "$work/capprobe.out" | head -n 1
}
if cmake -S "$work/capprobe/src" -B "$work/capprobe/build" -G Ninja >"$work/capprobe-build.txt" 2>&1 &&
   cmake --build "$work/capprobe/build" >>"$work/capprobe-build.txt" 2>&1; then
  chmod -R a+rX "$work/capprobe"
  mkdir -m 755 "$work/oldwizard"
  cp "$wizard" "$work/oldwizard/kelvane"
  ln -s "$(dirname "$wizard")/res" "$work/oldwizard/res"
  setcap cap_net_bind_service,cap_net_raw+ep "$work/oldwizard/kelvane"
  before=$(plugin_caps "$work/oldwizard/kelvane")
  check "control: in a wizard that carries cap_net_bind_service,cap_net_raw+ep the plug-in reads CapEff ${before:-(not loaded)}" \
    test "$before" = 0000000000002400
  after=$(plugin_caps kelvane)
  check "in the installed wizard as nobody the plug-in reads CapEff ${after:-(not loaded)}" \
    test "$after" = 0000000000000000
  grep '^capprobe: Cap' "$work/capprobe.out" | sed 's/^/     /'
else
  sed 's/^/     /' "$work/capprobe-build.txt" | tail -n 20
  fail "the test style plug-in did not build"
fi

echo "== the helper's refusals"
refuses() { # description expected-text request...
  local what=$1 want=$2 out rc=0; shift 2
  out=$(as_nobody "$helper" "$@" 2>&1) || rc=$?
  check "the helper refuses $what (exit $rc: $(head -n 1 <<<"$out"))" \
    test "$rc" -eq 2 -a -n "$(grep -F -- "$want" <<<"$out")"
}
refuses "a broadcast echo target" "echo goes to one unicast address, not 255.255.255.255" echo 255.255.255.255
refuses "a malformed request" "refused: --count takes 1 to 4" echo 127.0.0.1 --count 9
refuses "an unknown operation" "refused: unknown operation" --version
out=$(as_nobody "$helper" --help 2>&1) && rc=0 || rc=$?
check "the helper's --help prints its request form, answer and exit statuses (exit $rc)" \
  test "$rc" -eq 0 -a -n "$(grep -F "usage: kelvane-netprobe discover" <<<"$out")" \
  -a -n "$(grep -F "answer ADDRESS" <<<"$out")" -a -n "$(grep -F "Exit status: 0" <<<"$out")"
refuses "a probe to another host" "refused: a probe goes to 255.255.255.255 or to a loopback address only" \
  discover --to 192.0.2.1
out=$(printf 'echo 127.0.0.1  --count 1\n' | as_nobody "$helper" - 2>&1) && rc=0 || rc=$?
check "the helper refuses a malformed line on standard input (exit $rc)" \
  test "$rc" -eq 2 -a -n "$(grep -F "single spaces" <<<"$out")"
out=$(printf 'echo 127.0.0.1 --count 1\n' | as_nobody "$helper" - 2>&1) && rc=0 || rc=$?
check "nobody's helper echoes 127.0.0.1 from a request on standard input (exit $rc: $out)" \
  test "$rc" -eq 0 -a "$out" = "echo reply"

echo "== desktop, software centre, manual pages"
check "installed desktop entry validates" desktop-file-validate /usr/share/applications/kelvane.desktop
check "installed metainfo validates" appstreamcli validate --no-net /usr/share/metainfo/org.kelvane.kelvane.metainfo.xml
check "scalable icon installed" test -s /usr/share/icons/hicolor/scalable/apps/kelvane.svg
for page in kelvane kelvane-cli lmq-routersim; do
  check "man $page renders without warnings" \
    test -z "$(MANWIDTH=80 man --warnings -l "/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)"
done
# Every option and command that --help names is in the manual page.
roff_text() { zcat "/usr/share/man/man1/$1.1.gz" | sed 's/\\-/-/g; s/\\f[BIRP]//g'; }
help_words() { grep -oE -- '--[a-z][a-z0-9-]*' | sort -u; }
missing_in() { # page words...
  local page=$1 text; shift
  text=$(roff_text "$page")
  local absent=()
  for w in "$@"; do grep -qF -- "$w" <<<"$text" || absent+=("$w"); done
  [ ${#absent[@]} -eq 0 ] || { echo "     $page(1) lacks: ${absent[*]}"; return 1; }
}
cli_help=$(kelvane-cli --help)
cli_commands=$(awk '/^Commands:/{on=1; next} on && /^  [a-z]/{print $1}' <<<"$cli_help")
cli_options=$( { echo "$cli_help"; for c in $cli_commands; do kelvane-cli "$c" --help 2>&1; done; } | help_words)
check "kelvane(1) has every option of kelvane --help" missing_in kelvane $(kelvane --help | help_words)
check "kelvane-cli(1) has every command and option of the help texts" \
  missing_in kelvane-cli $cli_commands $cli_options
check "lmq-routersim(1) has every option of lmq-routersim --help" \
  missing_in lmq-routersim $(lmq-routersim --help | help_words)
check "kelvane-cli(1) has every option of kelvane-netprobe --help" \
  missing_in kelvane-cli $("$helper" --help | help_words)

echo "== bash completion"
cat >"$work/complete.sh" <<'EOF'
export LC_ALL=C
source /usr/share/bash-completion/bash_completion
_completion_loader kelvane-cli
complete -p kelvane-cli >/dev/null || { echo "no completion loaded for kelvane-cli"; exit 1; }
# complete WORD... : completes the last word as bash would and prints the list.
complete_words() {
  COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  _kelvane_cli kelvane-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' '
}
bad=0
expect() { # expected-list -- words...
  local want=$1; shift 2
  local got; got=$(complete_words "$@")
  if [ "$got" != "$want " ]; then echo "     '$*' -> '$got', want '$want'"; bad=1; fi
}
expect "set-domain set-lan set-mac set-wan set-wireless" -- kelvane-cli --router 192.0.2.1 set-
expect "--password --password-file --password-stdin --probe-port --probe-to" -- kelvane-cli --p
expect "--verbose --version" -- kelvane-cli --ver
expect "--count" -- kelvane-cli ping --c
expect "--nm-dir --no-login" -- kelvane-cli phonebook --n
expect "--help bigpond dynamic l2tp pppoe pptp static telia" -- kelvane-cli set-wan ""
expect "--dns1 --dns2" -- kelvane-cli set-wan pppoe --d
expect "--wan-password --wan-password-file --wan-password-stdin --wan-user" -- kelvane-cli set-wan pppoe --wan
expect "--login-server" -- kelvane-cli set-wan bigpond --l
expect "" -- kelvane-cli set-wan static --wan
expect "auto demand manual" -- kelvane-cli set-wan static --connect ""
expect "mixed none wep wpa wpa2" -- kelvane-cli set-wireless --ssid home --security ""
expect "bigpond dynamic l2tp pppoe pptp telia" -- kelvane-cli read wan-options ""
# Every command, status page, WAN type and security mode the help texts name
# is offered.
offers() { # "wanted words" words...
  local wanted=$1 got w; shift
  got=" $(complete_words "$@")"
  for w in $wanted; do
    case "$got" in *" $w "*) ;; *) echo "     '$*' does not offer $w"; bad=1 ;; esac
  done
}
# A list the help texts no longer yield is a failure, not an empty pass.
for list in CLI_COMMANDS READ_PAGES WAN_TYPES SECURITY_MODES; do
  [ -n "${!list}" ] || { echo "     nothing read from the help texts for $list"; bad=1; }
done
offers "$CLI_COMMANDS" kelvane-cli ""
offers "$READ_PAGES" kelvane-cli read ""
offers "$WAN_TYPES" kelvane-cli set-wan ""
offers "$SECURITY_MODES" kelvane-cli set-wireless --security ""
exit $bad
EOF
read_pages=$(kelvane-cli read --help | sed -n 's/^usage: kelvane-cli read \(\[--json\] \)\{0,1\}\([a-z|-]*\)$/\2/p' | tr '|' ' ')
wan_types=$(kelvane-cli set-wan --help | sed -n 's/^  \([a-z][a-z0-9, ]*[a-z0-9]\)\( .*\)\{0,1\}$/\1/p' | tr -d ',')
security_modes=$(kelvane-cli set-wireless --help | grep -o -- '--security [a-z0-9|]*|[a-z0-9|]*' | head -n 1 | cut -d' ' -f2 | tr '|' ' ')
echo "     from the help texts: read $read_pages; set-wan $(echo $wan_types); --security $security_modes"
check "bash completion: commands, options, WAN types, security modes" \
  env CLI_COMMANDS="$(echo $cli_commands)" READ_PAGES="$read_pages" WAN_TYPES="$(echo $wan_types)" \
  SECURITY_MODES="$security_modes" bash "$work/complete.sh"

echo "== unprivileged discovery probe on loopback"
# The emulator answers the discovery datagram on a free loopback port and
# replies to 127.0.0.1:68; nobody's kelvane-cli, which carries no capability,
# has the helper bind port 68 and reads its answer. With the helper's
# capabilities taken away the same probe is refused.
setpriv --reuid=65534 --regid=65534 --clear-groups \
  lmq-routersim --address 127.0.0.1 --http-port 0 --udp-port 0 >/dev/null 2>"$work/sim.err" &
sim_pid=$!
port=
for _ in $(seq 1 200); do
  port=$(sed -n 's/.*discovery on UDP \([0-9][0-9]*\).*/\1/p' "$work/sim.err")
  [ -n "$port" ] && break
  kill -0 "$sim_pid" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$port" ]; then
  fail "lmq-routersim did not start: $(cat "$work/sim.err")"
else
  out=$(as_nobody kelvane-cli --probe-to "127.0.0.1:$port" discover 2>&1) && rc=0 || rc=$?
  check "nobody's kelvane-cli discover --probe-to 127.0.0.1:$port answers 127.0.0.1 (exit $rc: $out)" \
    test "$rc" -eq 0 -a "$out" = 127.0.0.1
  setcap -r "$helper"
  out=$(as_nobody kelvane-cli --probe-to "127.0.0.1:$port" discover 2>&1) && rc=0 || rc=$?
  setcap cap_net_bind_service,cap_net_raw=p "$helper"
  check "with the helper's capabilities removed the same probe is refused on port 68 (exit $rc)" \
    test "$rc" -eq 1 -a -n "$(grep -F "port 68" <<<"$out")"
  check "the helper has its capabilities back" test "$(getcap "$helper")" = "$helper cap_net_bind_service,cap_net_raw=p"
fi
if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; sim_pid=; fi

echo "== remove"
apt-get purge -y -q kelvane lmq-routersim >"$work/apt-purge.txt" 2>&1 || { cat "$work/apt-purge.txt"; fail "apt-get purge"; }
check "dpkg no longer knows kelvane" test -z "$(dpkg-query -W -f='${Status}' kelvane 2>/dev/null | grep 'installed')"
leftovers() {
  local left=0 path
  while IFS= read -r path; do
    [ -z "$path" ] || [ "$path" = "/." ] && continue
    if [ -L "$path" ] || [ -f "$path" ]; then
      echo "     left behind: $path"; left=1
    elif [ -d "$path" ] && [ -z "$(ls -A "$path")" ] && ! dpkg -S "$path" >/dev/null 2>&1; then
      echo "     empty folder left behind: $path"; left=1
    fi
  done < <(cat "$work/files-kelvane.txt" "$work/files-routersim.txt")
  [ "$left" -eq 0 ]
}
check "no file of either package is left ($(cat "$work/files-kelvane.txt" "$work/files-routersim.txt" | wc -l) paths)" leftovers

echo "package-test: $passes passed, $failures failed"
[ "$failures" -eq 0 ]

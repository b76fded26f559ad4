#!/usr/bin/env bash
# The network-namespace test bed for demos and end-to-end runs (root only).
#
#   scripts/netns-bed.sh up     [--tag T] [--pc-address A/P] [--no-dnsmasq]
#   scripts/netns-bed.sh down   [--tag T]
#   scripts/netns-bed.sh exec   [--tag T] ROLE CMD [ARGS...]   ROLE: pc | router | isp
#   scripts/netns-bed.sh spawn  [--tag T] ROLE LOGFILE CMD [ARGS...]   (background; stopped by down)
#   scripts/netns-bed.sh hold   [--tag T] [up options]   up, wait for Ctrl-C or SIGTERM, down
#   scripts/netns-bed.sh status [--tag T]
#
# The tag (default: $KVBED_TAG, else "demo") names the namespaces kvpc-T,
# kvrt-T and kvisp-T, so several beds can live side by side. Layout:
#
#   pc lan0 ---- lan0 router wan0 ---- wan0 isp
#               192.168.123.254/24  198.51.100.2/24   198.51.100.1/24, 203.0.113.0/24 on lo
#
# dnsmasq in router serves DHCP (192.168.123.100-200, gateway and DNS
# 192.168.123.254) and DNS (router.kelvane.test; other names forwarded to the
# isp); dnsmasq in isp answers www.kelvane.test (203.0.113.80) and
# dns.kelvane.test. The router forwards, so the PC reaches the public hosts.
# The pc has no address until --pc-address gives one or a DHCP client gets a
# lease; "exec pc" sees nameserver 192.168.123.254 in /etc/resolv.conf.
#
# The emulated router is started by the caller, e.g.
#   scripts/netns-bed.sh spawn router /tmp/routersim.log build/bin/lmq-routersim --listen 192.168.123.254
# and the wizard or the CLI runs as the PC:
#   scripts/netns-bed.sh exec pc build/bin/kelvane-cli host-info
#
# Nothing is added to the machine's own namespace. "down" (and "hold" on any
# exit, and "up" when it fails half-way) removes the namespaces, every process
# still running in them, the state folder /run/kvbed-T and /etc/netns/kvpc-T.
set -euo pipefail

usage() { sed -n '2,9p' "$0" >&2; exit 2; }

tag=${KVBED_TAG:-demo}
pc_address=
dnsmasq=1

cmd=${1:-}
[ -n "$cmd" ] || usage
shift

while [ $# -gt 0 ]; do
  case "$1" in
    --tag) tag=${2:?--tag needs a value}; shift 2 ;;
    --tag=*) tag=${1#--tag=}; shift ;;
    --pc-address) pc_address=${2:?--pc-address needs a value}; shift 2 ;;
    --no-dnsmasq) dnsmasq=0; shift ;;
    *) break ;;
  esac
done

case "$tag" in
  ''|*[!A-Za-z0-9_-]*) echo "netns-bed: the tag may hold letters, digits, - and _ only" >&2; exit 2 ;;
esac

pc=kvpc-$tag
rt=kvrt-$tag
isp=kvisp-$tag
state=/run/kvbed-$tag

need_root() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "netns-bed: the test bed needs root (network namespaces, veth pairs, dnsmasq)" >&2
    exit 1
  fi
}

ns_of() {
  case "$1" in
    pc) echo "$pc" ;;
    router) echo "$rt" ;;
    isp) echo "$isp" ;;
    *) echo "netns-bed: unknown role '$1' (pc, router or isp)" >&2; exit 2 ;;
  esac
}

kill_in() {
  local ns=$1 pids
  pids=$(ip netns pids "$ns" 2>/dev/null || true)
  [ -n "$pids" ] || return 0
  kill $pids 2>/dev/null || true
  for _ in 1 2 3 4 5 6 7 8 9 10; do
    pids=$(ip netns pids "$ns" 2>/dev/null || true)
    [ -n "$pids" ] || return 0
    sleep 0.1
  done
  kill -9 $pids 2>/dev/null || true
}

down() {
  for ns in "$pc" "$rt" "$isp"; do
    if [ -e "/run/netns/$ns" ]; then
      kill_in "$ns"
      ip netns delete "$ns" 2>/dev/null || true
    fi
  done
  rm -rf "$state" "/etc/netns/$pc" "/etc/netns/$rt" "/etc/netns/$isp"
  rmdir /etc/netns 2>/dev/null || true  # only when no other bed uses it
}

wait_for_log() {
  local file=$1
  for _ in $(seq 1 100); do
    if grep -q started "$file" 2>/dev/null; then return 0; fi
    sleep 0.05
  done
  echo "netns-bed: dnsmasq did not start; see $file" >&2
  return 1
}

up() {
  if [ -e "/run/netns/$pc" ] || [ -e "/run/netns/$rt" ] || [ -e "/run/netns/$isp" ]; then
    echo "netns-bed: a bed tagged '$tag' exists already (scripts/netns-bed.sh down --tag $tag)" >&2
    exit 1
  fi
  trap 'echo "netns-bed: set-up failed, removing the bed" >&2; down' ERR
  mkdir -p "$state" "/etc/netns/$pc" "/etc/netns/$rt" "/etc/netns/$isp"
  echo "nameserver 192.168.123.254" > "/etc/netns/$pc/resolv.conf"
  echo "nameserver 127.0.0.1" > "/etc/netns/$rt/resolv.conf"
  echo "nameserver 127.0.0.1" > "/etc/netns/$isp/resolv.conf"

  for ns in "$pc" "$rt" "$isp"; do
    ip netns add "$ns"
    ip -n "$ns" link set lo up
  done
  ip -n "$pc" link add lan0 type veth peer name lan0 netns "$rt"
  ip -n "$rt" link add wan0 type veth peer name wan0 netns "$isp"
  ip -n "$pc" link set lan0 up
  ip -n "$rt" addr add 192.168.123.254/24 dev lan0
  ip -n "$rt" link set lan0 up
  ip -n "$rt" addr add 198.51.100.2/24 dev wan0
  ip -n "$rt" link set wan0 up
  ip -n "$rt" route add default via 198.51.100.1
  ip -n "$isp" addr add 198.51.100.1/24 dev wan0
  ip -n "$isp" link set wan0 up
  ip -n "$isp" addr add 203.0.113.1/24 dev lo
  ip -n "$isp" route add 192.168.123.0/24 via 198.51.100.2
  ip netns exec "$rt" sysctl -q -w net.ipv4.ip_forward=1
  if [ -n "$pc_address" ]; then
    ip -n "$pc" addr add "$pc_address" dev lan0
  fi

  if [ "$dnsmasq" -eq 1 ]; then
    ip netns exec "$isp" dnsmasq --keep-in-foreground --conf-file=/dev/null --no-resolv --no-hosts \
      --bind-interfaces --interface=wan0 --except-interface=lo --user=root --group=root \
      --pid-file="$state/dnsmasq-isp.pid" --log-facility="$state/dnsmasq-isp.log" --log-queries \
      --no-dhcp-interface=wan0 --local=/kelvane.test/ \
      --host-record=www.kelvane.test,203.0.113.80 --host-record=dns.kelvane.test,198.51.100.1 \
      </dev/null >"$state/dnsmasq-isp.out" 2>&1 &
    ip netns exec "$rt" dnsmasq --keep-in-foreground --conf-file=/dev/null --no-resolv --no-hosts \
      --bind-interfaces --interface=lan0 --except-interface=lo --user=root --group=root \
      --pid-file="$state/dnsmasq-router.pid" --dhcp-leasefile="$state/dnsmasq.leases" \
      --log-facility="$state/dnsmasq-router.log" --log-dhcp --log-queries \
      --dhcp-range=192.168.123.100,192.168.123.200,255.255.255.0,1h \
      --dhcp-option=option:router,192.168.123.254 --dhcp-option=option:dns-server,192.168.123.254 \
      --dhcp-authoritative --server=198.51.100.1 --local=/lan.kelvane.test/ \
      --host-record=router.kelvane.test,192.168.123.254 \
      </dev/null >"$state/dnsmasq-router.out" 2>&1 &
    wait_for_log "$state/dnsmasq-isp.log"
    wait_for_log "$state/dnsmasq-router.log"
  fi
  trap - ERR
  echo "netns-bed: up: $pc $rt $isp (state in $state)"
}

status() {
  for ns in "$pc" "$rt" "$isp"; do
    if [ -e "/run/netns/$ns" ]; then
      echo "== $ns"
      ip -n "$ns" -4 -brief addr
      echo "processes: $(ip netns pids "$ns" | tr '\n' ' ')"
    else
      echo "== $ns: absent"
    fi
  done
}

case "$cmd" in
  up) need_root; up ;;
  down) need_root; down; echo "netns-bed: down: $pc $rt $isp" ;;
  exec)
    need_root
    [ $# -ge 2 ] || usage
    ns=$(ns_of "$1"); shift
    exec ip netns exec "$ns" "$@"
    ;;
  spawn)
    need_root
    [ $# -ge 3 ] || usage
    ns=$(ns_of "$1"); log=$2; shift 2
    ip netns exec "$ns" "$@" </dev/null >>"$log" 2>&1 &
    echo "$!"
    ;;
  hold)
    need_root
    trap 'down; echo "netns-bed: down: $pc $rt $isp"' EXIT
    trap 'exit 0' INT TERM HUP
    up
    echo "netns-bed: holding; Ctrl-C or SIGTERM removes the bed"
    while true; do sleep 3600 & wait $!; done
    ;;
  status) status ;;
  *) usage ;;
esac

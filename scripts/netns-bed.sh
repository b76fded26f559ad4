#!/usr/bin/env bash
# The network-namespace test bed for demos and end-to-end runs (root only).
#
#   scripts/netns-bed.sh up     [--tag T] [--pc-address A/P] [--pc MODE] [--no-dnsmasq]
#   scripts/netns-bed.sh down   [--tag T]
#   scripts/netns-bed.sh exec   [--tag T] ROLE CMD [ARGS...]   ROLE: pc | router | isp
#   scripts/netns-bed.sh spawn  [--tag T] ROLE LOGFILE CMD [ARGS...]   (background; stopped by down)
#   scripts/netns-bed.sh hold   [--tag T] [up options]   up, wait for Ctrl-C or SIGTERM, down
#   scripts/netns-bed.sh status [--tag T]
#   scripts/netns-bed.sh move-lan [--tag T] ADDRESS FIRST LAST   the router's LAN moves to ADDRESS/24,
#                                 its DHCP range to FIRST-LAST (a restart with another LAN address)
#
# --pc MODE says who owns the PC's network after "up":
#   bare      nothing, no address (the default; --pc-address A/P gives a fixed one)
#   dhclient  plain dhclient as ifupdown runs it, with a lease from the router
#   fixed     10.77.0.5/24, gateway 10.77.0.1: outside the router's network
#   nm        a real NetworkManager manages lan0 with the DHCP profile kelvane-lan
#   nm-fixed  the same daemon, kelvane-lan with the fixed 10.77.0.5/24
# NetworkManager runs as the C++ bed runs it (tests/netns/BedNetworkManager.cpp): its own
# dbus-daemon on $state/dbus/system_bus_socket, tmpfs over its run and state
# folders and /run/udev (with a stub udev entry for lan0), its configuration in
# $state/nm/etc (dns=none, rc-manager=unmanaged, hostname-mode=none, only lan0).
# "exec pc" and "spawn pc" run as the PC: private mounts and host name, the
# bed's /run and /var/lib/dhcp, and the daemon's bus and configuration, e.g.
#   scripts/netns-bed.sh exec pc nmcli device
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

usage() { sed -n '2,27p' "$0" >&2; exit 2; }

tag=${KVBED_TAG:-demo}
pc_address=
pc_mode=bare
dnsmasq=1

cmd=${1:-}
[ -n "$cmd" ] || usage
shift

while [ $# -gt 0 ]; do
  case "$1" in
    --tag) tag=${2:?--tag needs a value}; shift 2 ;;
    --tag=*) tag=${1#--tag=}; shift ;;
    --pc-address) pc_address=${2:?--pc-address needs a value}; shift 2 ;;
    --pc) pc_mode=${2:?--pc needs a mode}; shift 2 ;;
    --pc=*) pc_mode=${1#--pc=}; shift ;;
    --no-dnsmasq) dnsmasq=0; shift ;;
    *) break ;;
  esac
done

case "$tag" in
  ''|*[!A-Za-z0-9_-]*) echo "netns-bed: the tag may hold letters, digits, - and _ only" >&2; exit 2 ;;
esac
case "$pc_mode" in
  bare|dhclient|fixed|nm|nm-fixed) ;;
  *) echo "netns-bed: unknown --pc mode '$pc_mode' (bare, dhclient, fixed, nm, nm-fixed)" >&2; exit 2 ;;
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
    wait_for_log "$state/dnsmasq-isp.log"
    start_router_dnsmasq 192.168.123.254 192.168.123.100 192.168.123.200
  fi
  setup_pc
  trap - ERR
  echo "netns-bed: up: $pc $rt $isp (state in $state)"
}

start_router_dnsmasq() {
  local address=$1 first=$2 last=$3
  : > "$state/dnsmasq-router.log"
  ip netns exec "$rt" dnsmasq --keep-in-foreground --conf-file=/dev/null --no-resolv --no-hosts \
    --bind-interfaces --interface=lan0 --except-interface=lo --user=root --group=root \
    --pid-file="$state/dnsmasq-router.pid" --dhcp-leasefile="$state/dnsmasq.leases" \
    --log-facility="$state/dnsmasq-router.log" --log-dhcp --log-queries \
    --dhcp-range="$first,$last,255.255.255.0,1h" \
    --dhcp-option=option:router,"$address" --dhcp-option=option:dns-server,"$address" \
    --dhcp-authoritative --server=198.51.100.1 --local=/lan.kelvane.test/ \
    --host-record=router.kelvane.test,"$address" \
    </dev/null >"$state/dnsmasq-router.out" 2>&1 &
  wait_for_log "$state/dnsmasq-router.log"
}

move_lan() {
  local address=$1 first=$2 last=$3 old pid
  old=$(ip -n "$rt" -4 -o addr show dev lan0 | awk '{print $4}' | head -n1)
  if [ -f "$state/dnsmasq-router.pid" ]; then
    pid=$(cat "$state/dnsmasq-router.pid")
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 1 50); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    rm -f "$state/dnsmasq-router.pid"
  fi
  ip -n "$rt" addr flush dev lan0
  ip -n "$rt" addr add "$address/24" dev lan0
  if [ -n "$old" ]; then ip -n "$isp" route del "${old%.*}.0/24" 2>/dev/null || true; fi
  ip -n "$isp" route replace "${address%.*}.0/24" via 198.51.100.2
  start_router_dnsmasq "$address" "$first" "$last"
}

# Runs "$@" as the PC: the pc namespace, its own mounts and host name, the
# bed's /run and /var/lib/dhcp, and with NetworkManager its configuration and bus.
in_pc() {
  local binds="true"
  if [ -d /var/lib/dhcp ]; then binds="$binds && mount --bind $state/pc/dhcp /var/lib/dhcp"; fi
  if [ -d "$state/nm/etc" ]; then binds="$binds && mount --bind $state/nm/etc /etc/NetworkManager"; fi
  # The bed's own folder stays where it is inside the PC's /run.
  mkdir -p "$state/pc/run/kvbed-$tag"
  binds="$binds && mount --bind $state $state/pc/run/kvbed-$tag && mount --rbind $state/pc/run /run"
  DBUS_SYSTEM_BUS_ADDRESS="unix:path=$state/dbus/system_bus_socket" \
    ip netns exec "$pc" unshare --mount --uts --propagation private \
    sh -c "$binds && exec \"\$0\" \"\$@\"" "$@"
}

# Inside the PC's mounts: NetworkManager's run and state folders on tmpfs and
# a udev database of one entry, for lan0 (without it the daemon waits for udev).
nm_child_script='mount -t tmpfs -o mode=0755 kvbed /run/NetworkManager &&
mount -t tmpfs -o mode=0755 kvbed /run/udev &&
mount -t tmpfs -o mode=0700 kvbed /var/lib/NetworkManager &&
mkdir -p /run/udev/data &&
printf "I:1\nE:ID_NET_DRIVER=veth\nE:NM_UNMANAGED=0\n" > "/run/udev/data/n$(cat /sys/class/net/lan0/ifindex)" &&
exec NetworkManager --no-daemon --config=/etc/NetworkManager/NetworkManager.conf'

setup_pc() {
  mkdir -p "$state/pc/run" "$state/pc/dhcp"
  case "$pc_mode" in
    bare) ;;
    fixed)
      ip -n "$pc" addr add 10.77.0.5/24 dev lan0
      ip -n "$pc" route add default via 10.77.0.1 ;;
    dhclient)
      in_pc dhclient -4 -pf /run/dhclient.lan0.pid -lf /var/lib/dhcp/dhclient.lan0.leases lan0 ;;
    nm|nm-fixed)
      mkdir -p "$state/dbus" "$state/nm/etc/conf.d" "$state/pc/run/NetworkManager" "$state/pc/run/udev"
      install -d -m 0700 "$state/nm/etc/system-connections"
      printf '%s\n' '<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"' \
        ' "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">' '<busconfig>' '  <type>system</type>' \
        "  <listen>unix:path=$state/dbus/system_bus_socket</listen>" '  <auth>EXTERNAL</auth>' \
        '  <policy context="default">' '    <allow user="*"/> <allow own="*"/>' \
        '    <allow send_destination="*"/> <allow receive_sender="*"/>' '  </policy>' '</busconfig>' \
        > "$state/dbus.conf"
      printf '%s\n' '[main]' 'plugins=keyfile' 'dns=none' 'rc-manager=unmanaged' 'hostname-mode=none' \
        'systemd-resolved=false' 'auth-polkit=false' 'no-auto-default=*' '' '[keyfile]' \
        'unmanaged-devices=except:interface-name:lan0' '' '[connectivity]' 'enabled=false' \
        > "$state/nm/etc/NetworkManager.conf"
      in_pc dbus-daemon --config-file="$state/dbus.conf" --nofork --nopidfile </dev/null >"$state/dbus.log" 2>&1 &
      for _ in $(seq 1 100); do [ -S "$state/dbus/system_bus_socket" ] && break; sleep 0.1; done
      in_pc sh -c "$nm_child_script" </dev/null >"$state/nm.log" 2>&1 &
      local ready=
      for _ in $(seq 1 300); do
        if in_pc nmcli -t -f DEVICE,STATE device 2>/dev/null | grep -Eq '^lan0:(dis)?connected'; then
          ready=1
          break
        fi
        sleep 0.1
      done
      if [ -z "$ready" ]; then
        echo "netns-bed: NetworkManager did not take lan0 over:" >&2
        tail -n 20 "$state/nm.log" "$state/dbus.log" >&2
        return 1
      fi
      if [ "$pc_mode" = nm ]; then
        in_pc nmcli connection add type ethernet ifname lan0 con-name kelvane-lan ipv6.method disabled \
          ipv4.method auto >/dev/null
      else
        in_pc nmcli connection add type ethernet ifname lan0 con-name kelvane-lan ipv6.method disabled \
          ipv4.method manual ipv4.addresses 10.77.0.5/24 ipv4.gateway 10.77.0.1 >/dev/null
      fi
      in_pc nmcli --wait 40 connection up kelvane-lan >/dev/null ;;
  esac
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
    if [ "$1" = pc ]; then
      shift
      in_pc "$@"
      exit $?
    fi
    ns=$(ns_of "$1"); shift
    exec ip netns exec "$ns" "$@"
    ;;
  move-lan)
    need_root
    [ $# -eq 3 ] || usage
    move_lan "$1" "$2" "$3"
    echo "netns-bed: the router's LAN is $1/24, DHCP $2-$3"
    ;;
  spawn)
    need_root
    [ $# -ge 3 ] || usage
    role=$1; ns=$(ns_of "$1"); log=$2; shift 2
    if [ "$role" = pc ]; then
      in_pc "$@" </dev/null >>"$log" 2>&1 &
    else
      ip netns exec "$ns" "$@" </dev/null >>"$log" 2>&1 &
    fi
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

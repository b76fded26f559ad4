#!/bin/sh
# lan-dhcp-hook.sh NEW_ADDRESS PREFIX INTERFACE OLD_ADDRESS
#
# Run by lmq-routersim (--on-lan-change) inside the router's namespace after
# a restart moved its LAN address: points the router's DHCP and DNS service at
# the new network. It stops the dnsmasq whose pid file it is given and starts
# a new one that serves NET.100-NET.200 of the new /24 with the router as
# gateway and DNS server, as the test bed's own dnsmasq does for
# 192.168.123.0/24.
#
# Settings come from the environment (the bed sets them when it starts the
# emulator):
#   KV_DHCP_DIR       folder for the pid, lease and log files (required)
#   KV_DHCP_PIDFILE   pid file of the dnsmasq to stop (default $KV_DHCP_DIR/dnsmasq-router.pid)
#   KV_DHCP_UPSTREAM  DNS server to forward other names to (optional)
# A line "NEW_ADDRESS PREFIX INTERFACE OLD_ADDRESS" is appended to
# $KV_DHCP_DIR/lan-changes.log, and the new dnsmasq logs to
# $KV_DHCP_DIR/dnsmasq-router.log as before.
set -eu

new=$1
prefix=$2
dev=$3
old=${4:-}
dir=${KV_DHCP_DIR:?KV_DHCP_DIR names the folder for the DHCP files}
pidfile=${KV_DHCP_PIDFILE:-$dir/dnsmasq-router.pid}

if [ "$prefix" != 24 ]; then
  echo "lan-dhcp-hook: only /24 networks are served (got /$prefix)" >&2
  exit 2
fi
net=${new%.*}

# Stop the running service and wait until it is gone (at most 5 s).
if [ -s "$pidfile" ]; then
  pid=$(cat "$pidfile")
  if kill "$pid" 2>/dev/null; then
    i=0
    while kill -0 "$pid" 2>/dev/null && [ $i -lt 50 ]; do
      sleep 0.1
      i=$((i + 1))
    done
  fi
  rm -f "$pidfile"
fi

upstream=
if [ -n "${KV_DHCP_UPSTREAM:-}" ]; then
  upstream="--server=$KV_DHCP_UPSTREAM"
fi

# dnsmasq detaches itself once it is ready and writes its pid file.
# shellcheck disable=SC2086
dnsmasq --conf-file=/dev/null --no-resolv --no-hosts \
  --bind-interfaces --interface="$dev" --except-interface=lo --user=root --group=root \
  --pid-file="$pidfile" --dhcp-leasefile="$dir/dnsmasq-$net.leases" \
  --log-facility="$dir/dnsmasq-router.log" --log-dhcp --log-queries \
  --dhcp-range="$net.100,$net.200,255.255.255.0,1h" \
  --dhcp-option=option:router,"$new" --dhcp-option=option:dns-server,"$new" \
  --dhcp-authoritative --no-ping --local=/lan.kelvane.test/ $upstream

echo "$new $prefix $dev $old" >> "$dir/lan-changes.log"

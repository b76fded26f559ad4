#!/usr/bin/env bash
# Installs every build and test dependency from Debian packages (Debian 12).
# Safe to run again: it only installs what is missing.
#
# NetworkManager and the D-Bus daemon are installed for the namespace test bed
# only, which runs them on a private bus inside a test namespace. Installing
# them must never start either in the machine's own namespace: they are
# installed without recommended packages and with service starts refused
# (policy-rc.d answering 101 for the length of the installation), and
# afterwards the script stops with an error if a NetworkManager runs outside a
# test namespace.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-svg-dev libqt6svg6 qt6-qpa-plugins qt6-translations-l10n
  libqrencode-dev libzbar-dev
  iproute2 dnsmasq-base isc-dhcp-client iputils-ping procps psmisc
  libcap2-bin
  xvfb xauth libxcb1-dev
  at-spi2-core python3-pyatspi
  fonts-dejavu-core fonts-noto-core fonts-noto-cjk
)
# Daemons the test bed runs itself; their services must not start here.
daemon_packages=(network-manager dbus-daemon)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive

missing_of() {
  local p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      echo "$p"
    fi
  done
}

mapfile -t missing < <(missing_of "${packages[@]}")
mapfile -t missing_daemons < <(missing_of "${daemon_packages[@]}")

if [ ${#missing[@]} -gt 0 ] || [ ${#missing_daemons[@]} -gt 0 ]; then
  "${sudo_cmd[@]}" apt-get update -q || true
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

if [ ${#missing_daemons[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing_daemons[*]} with service starts refused"
  policy=/usr/sbin/policy-rc.d
  saved=
  if [ -e "$policy" ]; then
    saved=$(mktemp)
    "${sudo_cmd[@]}" cp -p "$policy" "$saved"
  fi
  restore_policy() {
    if [ -n "$saved" ]; then
      "${sudo_cmd[@]}" cp -p "$saved" "$policy"
      rm -f "$saved"
    else
      "${sudo_cmd[@]}" rm -f "$policy"
    fi
  }
  trap restore_policy EXIT
  printf '#!/bin/sh\n# Written by install-deps.sh while it installs; no service may start.\nexit 101\n' |
    "${sudo_cmd[@]}" tee "$policy" >/dev/null
  "${sudo_cmd[@]}" chmod 755 "$policy"
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing_daemons[@]}"
  restore_policy
  trap - EXIT
fi

# No NetworkManager may run in the machine's own network namespace: it would
# take the machine's network over. The test bed's run in namespaces of their own.
own_ns=$(readlink /proc/self/ns/net)
stray=()
for comm in /proc/[0-9]*/comm; do
  pid=${comm#/proc/}
  pid=${pid%/comm}
  [ "$(cat "$comm" 2>/dev/null)" = "NetworkManager" ] || continue
  if [ "$(readlink "/proc/$pid/ns/net" 2>/dev/null)" = "$own_ns" ]; then stray+=("$pid"); fi
done
if [ ${#stray[@]} -gt 0 ]; then
  {
    echo "##################################################################"
    echo "install-deps: ERROR: NetworkManager runs in the machine's own"
    echo "network namespace (pid ${stray[*]}). It must only ever run inside"
    echo "the test bed's namespaces. Stop it (and disable its service)"
    echo "before building or testing here."
    echo "##################################################################"
  } >&2
  exit 1
fi

echo "install-deps: everything is installed"

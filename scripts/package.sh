#!/usr/bin/env bash
# Builds the Debian packages: installs what the build needs, makes a Release
# build for /usr in its own folder (build-package/) with Debian's hardening
# flags, and writes with CPack into DIR (default build/packages/):
#   kelvane_<version>_<arch>.deb        the wizard, kelvane-cli, the language
#                                       modules, desktop and AppStream entries,
#                                       manual pages, bash completion
#   lmq-routersim_<version>_<arch>.deb  the router emulator
#
#   scripts/package.sh [--output DIR]
#   sudo apt-get install ./build/packages/kelvane_*.deb   # then install it
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)

output=build/packages
while [ $# -gt 0 ]; do
  case "$1" in
    --output) [ $# -ge 2 ] || { echo "package.sh: --output needs a folder" >&2; exit 2; }
              output=$2; shift 2 ;;
    --output=*) output=${1#--output=}; shift ;;
    -h|--help) sed -n '2,12p' "$0"; exit 0 ;;
    *) echo "package.sh: unknown option $1" >&2; exit 2 ;;
  esac
done

# The build's own dependencies, then the packaging tools: dpkg-shlibdeps
# (dpkg-dev) computes the library dependencies and CPack finds the programs
# with file(1).
scripts/install-deps.sh
tools=(dpkg-dev file gzip)
missing=()
for p in "${tools[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "package.sh: installing ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update -q || true
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Debian's compiler and linker flags (fortify, stack protector, relro, now);
# no debug information, the packages are stripped anyway. Given on the
# command line, so that a second run does not keep the first run's cached
# flags.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
export DEB_CXXFLAGS_MAINT_STRIP=-g
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags="$(dpkg-buildflags --get LDFLAGS)"

build=$top/build-package
launcher=()
if command -v ccache >/dev/null 2>&1; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
jobs=$(nproc 2>/dev/null || echo 2)

echo "== package build ($build)"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DKELVANE_TESTS=OFF -DKELVANE_BENCHMARKS=OFF -DKELVANE_GUI=ON "${launcher[@]}" \
  -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
  -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" -DCMAKE_MODULE_LINKER_FLAGS="$ldflags" \
  -DCMAKE_STRIP="$top/cmake/debian/strip"
cmake --build "$build" -j "$jobs"

echo "== CPack"
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB)

mkdir -p "$output"
for deb in "$build"/*.deb; do
  cp "$deb" "$output"/
  echo "package.sh: wrote $output/$(basename "$deb")"
done

#!/usr/bin/env bash
# Installs what the build needs on a Debian 12 machine, and nothing that is already there.
# Usage: scripts/setup.sh [--armhf]   (--armhf adds the cross compiler, qemu and the armhf libraries)
set -euo pipefail

want_armhf=0
[ "${1:-}" = "--armhf" ] && want_armhf=1

# libmicrohttpd-dev: the web server of imagetune-sim serve; chromium, chromium-driver and python3-selenium: its
# browser test (headless, run by the system Python); doxygen: the API reference; abigail-tools: the ABI check.
native=(cmake g++ clang libclang-rt-14-dev make pkg-config libtinyxml-dev libgtest-dev libgmock-dev
        libbenchmark-dev binutils nlohmann-json3-dev libmicrohttpd-dev chromium chromium-driver
        python3-selenium doxygen abigail-tools)
armhf=(g++-arm-linux-gnueabihf qemu-user libtinyxml-dev:armhf libgtest-dev:armhf libgmock-dev:armhf libc6:armhf)

# With an armhf twin installed, a bare name is ambiguous to dpkg: ask for the native architecture too.
arch=$(dpkg --print-architecture)
installed() { dpkg -s "$1" >/dev/null 2>&1 || dpkg -s "$1:$arch" >/dev/null 2>&1; }
missing=()
for p in "${native[@]}"; do installed "$p" || missing+=("$p"); done
if [ "$want_armhf" = 1 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx armhf; then
    dpkg --add-architecture armhf
    missing+=(force-update)
  fi
  for p in "${armhf[@]}"; do installed "$p" || missing+=("$p"); done
fi
[ "${#missing[@]}" -eq 0 ] && exit 0

run() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
pkgs=()
for p in "${missing[@]}"; do [ "$p" = force-update ] || pkgs+=("$p"); done
echo "setup: installing ${pkgs[*]:-nothing (package index only)}"

# A mirror may fail now and then: refresh the index a few times, and judge by whether the install succeeds.
for attempt in 1 2 3 4 5; do
  run apt-get update -o Acquire::Retries=3 || true
  if [ "${#pkgs[@]}" -eq 0 ] || \
     run env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${pkgs[@]}"; then
    exit 0
  fi
  echo "setup: install attempt $attempt failed; retrying" >&2
  sleep $((attempt * 5))
done
echo "setup: could not install ${pkgs[*]}" >&2
exit 1

#!/usr/bin/env bash
# Installs what the build needs on a Debian 12 machine, and nothing that is already there.
# Usage: scripts/setup.sh [--armhf]   (--armhf adds the cross compiler, qemu and the armhf libraries)
set -euo pipefail

want_armhf=0
[ "${1:-}" = "--armhf" ] && want_armhf=1

# libmicrohttpd-dev: the web server of imagetune-sim serve; chromium, chromium-driver and python3-selenium: its
# browser test (headless, run by the system Python); doxygen: the API reference; abigail-tools: the ABI check.
# nettle-dev: SHA-1 and Base64 of the ONVIF endpoint's WS-Security digest.
native=(cmake g++ clang libclang-rt-14-dev make pkg-config libtinyxml-dev libgtest-dev libgmock-dev
        libbenchmark-dev binutils nlohmann-json3-dev libmicrohttpd-dev chromium chromium-driver
        python3-selenium doxygen abigail-tools nettle-dev)
armhf=(g++-arm-linux-gnueabihf qemu-user libtinyxml-dev:armhf libgtest-dev:armhf libgmock-dev:armhf libc6:armhf)

# With an armhf twin installed, a bare name is ambiguous to dpkg: ask for the native architecture too.
arch=$(dpkg --print-architecture)
installed() { dpkg -s "$1" >/dev/null 2>&1 || dpkg -s "$1:$arch" >/dev/null 2>&1; }
missing=()
for p in "${native[@]}"; do installed "$p" || missing+=("$p"); done
# The ONVIF client test runs the node and npm already on the PATH (a Node.js install ships its own npm, which
# Debian's npm package would conflict with); Debian's only where there are none.
command -v node >/dev/null 2>&1 || installed nodejs || missing+=(nodejs)
command -v npm >/dev/null 2>&1 || installed npm || missing+=(npm)
if [ "$want_armhf" = 1 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx armhf; then
    dpkg --add-architecture armhf
    missing+=(force-update)
  fi
  for p in "${armhf[@]}"; do installed "$p" || missing+=("$p"); done
fi
# The ONVIF client test's npm packages, exactly as package-lock.json pins them; the registry may fail now and then.
npm_client() {
  local dir
  dir="$(cd "$(dirname "$0")/.." && pwd)/tests/tools/onvif-client"
  [ -f "$dir/package-lock.json" ] || return 0
  command -v npm >/dev/null 2>&1 || { echo "setup: no npm: the ONVIF client test will be skipped" >&2; return 0; }
  if [ -d "$dir/node_modules/onvif" ] && [ "$dir/node_modules/.package-lock.json" -nt "$dir/package-lock.json" ]; then
    return 0
  fi
  for attempt in 1 2 3 4 5; do
    if (cd "$dir" && npm ci --no-audit --no-fund); then return 0; fi
    echo "setup: npm ci attempt $attempt failed; retrying" >&2
    sleep $((attempt * 5))
  done
  echo "setup: could not install the ONVIF client test's npm packages" >&2
  return 1
}

install_missing() {
  [ "${#missing[@]}" -eq 0 ] && return 0
  run() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
  pkgs=()
  for p in "${missing[@]}"; do [ "$p" = force-update ] || pkgs+=("$p"); done
  echo "setup: installing ${pkgs[*]:-nothing (package index only)}"

  # A mirror may fail now and then: refresh the index a few times, and judge by whether the install succeeds.
  for attempt in 1 2 3 4 5; do
    run apt-get update -o Acquire::Retries=3 || true
    if [ "${#pkgs[@]}" -eq 0 ] || \
       run env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${pkgs[@]}"; then
      return 0
    fi
    echo "setup: install attempt $attempt failed; retrying" >&2
    sleep $((attempt * 5))
  done
  echo "setup: could not install ${pkgs[*]}" >&2
  return 1
}

install_missing
npm_client

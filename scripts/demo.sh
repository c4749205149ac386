#!/usr/bin/env bash
# Command one: set up a Debian 12 machine, build, and run the command-line tour on simulated hardware.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc 2>/dev/null || echo 2)"
root=$(mktemp -d /tmp/imagetune-demo-XXXXXX)
trap 'rm -rf "$root"' EXIT
./build/release/tools/imagetune-sim --root "$root/device-root" demo

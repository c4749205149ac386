#!/usr/bin/env bash
# Command one: set up a Debian 12 machine, build, and run the command-line tour on simulated hardware.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc 2>/dev/null || echo 2)"
# A fresh device root each time, so the tour starts on a blank flash; it is kept for a look afterwards.
root=$(mktemp -d /tmp/imagetune-demo-XXXXXX)
./build/release/tools/imagetune-sim --root "$root/device-root" demo

#!/usr/bin/env bash
# Command two: set up a Debian 12 machine, then build and run every test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --armhf

jobs=$(nproc 2>/dev/null || echo 2)
run_preset() {
  local preset=$1
  echo "=== $preset: configure, build, test"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset"
}

for preset in ${IMAGETUNE_TEST_PRESETS:-dev asan}; do
  run_preset "$preset"
done
echo "=== all test suites passed"

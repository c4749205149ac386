#!/usr/bin/env bash
# Command two: set up a Debian 12 machine, then build and run every test suite:
#   dev (debug; it also builds the API reference with doxygen, warnings failing it, and checks its shape and
#   the x86-64 ABI baseline) and asan (ASan + UBSan) builds with ctest, the tsan build with ctest, the armhf cross build
#   with its tests under qemu-arm and the camera's release cross build, a bounded libFuzzer run of every fuzz
#   target, and the benchmark build.
# IMAGETUNE_TEST_STAGES picks stages (default: all), e.g. IMAGETUNE_TEST_STAGES="dev asan".
# IMAGETUNE_FUZZ_SECONDS sets the fuzz time per target (default 30).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --armhf

jobs=$(nproc 2>/dev/null || echo 2)
stages=${IMAGETUNE_TEST_STAGES:-dev asan tsan armhf fuzz bench}

build_preset() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1" -j "$jobs"
}

for stage in $stages; do
  echo "=== $stage"
  case "$stage" in
    dev|asan|tsan)
      build_preset "$stage"
      ctest --preset "$stage"
      ;;
    armhf)
      build_preset armhf
      ctest --preset armhf
      # The camera build itself (release, no tests, no host kit): built, so that it keeps building.
      build_preset armhf-release
      ;;
    fuzz)
      build_preset fuzz
      bash fuzz/smoke.sh build/fuzz "${IMAGETUNE_FUZZ_SECONDS:-30}"
      ;;
    bench)
      # Built, not run: figures are taken by hand (bench/README.md); running them is not a test.
      build_preset bench
      ;;
    *)
      echo "unknown stage: $stage" >&2
      exit 2
      ;;
  esac
done
echo "=== all test stages passed: $stages"

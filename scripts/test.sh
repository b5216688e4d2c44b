#!/usr/bin/env bash
# Builds and runs every test: a normal build, a build under AddressSanitizer
# and UndefinedBehaviorSanitizer, and bounded fuzzing runs of the decoder,
# then the installation, the Debian package and the Wireshark dissector.
# Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

JOBS=${JOBS:-$(nproc)}
passed=()
failed=()
tests_passed=0
tests_failed=0
log=$(mktemp)
trap 'rm -f "$log"' EXIT

# Adds the counts of ctest's summary line ("N% tests passed, F tests failed
# out of T") in $log to the totals.
count_tests() {
  local line total failures
  line=$(grep -E '[0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1 || true)
  if [[ -n $line ]]; then
    failures=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
    total=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
    tests_passed=$((tests_passed + total - failures))
    tests_failed=$((tests_failed + failures))
  fi
}

run_suite() {
  local name=$1 dir=$2
  shift 2
  echo "=== $name: configure and build in $dir"
  : >"$log"
  if cmake -S . -B "$dir" -G Ninja "$@" && cmake --build "$dir" -j "$JOBS" &&
     ctest --test-dir "$dir" --output-on-failure -j "$JOBS" 2>&1 | tee "$log"; then
    passed+=("$name")
  else
    failed+=("$name")
    # A build that failed ran no test: count it as one failure.
    grep -qE 'tests failed out of' "$log" || tests_failed=$((tests_failed + 1))
  fi
  count_tests
}

run_suite "normal build" build-test -DCMAKE_BUILD_TYPE=Debug

# The window's pictures on the demonstration network (the normal build's
# programs): every picture must be there and not blank.
echo "=== window pictures"
if BUILD_DIR="$PWD/build-test" scripts/screenshots.sh build-test/screenshots; then
  passed+=("window pictures")
  tests_passed=$((tests_passed + 1))
else
  failed+=("window pictures")
  tests_failed=$((tests_failed + 1))
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
run_suite "sanitizer build" build-asan -DCMAKE_BUILD_TYPE=Debug -DNTR_SANITIZE=ON \
  -DCMAKE_CXX_COMPILER=clang++-14

# ThreadSanitizer over the tests whose code runs on several threads.
echo "=== thread sanitizer build"
TSAN_TARGETS=(ntr_base_tests ntr_codec_tests ntr_catalogue_tests ntr_link_tests ntr_transaction_tests
  ntr_device_tests ntr_discovery_tests ntr_config_tests ntr_app_tests ntr_ui_popup_worker_tests
  ntr_metrics_tests)
if cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++-14 \
     -DCMAKE_CXX_FLAGS="-fsanitize=thread -g -O1" -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread \
     -DNTR_BUILD_BENCH=OFF &&
   cmake --build build-tsan -j "$JOBS" --target "${TSAN_TARGETS[@]}"; then
  tsan_ok=1
  for target in "${TSAN_TARGETS[@]}"; do
    exe=$(find build-tsan/tests -type f -name "$target" | head -n 1)
    if [[ -z $exe ]]; then
      echo "missing $target"
      tsan_ok=0
      continue
    fi
    : >"$log"
    if TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" "$exe" 2>&1 | tee "$log" | tail -n 3; then
      tests_passed=$((tests_passed + $(grep -cE '^\[       OK \]' "$log" || true)))
    else
      tsan_ok=0
      tests_failed=$((tests_failed + 1))
      grep -E 'WARNING: ThreadSanitizer|FAILED' "$log" | head -n 20 || true
    fi
  done
  if ((tsan_ok)); then passed+=("thread sanitizer"); else failed+=("thread sanitizer"); fi
else
  failed+=("thread sanitizer")
  tests_failed=$((tests_failed + 1))
fi

echo "=== fuzzing"
if FUZZ_SECONDS=${FUZZ_SECONDS:-45} BUILD_DIR=build-fuzz scripts/fuzz.sh; then
  passed+=("fuzzing")
  tests_passed=$((tests_passed + 1))
else
  failed+=("fuzzing")
  tests_failed=$((tests_failed + 1))
fi

# Installation, the Debian package and the Wireshark dissector: a Release
# build without tests (scripts/package.sh, in build-package), its install tree
# and package checked (packaging/check_install.sh), and the dissector run over
# the demonstration network's captured traffic (tools/wireshark/test_dissector.sh).
echo "=== install, package and dissector"
: >"$log"
if BUILD_DIR=build-package JOBS="$JOBS" scripts/package.sh 2>&1 | tee "$log" | tail -n 1 &&
   deb=$(tail -n 1 "$log") && [[ -f $deb ]]; then
  install_ok=1
  : >"$log"
  packaging/check_install.sh build-package "$deb" 2>&1 | tee "$log" || install_ok=0
  line=$(grep -E '^install checks: ' "$log" || echo "install checks: 0 passed, 1 failed")
  tests_passed=$((tests_passed + $(sed -E 's/.* ([0-9]+) passed.*/\1/' <<<"$line")))
  tests_failed=$((tests_failed + $(sed -E 's/.* ([0-9]+) failed.*/\1/' <<<"$line")))
  if tools/wireshark/test_dissector.sh build-package; then
    tests_passed=$((tests_passed + 1))
  else
    install_ok=0
    tests_failed=$((tests_failed + 1))
  fi
  if ((install_ok)); then passed+=("install and package"); else failed+=("install and package"); fi
else
  failed+=("install and package")
  tests_failed=$((tests_failed + 1))
fi

echo
echo "Suites passed: ${passed[*]:-none}"
echo "Suites failed: ${failed[*]:-none}"
echo "tests: ${tests_passed} passed, ${tests_failed} failed"
((${#failed[@]} == 0))

#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one for a bounded time.
#
#   scripts/fuzz.sh [FUZZER...]     (default: every fuzzer)
#
# Environment:
#   BUILD_DIR     build folder (default: build-fuzz in the repository)
#   FUZZ_SECONDS  run time per fuzzer in seconds (default: 60)
#   CXX_COMPILER  clang compiler (default: clang++-14)
#   BUILD_TYPE    CMake build type (default: RelWithDebInfo, for speed)
#
# Each fuzzer starts from a temporary copy of fuzz/corpus/ (fuzz/corpus-config/
# for the configuration reader), so the seeds in
# the repository are never modified. Exits non-zero when a fuzzer reports a
# finding, after printing the path and hex dump of each reproducer file.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build-fuzz}"
FUZZ_SECONDS="${FUZZ_SECONDS:-60}"
CXX_COMPILER="${CXX_COMPILER:-clang++-14}"
BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}"
CORPUS="$ROOT/fuzz/corpus"
DICT="$ROOT/fuzz/pdu.dict"

if [[ $# -gt 0 ]]; then
  FUZZERS=("$@")
else
  FUZZERS=(decode_pdu_fuzzer pdu_roundtrip_fuzzer config_reader_fuzzer)
fi

if ! [[ "$FUZZ_SECONDS" =~ ^[0-9]+$ ]] || [[ "$FUZZ_SECONDS" -eq 0 ]]; then
  echo "fuzz.sh: FUZZ_SECONDS must be a positive whole number, not '$FUZZ_SECONDS'" >&2
  exit 2
fi

cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja \
  -DCMAKE_CXX_COMPILER="$CXX_COMPILER" -DCMAKE_BUILD_TYPE="$BUILD_TYPE" -DNTR_FUZZ=ON
cmake --build "$BUILD_DIR"

WORK="$(mktemp -d "${TMPDIR:-/tmp}/ntr-fuzz.XXXXXX")"
failed=()

for fuzzer in "${FUZZERS[@]}"; do
  binary="$BUILD_DIR/fuzz/$fuzzer"
  corpus="$WORK/$fuzzer/corpus"
  artifacts="$WORK/$fuzzer/artifacts"
  log="$WORK/$fuzzer/log.txt"
  mkdir -p "$corpus" "$artifacts"
  seeds="$CORPUS"
  dict="$DICT"
  if [[ $fuzzer == config_reader_fuzzer ]]; then
    seeds="$ROOT/fuzz/corpus-config"
    dict="$ROOT/fuzz/config.dict"
  fi
  cp "$seeds"/* "$corpus"/

  echo "=== $fuzzer: ${FUZZ_SECONDS}s, corpus copy in $corpus"
  status=0
  "$binary" \
    -max_total_time="$FUZZ_SECONDS" \
    -dict="$dict" \
    -timeout=10 \
    -rss_limit_mb=2048 \
    -print_final_stats=1 \
    -artifact_prefix="$artifacts/" \
    "$corpus" >"$log" 2>&1 || status=$?

  # The last status line and the final statistics.
  grep -E '^#[0-9]+' "$log" | tail -n 1 || true
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$log" || true

  shopt -s nullglob
  findings=("$artifacts"/*)
  shopt -u nullglob
  if [[ $status -ne 0 || ${#findings[@]} -gt 0 ]]; then
    echo "=== $fuzzer: FINDING (exit status $status), log: $log"
    tail -n 60 "$log"
    for file in "${findings[@]}"; do
      echo "--- reproducer: $file"
      od -An -tx1 -v "$file"
    done
    failed+=("$fuzzer")
  else
    echo "=== $fuzzer: clean"
  fi
done

if [[ ${#failed[@]} -gt 0 ]]; then
  echo "fuzz.sh: findings in: ${failed[*]} (kept in $WORK)" >&2
  exit 1
fi
rm -rf "$WORK"
echo "fuzz.sh: all fuzzers ran clean"

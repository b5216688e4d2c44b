#!/usr/bin/env bash
# Builds the tool and runs its main job against simulated switches on a
# private network (network namespaces and a veth pair made for the run and
# removed afterwards; nothing is sent on the machine's own interfaces).
# Needs root for the namespaces.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
BUILD_DIR=${BUILD_DIR:-build-run}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNTR_BUILD_TESTS=OFF \
  -DNTR_BUILD_BENCH=OFF
cmake --build "$BUILD_DIR"

# The demonstration network (one switch of each model, one behind another)
# with ntrctl discovering and showing it.
BUILD_DIR="$BUILD_DIR" scripts/demo-network.sh scripts/main-job.sh "$BUILD_DIR/cli/ntrctl"

#!/usr/bin/env bash
# Builds the tool and runs its main job.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNTR_BUILD_TESTS=OFF
cmake --build "$BUILD_DIR"

# Until the window exists, the main job demonstrates the codec on a
# discovery exchange.
"$BUILD_DIR/cli/ntr-codec-demo"

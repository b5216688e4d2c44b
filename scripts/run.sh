#!/usr/bin/env bash
# Builds the tool and runs its main job against simulated switches on a
# private network (network namespaces and a veth pair made for the run and
# removed afterwards; nothing is sent on the machine's own interfaces): the
# window when a display is available, otherwise ntrctl and the window's
# pictures written to files. Needs root for the namespaces.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
BUILD_DIR=${BUILD_DIR:-build-run}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNTR_BUILD_TESTS=OFF \
  -DNTR_BUILD_BENCH=OFF
cmake --build "$BUILD_DIR"

# With a display: the window on the demonstration network (one switch of each
# model, one behind another), with a data folder of its own.
if [[ -n ${DISPLAY:-}${WAYLAND_DISPLAY:-} ]]; then
  BUILD_DIR="$BUILD_DIR" exec scripts/demo-network.sh bash -c \
    'export XDG_DATA_HOME=$(mktemp -d) XDG_RUNTIME_DIR=$(mktemp -d); "$0"' "$BUILD_DIR/ui/app/ntr-tool"
fi

# Without one: ntrctl discovering and showing the demonstration network, then
# the window's pictures on it.
BUILD_DIR="$BUILD_DIR" scripts/demo-network.sh scripts/main-job.sh "$BUILD_DIR/cli/ntrctl"
SHOTS="$BUILD_DIR/screenshots"
BUILD_DIR="$BUILD_DIR" scripts/screenshots.sh "$SHOTS"
echo "The window's pictures on the demonstration network are in $SHOTS"

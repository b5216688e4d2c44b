#!/usr/bin/env bash
# Renders the window against the demonstration network (a private network
# made for the run, see demo-network.sh) and writes its pictures as PNG files
# into DIR: the top page with every switch as an icon and in detail, the PoE
# switch's power display, a port with a loop, a switch of an unknown model,
# the pop-up of each kind, the dialogs, and the top page at 200 % scale.
# Fails when a picture is missing or blank. Needs root (namespaces).
#
#   scripts/screenshots.sh DIR
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
DIR="${1:?usage: scripts/screenshots.sh DIR}"
BUILD_DIR="${BUILD_DIR:-$ROOT/build-run}"
mkdir -p "$DIR"
DIR="$(cd "$DIR" && pwd)"

if [[ ! -x $BUILD_DIR/ui/screenshots/ntr-screenshots || ! -x $BUILD_DIR/sim/ntr-switch-sim ]]; then
  cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNTR_BUILD_TESTS=OFF \
    -DNTR_BUILD_BENCH=OFF >/dev/null
  cmake --build "$BUILD_DIR" --target ntr-screenshots ntr-switch-sim
fi

EXPECTED=(top-icons top-detailed top-poe-power top-loop-alarm top-unknown-model
  popup-application popup-switch popup-port popup-poe-port popup-unknown-model
  dialog-progress dialog-adoption-factory dialog-adoption-changed dialog-adoption-new
  dialog-setting-failures dialog-adapter screen-switch-name screen-result screen-message
  screen-port-24g screen-port-8g screen-port-poe screen-port-basic screen-port-qos
  screen-frame-counter screen-power-class screen-multiple-vlan
  screen-switch-main-24g screen-switch-main-8g screen-switch-main-8poe screen-loop-detection
  screen-mirroring screen-power-saving screen-power-saving-confirm
  screen-firmware-update screen-firmware-progress screen-restart-wait
  screen-vlan-ids screen-tagged-vlan screen-port-vlans journey-trunk-refused journey-vlan-kept
  screen-admin screen-admin-control journey-watch-refused screen-admin-save screen-admin-load
  journey-load-restart-wait
  top-icons@2x top-detailed@2x)

# One run per scale, each with a data folder of its own.
shoot() {
  BUILD_DIR="$BUILD_DIR" "$ROOT/scripts/demo-network.sh" env QT_QPA_PLATFORM=offscreen "$@" \
    bash -c 'export XDG_DATA_HOME=$(mktemp -d) XDG_RUNTIME_DIR=$(mktemp -d)
             trap "rm -rf \"$XDG_DATA_HOME\" \"$XDG_RUNTIME_DIR\"" EXIT
             "$0" "$@"' "$BUILD_DIR/ui/screenshots/ntr-screenshots" "$DIR" "${SUFFIX:-}"
}
rm -f "$DIR"/*.png
shoot
SUFFIX=@2x shoot QT_SCALE_FACTOR=2

missing=0
for name in "${EXPECTED[@]}"; do
  if [[ ! -s $DIR/$name.png ]]; then
    echo "screenshots.sh: $name.png is missing" >&2
    missing=1
  fi
done
((missing == 0)) || exit 1
echo "screenshots.sh: ${#EXPECTED[@]} pictures in $DIR"

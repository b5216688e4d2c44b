#!/usr/bin/env bash
# The main job's work inside the demonstration network's tool namespace:
# ntrctl discovers the simulated switches and shows one of them. Runs with a
# data folder of its own, so the user's configuration is not touched.
set -euo pipefail
NTRCTL="$1"
export XDG_DATA_HOME="$(mktemp -d "${TMPDIR:-/tmp}/ntr-main.XXXXXX")"
export XDG_RUNTIME_DIR="$XDG_DATA_HOME"
trap 'rm -rf "$XDG_DATA_HOME"' EXIT

echo "== ntrctl discover (switches never seen before are taken with their own settings)"
"$NTRCTL" --new device discover
echo
echo "== ntrctl show 02:5C:71:00:00:02"
"$NTRCTL" show 02:5C:71:00:00:02
echo
echo "== ntrctl set 02:5C:71:00:00:02 port-speed 3 100-fdx, then get it back"
"$NTRCTL" set 02:5C:71:00:00:02 port-speed 3 100-fdx
"$NTRCTL" get 02:5C:71:00:00:02 port-speed 3
echo
echo "== the configuration file the tool keeps"
iconv -f CP932 -t UTF-8 "$XDG_DATA_HOME/Kaldor/NTR_Application/config_ntr.txt" | tr -d '\r'

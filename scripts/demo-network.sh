#!/usr/bin/env bash
# Builds a private demonstration network: two network namespaces joined by a
# veth pair, the switch simulator in one of them with a small network of
# simulated switches (one of each model, one behind another, a few hosts and
# powered devices), the other namespace left for the tool. Prints what it
# made, then either runs COMMAND inside the tool's namespace or waits for
# Ctrl-C, and always tears everything down on the way out. Nothing is created
# in, or sent on, the machine's own network: the veth pair is made inside the
# namespaces.
#
#   scripts/demo-network.sh [COMMAND...]
#
# Environment:
#   BUILD_DIR     build folder holding sim/ntr-switch-sim (default: build-run,
#                 as scripts/run.sh); the simulator is built there when missing
#   DEMO_SECONDS  without COMMAND: wait this many seconds instead of until
#                 Ctrl-C (default 0, until Ctrl-C)
# COMMAND sees:
#   NTR_DEMO_NETNS      the tool's namespace
#   NTR_DEMO_INTERFACE  the tool's end of the veth pair (inside that namespace)
#   NTR_DEMO_CONTROL    the simulator's control socket
#   NTR_DEMO_SIM        the simulator program (for --ctl)
#   NTR_DEMO_LOG        the simulator's request log
# Needs root (network namespaces).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build-run}"
DEMO_SECONDS="${DEMO_SECONDS:-0}"
SIM="$BUILD_DIR/sim/ntr-switch-sim"

if [[ $(id -u) -ne 0 ]]; then
  echo "demo-network.sh: needs root to make network namespaces" >&2
  exit 2
fi
if [[ ! -x $SIM ]]; then
  cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNTR_BUILD_TESTS=OFF \
    -DNTR_BUILD_BENCH=OFF
  cmake --build "$BUILD_DIR" --target ntr-switch-sim
fi

# Namespaces of earlier runs that were killed before they could clean up.
for ns in $(ip netns list | awk '/^ntrdemo-(sw|tool)-[0-9]+/ {print $1}'); do
  pid="${ns##*-}"
  if ! kill -0 "$pid" 2>/dev/null; then ip netns del "$ns" 2>/dev/null || true; fi
done

ID=$$
NS_SW="ntrdemo-sw-$ID"
NS_TOOL="ntrdemo-tool-$ID"
IF_SW="ntrd${ID}s"
IF_TOOL="ntrd${ID}t"
WORK="$(mktemp -d "${TMPDIR:-/tmp}/ntr-demo.XXXXXX")"
SIM_PID=""

cleanup() {
  if [[ -n $SIM_PID ]]; then
    kill "$SIM_PID" 2>/dev/null || true
    wait "$SIM_PID" 2>/dev/null || true
  fi
  ip netns del "$NS_SW" 2>/dev/null || true
  ip netns del "$NS_TOOL" 2>/dev/null || true
  rm -rf "$WORK"
  echo "demo-network.sh: private network removed"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

ip netns add "$NS_SW"
ip netns add "$NS_TOOL"
ip -n "$NS_SW" link add "$IF_SW" type veth peer name "$IF_TOOL" netns "$NS_TOOL"
ip -n "$NS_SW" link set lo up
ip -n "$NS_TOOL" link set lo up
ip -n "$NS_SW" link set "$IF_SW" up
ip -n "$NS_TOOL" link set "$IF_TOOL" up

cat >"$WORK/network.txt" <<'EOF'
# The demonstration network: the 24-port switch on the tool's port, the
# 8-port switch behind it, the PoE switch behind that one.
switch core  model=NTR7100-24G  serial=DEMO24G0001 firmware=1.00
switch edge  model=NTR7100-8G   serial=DEMO8G00001 firmware=1.00 uplink=core:3
switch power model=NTR7100-8PoE serial=DEMOPOE0001 firmware=1.00 uplink=edge:8 port=8
host core:10  00:A0:DE:00:00:10 traffic=400
host edge:2   00:A0:DE:00:00:02 speed=5
host power:1  00:A0:DE:00:01:01 poe=4
host power:3  00:A0:DE:00:01:03 poe=2
EOF

ip netns exec "$NS_SW" "$SIM" --interface "$IF_SW" --network "$WORK/network.txt" \
  --control "$WORK/control.sock" --request-log "$WORK/requests.log" >"$WORK/sim.out" 2>&1 &
SIM_PID=$!
for _ in $(seq 100); do
  grep -q '^ready' "$WORK/sim.out" 2>/dev/null && break
  kill -0 "$SIM_PID" 2>/dev/null || break
  sleep 0.1
done
if ! grep -q '^ready' "$WORK/sim.out" 2>/dev/null; then
  echo "demo-network.sh: the simulator did not start:" >&2
  cat "$WORK/sim.out" >&2
  exit 1
fi

echo "Private demonstration network"
echo "  switch side: namespace $NS_SW, interface $IF_SW (ntr-switch-sim, pid $SIM_PID)"
echo "  tool side:   namespace $NS_TOOL, interface $IF_TOOL"
echo "  control:     $SIM --ctl $WORK/control.sock COMMAND..."
echo "  request log: $WORK/requests.log"
echo
echo "Simulated switches:"
"$SIM" --ctl "$WORK/control.sock" list | sed 's/^/  /'
echo
echo "Settings of 'edge' in the configuration-file grammar (after a change made behind the tool's back):"
"$SIM" --ctl "$WORK/control.sock" "drift edge port-use 5 0" >/dev/null  # answers "ok"
"$SIM" --ctl "$WORK/control.sock" "dump edge" | sed 's/^/  /'
echo

if [[ $# -gt 0 ]]; then
  status=0
  ip netns exec "$NS_TOOL" env NTR_DEMO_NETNS="$NS_TOOL" NTR_DEMO_INTERFACE="$IF_TOOL" \
    NTR_DEMO_CONTROL="$WORK/control.sock" NTR_DEMO_SIM="$SIM" NTR_DEMO_LOG="$WORK/requests.log" \
    "$@" || status=$?
  exit "$status"
fi

if [[ $DEMO_SECONDS -gt 0 ]]; then
  echo "Running for $DEMO_SECONDS seconds."
  sleep "$DEMO_SECONDS"
else
  echo "Press Ctrl-C to end the demonstration."
  wait "$SIM_PID"
fi

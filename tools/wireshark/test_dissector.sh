#!/usr/bin/env bash
# Tests the Wireshark dissector on real traffic: builds the demonstration
# network (scripts/demo-network.sh: private namespaces and a veth pair, the
# simulator on one end), captures with tshark on the tool's end inside its
# namespace while ntrctl runs the main job and a firmware update, then
# dissects the capture with the dissector and checks that
#   - every frame is decoded by it, none with a malformed mark or a Lua error;
#   - every function request (operation, keyword, indexes, value) with its
#     answer (result, value) and every firmware block (number, length) is
#     what the simulator's request log says it received and answered;
#   - every discovery reply has its neighbour list.
# Nothing is captured or sent on the machine's own interfaces. Needs root.
#
#   tools/wireshark/test_dissector.sh BUILD_DIR [DISSECTOR]
# BUILD_DIR holds cli/ntrctl and sim/ntr-switch-sim; DISSECTOR defaults to
# tools/wireshark/ntr_protocol.lua. KEEP=DIR keeps the capture and logs there.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

if [[ ${1:-} == --inside ]]; then
  # In the tool's namespace (run by demo-network.sh): capture while the tool works.
  out=$2 ntrctl=$3
  tshark -i "$NTR_DEMO_INTERFACE" -f "ether proto 0xe812" -w "$out/capture.pcapng" \
    >"$out/tshark-capture.out" 2>&1 &
  capture=$!
  for _ in $(seq 100); do
    grep -q "Capturing on" "$out/tshark-capture.out" && break
    sleep 0.1
  done
  grep -q "Capturing on" "$out/tshark-capture.out" || { cat "$out/tshark-capture.out" >&2; exit 1; }
  status=0
  "$ROOT/scripts/main-job.sh" "$ntrctl" >"$out/main-job.out" 2>&1 || status=$?
  if ((status == 0)); then
    # A firmware update of the PoE switch: prepare, blocks, the empty last block.
    "$NTR_DEMO_SIM" --make-firmware 1.01 "$out/firmware.bin" 1300 >/dev/null
    data="$(mktemp -d "${TMPDIR:-/tmp}/ntr-dissector.XXXXXX")"
    XDG_DATA_HOME="$data" XDG_RUNTIME_DIR="$data" "$ntrctl" --new device \
      firmware 02:5C:71:00:00:03 "$out/firmware.bin" >>"$out/main-job.out" 2>&1 || status=$?
    rm -rf "$data"
  fi
  # The capture lags the wire by its read interval: the tool has ended, so
  # wait until the file stops growing before the last frames are cut off.
  last=-1
  for _ in $(seq 50); do
    size=$(stat -c %s "$out/capture.pcapng" 2>/dev/null || echo 0)
    ((size == last)) && break
    last=$size
    sleep 0.5
  done
  kill -INT "$capture"
  wait "$capture" || true
  cp "$NTR_DEMO_LOG" "$out/requests.log"
  exit "$status"
fi

BUILD_DIR="$(cd "${1:?usage: test_dissector.sh BUILD_DIR [DISSECTOR]}" && pwd)"
DISSECTOR="$(realpath "${2:-$ROOT/tools/wireshark/ntr_protocol.lua}")"
OUT="${KEEP:-$(mktemp -d "${TMPDIR:-/tmp}/ntr-dissector.XXXXXX")}"
mkdir -p "$OUT"
[[ -n ${KEEP:-} ]] || trap 'rm -rf "$OUT"' EXIT

if ! BUILD_DIR="$BUILD_DIR" "$ROOT/scripts/demo-network.sh" "$0" --inside "$OUT" \
     "$BUILD_DIR/cli/ntrctl" >"$OUT/demo.out" 2>&1; then
  echo "test_dissector: the run on the demonstration network failed:" >&2
  tail -n 30 "$OUT/demo.out" "$OUT/main-job.out" >&2 || true
  exit 1
fi

fail=0
# tshark loads every Lua plugin it finds besides the script it is given: an
# installed copy of the dissector would register the protocol twice. It runs
# with empty plugin folders: an empty home for the personal ones, and in a
# mount namespace of its own an empty folder over the global Lua folder (its
# version folder of compiled plugins put back). Nothing outside changes.
global_lua=$(tshark -G folders 2>/dev/null | sed -n 's/^Global Lua Plugins:[[:space:]]*//p')
mkdir -p "$OUT/home" "$OUT/global-plugins"
dissect() {
  HOME="$OUT/home" XDG_CONFIG_HOME="$OUT/home" GLOBAL_LUA="$global_lua" SAVED="$OUT/global-plugins" \
    unshare --mount --propagation private sh -c '
      if [ -d "$GLOBAL_LUA" ]; then
        mount --bind "$GLOBAL_LUA" "$SAVED" && mount -t tmpfs ntr-empty "$GLOBAL_LUA" || exit 1
        for kept in "$SAVED"/*/; do
          [ -d "$kept" ] || continue
          mkdir "$GLOBAL_LUA/$(basename "$kept")" && mount --bind "$kept" "$GLOBAL_LUA/$(basename "$kept")"
        done
      fi
      exec tshark "$@"' tshark -X lua_script:"$DISSECTOR" -r "$OUT/capture.pcapng" "$@" 2>>"$OUT/tshark.err"
}

total=$(dissect -T fields -e frame.number | wc -l)
decoded=$(dissect -Y ntr -T fields -e frame.number | wc -l)
bad=$(dissect -Y '_ws.malformed || ntr.malformed || _ws.expert.severity >= 0x00600000' \
  -T fields -e frame.number -e _ws.col.Info | tee "$OUT/bad.txt" | wc -l)
if grep -v "Running as user" "$OUT/tshark.err" | grep -q .; then
  echo "test_dissector: tshark reported errors:" >&2
  sort -u "$OUT/tshark.err" | head -n 10 >&2
  fail=1
fi
echo "frames captured: $total, decoded by the dissector: $decoded, with a malformed or warning mark: $bad"
if ((total == 0 || decoded != total || bad != 0)); then
  head -n 10 "$OUT/bad.txt" >&2
  fail=1
fi

# What the simulator received and answered, in its log's words.
awk -F' -> ' '/ tid=[0-9]+ (function|firmware-block) / {
    sub(/^[0-9]+ [^ ]+ [^ ]+ /, "", $1)
    outcome = $2
    sub(/ (fingerprint=|answer-lost|repeat).*$/, "", outcome)
    print $1 " -> " outcome
  }' "$OUT/requests.log" | sort >"$OUT/sent.txt"

# The same lines from the dissected frames: requests, joined with the
# response that names them, and firmware blocks joined with their answers.
dissect -Y 'ntr.app == 8 || ntr.app == 9 || ntr.app == 4 || ntr.app == 5' -T fields -E separator='|' \
  -e frame.number -e ntr.app -e ntr.tid -e ntr.src -e ntr.dst -e ntr.func.op -e ntr.func.keyword \
  -e ntr.func.index -e ntr.func.index2 -e ntr.value.int -e ntr.value.text -e ntr.result \
  -e ntr.func.request_in -e ntr.fw.block -e ntr.fw.length >"$OUT/fields.txt"
awk -F'|' '
  BEGIN { split("set set-default get execute", ops, " ") }
  function value(i, t) { return i != "" ? i : t }
  $2 == 8 {
    line = "tid=" $3 " function " ops[$6 + 1] " " $7
    if ($8 != "") line = line " " $8
    if ($9 != "") line = line " " $9
    v = value($10, $11)
    if (v != "") line = line " value=" v
    request[$1] = line
  }
  $2 == 9 {
    line = request[$13] " -> " $12
    v = value($10, $11)
    if (v != "") line = line " answer=" v
    print line
  }
  $2 == 4 { block[$3 "|" $5] = "tid=" $3 " firmware-block " $14 " len=" $15 }
  $2 == 5 { print block[$3 "|" $4] " -> " $12 }
' "$OUT/fields.txt" | sort >"$OUT/dissected.txt"
requests=$(wc -l <"$OUT/sent.txt")
if ! diff -u "$OUT/sent.txt" "$OUT/dissected.txt" >"$OUT/requests.diff"; then
  echo "test_dissector: dissected requests and answers differ from the simulator's log:" >&2
  head -n 20 "$OUT/requests.diff" >&2
  fail=1
fi
blocks=$(grep -c 'firmware-block' "$OUT/sent.txt" || true)
echo "requests with answers matching the simulator's log: $requests (firmware blocks: $blocks)"
if ((blocks == 0 || requests == 0)); then fail=1; fi

# Discovery replies: every one with its neighbour list, from the three switches.
replies=$(dissect -Y 'ntr.app == 1 && ntr.disc.neighbour_count > 0' -T fields -e ntr.disc.switch \
  | tee "$OUT/replies.txt" | wc -l)
switches=$(sort -u "$OUT/replies.txt" | wc -l)
all_replies=$(dissect -Y 'ntr.app == 1' -T fields -e frame.number | wc -l)
echo "discovery replies: $all_replies, with neighbour lists: $replies, from $switches switches"
if ((replies == 0 || replies != all_replies || switches != 3)); then fail=1; fi

if ((fail)); then
  echo "test_dissector: FAILED (capture and logs in $OUT)" >&2
  [[ -n ${KEEP:-} ]] || { trap - EXIT; }
  exit 1
fi
echo "test_dissector: passed"

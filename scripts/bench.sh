#!/usr/bin/env bash
# Builds the benchmarks (Release, in build-bench) and prints one table: every
# figure beside the floor measured in the same run — a plain AF_PACKET request
# and echo over the same private veth link — with its ratio to that floor,
# once with the threads where the scheduler puts them and once with every
# thread on CPU 0 (on small virtual machines the wake-ups of idle CPUs
# dominate the first).
#
#   scripts/bench.sh
#
# Figures: raw AF_PACKET round trip (the floor); the link endpoint's round
# trip (bench/ntr_link_bench); the execute-function round trip, the bulk read
# of an NTR7100-24G (7689 requests, against 7689 floors), the older capture
# set-up (no immediate mode) and discovery-to-managed of eight switches
# (bench/ntr_stack_bench); the peak resident memory of `ntrctl discover`
# managing eight switches and the CPU share of the core idle with eight
# managed switches (bench/ntr_idle_bench); the window (offscreen) with eight
# switches: start to drawn, the repaint of the whole top page and its CPU
# share when idle (bench/ntr_window_bench; figures and targets, no ratios);
# discovery replies per second from known and from ever-new MACs at bounded
# memory, and the replies waiting while the main thread is held
# (bench/ntr_reply_flood_bench; the ratio new/known); a Prometheus scrape of
# 32 switches x 24 ports from the metrics endpoint on 127.0.0.1, rendered and
# served, also with gzip as Prometheus asks (bench/ntr_metrics_bench; figures
# and a target, no ratios); the read-only monitor (`ntrctl watch`, its own
# process) on 32 switches: its CPU share while the network is quiet
# (bench/ntr_monitor_bench; a figure and its target).
#
# Environment: BUILD_DIR (default build-bench), BUILD_TYPE (default Release),
# LINK_EXCHANGES (default 5000), EXCHANGES (stack bench, default 3000),
# IDLE_SECONDS (idle and window benchmarks, default 10), MONITOR_SECONDS (the
# monitor's idle period, default 60: a whole counter cycle), FLOOD_REPLIES
# (reply flood, default 200000), JOBS. Needs root:
# every measurement builds its own private network (namespaces and veth
# pairs, removed afterwards); nothing is sent on the machine's own interfaces.
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ $(id -u) -ne 0 ]]; then
  echo "bench.sh: needs root to make network namespaces" >&2
  exit 2
fi
scripts/install-deps.sh

BUILD_DIR=${BUILD_DIR:-build-bench}
BUILD_TYPE=${BUILD_TYPE:-Release}
LINK_EXCHANGES=${LINK_EXCHANGES:-5000}
EXCHANGES=${EXCHANGES:-3000}
IDLE_SECONDS=${IDLE_SECONDS:-10}
MONITOR_SECONDS=${MONITOR_SECONDS:-60}
FLOOD_REPLIES=${FLOOD_REPLIES:-200000}
JOBS=${JOBS:-$(nproc)}

echo "=== building ($BUILD_TYPE) in $BUILD_DIR" >&2
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE="$BUILD_TYPE" -DNTR_BUILD_TESTS=OFF \
  -DNTR_BUILD_BENCH=ON >&2
cmake --build "$BUILD_DIR" -j "$JOBS" --target ntr_link_bench ntr_stack_bench ntr_idle_bench \
  ntr_window_bench ntr_reply_flood_bench ntr_metrics_bench ntr_monitor_bench >&2

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

run() {  # name, command...
  local name=$1
  shift
  echo "=== $name: $*" >&2
  if ! "$@" >"$out/$name" 2>"$out/$name.err"; then
    echo "bench.sh: $name failed:" >&2
    cat "$out/$name" "$out/$name.err" >&2
    exit 1
  fi
  cat "$out/$name" >&2
}

run link "$BUILD_DIR/bench/ntr_link_bench" "$LINK_EXCHANGES"
run stack "$BUILD_DIR/bench/ntr_stack_bench" "$EXCHANGES"
run stack1 "$BUILD_DIR/bench/ntr_stack_bench" "$EXCHANGES" one-cpu
run idle "$BUILD_DIR/bench/ntr_idle_bench" "$IDLE_SECONDS"
run window "$BUILD_DIR/bench/ntr_window_bench" "$IDLE_SECONDS"
run flood "$BUILD_DIR/bench/ntr_reply_flood_bench" "$FLOOD_REPLIES"
run metrics "$BUILD_DIR/bench/ntr_metrics_bench"
run monitor "$BUILD_DIR/bench/ntr_monitor_bench" "$MONITOR_SECONDS"

# --- the figures --------------------------------------------------------------
# ntr_link_bench: "scenario count | endpoint median p99 | floor median p99 | ratios"
link_field() {  # scenario, column (2 endpoint, 3 floor)
  awk -F'|' -v s="$1" -v c="$2" 'index($1, s) == 1 { split($c, a, " "); print a[1] }' "$out/link"
}
# ntr_stack_bench lines.
stack_value() {  # file, line start, awk field
  awk -v s="$2" -v f="$3" 'index($0, s) == 1 { print $f }' "$out/$1"
}
flag() {  # file, line start: "incomplete" when the line says so
  if grep "^$2" "$out/$1" | grep -q incomplete; then echo " (incomplete)"; fi
}

link_bb=$(link_field "back to back" 2);   link_bb_floor=$(link_field "back to back" 3)
link_1=$(link_field "one CPU" 2);         link_1_floor=$(link_field "one CPU" 3)
for f in stack stack1; do
  declare "${f}_floor=$(stack_value $f 'floor (AF_PACKET' 5)"
  declare "${f}_exec=$(stack_value $f 'execute function' 5)"
  declare "${f}_exec_failed=$(stack_value $f 'execute function' 12)"
  declare "${f}_bulk_reads=$(stack_value $f 'bulk read' 4)"
  declare "${f}_bulk=$(stack_value $f 'bulk read' 7)"
  declare "${f}_legacy_ms=$(stack_value $f 'legacy capture' 4)"
  declare "${f}_legacy_bulk=$(stack_value $f 'legacy capture' 11)"
  declare "${f}_discovery=$(stack_value $f 'discovery to managed' 10)"
done
rss=$(awk '/^ntrctl discover/ { for (i = 1; i < NF; ++i) if ($i == "RSS") print $(i + 1) }' "$out/idle")
rss_exit=$(awk '/^ntrctl discover/ { print $NF }' "$out/idle")
idle_cpu=$(sed -n 's/.*= \([0-9.]*\) % of one core.*/\1/p' "$out/idle")
# ntr_window_bench: "window start to drawn ...", "window page repaint ...", "window idle ..."
window_value() {  # line start, sed expression for the rest of the line
  sed -n "s/^$1.*$2.*/\\1/p" "$out/window"
}
window_start=$(window_value 'window start to drawn' 'switches *\([0-9.]*\) s')
window_median=$(window_value 'window page repaint' 'median \([0-9.]*\) ms')
window_p90=$(window_value 'window page repaint' 'p90 \([0-9.]*\) ms')
window_cpu=$(window_value 'window idle' '= \([0-9.]*\) % of one core')
window_paints=$(window_value 'window idle' 'core; \([0-9]*\) paints')

# ntr_reply_flood_bench: "replies from known MACs N replies R per second RSS +M MiB", ...
flood_value() {  # line start, field after which the value stands
  awk -v s="$1" -v w="$2" 'index($0, s) == 1 { for (i = 1; i < NF; ++i) if ($i == w) { print $(i - 1); exit } }' "$out/flood"
}
flood_rss() {  # line start
  awk -v s="$1" 'index($0, s) == 1 { for (i = 1; i < NF; ++i) if ($i == "RSS") { v = $(i + 1); sub(/^\+/, "", v); print v; exit } }' "$out/flood"
}
flood_known=$(flood_value 'replies from known MACs' 'per')
flood_new=$(flood_value 'replies from new MACs' 'per')
flood_known_rss=$(flood_rss 'replies from known MACs')
flood_new_rss=$(flood_rss 'replies from new MACs')
flood_waiting=$(flood_value 'main thread held' 'waiting')
flood_held_rss=$(flood_rss 'main thread held')
# ntr_monitor_bench: "monitor watching 32 switches ... = N % of one core; ..."
monitor_cpu=$(sed -n 's/.*= \([0-9.]*\) % of one core.*/\1/p' "$out/monitor")

# ntr_metrics_bench: "metrics scrape new snapshot 32x24 median M ms p90 P ms; ...", ...
metrics_value() {  # line start, word before the value
  awk -v s="$1" -v w="$2" 'index($0, s) == 1 { for (i = 1; i < NF; ++i) if ($i == w) { print $(i + 1); exit } }' "$out/metrics"
}
metrics_render=$(metrics_value 'metrics render' 'median')
metrics_bytes=$(awk '/^metrics render/ { print $(NF - 1) }' "$out/metrics")
metrics_new=$(metrics_value 'metrics scrape new snapshot' 'median')
metrics_new_p90=$(metrics_value 'metrics scrape new snapshot' 'p90')
metrics_same=$(metrics_value 'metrics scrape same snapshot' 'median')
metrics_gzip=$(metrics_value 'metrics scrape gzip' 'median')

for v in monitor_cpu metrics_render metrics_bytes metrics_new metrics_new_p90 metrics_same metrics_gzip flood_known flood_new flood_known_rss flood_new_rss flood_waiting flood_held_rss \
         link_bb link_bb_floor link_1 link_1_floor stack_floor stack_exec stack_bulk stack_legacy_ms \
         stack_discovery stack1_floor stack1_exec stack1_bulk stack1_legacy_ms stack1_discovery rss idle_cpu \
         window_start window_median window_p90 window_cpu window_paints; do
  if [[ -z ${!v} ]]; then
    echo "bench.sh: could not read the figure '$v' from the benchmarks' output" >&2
    exit 1
  fi
done

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { r = a / b; printf (r < 100 ? "%.2fx" : "%.0fx"), r }'; }
floors() { awk -v s="$1" -v f="$2" -v n="$3" 'BEGIN { printf "%.2fx", s / (f * 1e-6 * n) }'; }
within() { awk -v r="${1%x}" -v t="$2" 'BEGIN { print (r <= t ? "met" : "NOT met") }'; }
under() { awk -v v="$1" -v t="$2" 'BEGIN { print (v < t ? "met" : "NOT met") }'; }

cpu_model=$(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)
row() { printf '%-46s | %-13s %-10s | %-13s %-10s | %s\n' "$@"; }

echo
echo "NTR benchmark table: $BUILD_TYPE build, $(date -u '+%Y-%m-%d %H:%M UTC'), Linux $(uname -r),"
echo "$(nproc) CPUs ($cpu_model); private veth link between two network namespaces."
echo "Ratios are to the AF_PACKET floor of the same run (its median round trip)."
echo
printf '%-46s | %-24s | %-24s | %s\n' "figure" "scheduler-placed" "all threads on CPU 0" "target"
row "" "value" "x floor" "value" "x floor" ""
row "----------------------------------------------" "-------------" "----------" "-------------" "----------" "------"
row "raw AF_PACKET round trip (floor), median" "${stack_floor} us" "1.00x" "${stack1_floor} us" "1.00x" ""
row "  floor of the link bench's own run" "${link_bb_floor} us" "1.00x" "${link_1_floor} us" "1.00x" ""
link1_r=$(ratio "$link_1" "$link_1_floor")
row "link endpoint (PcapEndpoint) round trip, median" "${link_bb} us" "$(ratio "$link_bb" "$link_bb_floor")" \
  "${link_1} us" "$link1_r" "(own run's floor) one CPU within 1.3x: $(within "$link1_r" 1.3)"
exec_r=$(ratio "$stack_exec" "$stack_floor"); exec1_r=$(ratio "$stack1_exec" "$stack1_floor")
row "execute-function round trip (get), median" "${stack_exec} us" "$exec_r" "${stack1_exec} us" "$exec1_r" \
  "within 3x / 2x: $(within "$exec_r" 3) / $(within "$exec1_r" 2)"
bulk_r=$(floors "$stack_bulk" "$stack_floor" 7689); bulk1_r=$(floors "$stack1_bulk" "$stack1_floor" 7689)
row "bulk read NTR7100-24G (${stack_bulk_reads} requests)$(flag stack 'bulk read')" "${stack_bulk} s" "$bulk_r" \
  "${stack1_bulk} s" "$bulk1_r" "under 0.5 s / within 2x of 7689 floors: $(under "$stack_bulk" 0.5) / $(within "$bulk1_r" 2)"
row "  7689 floors" "$(awk -v f="$stack_floor" 'BEGIN { printf "%.3f s", f * 7689e-6 }')" "1.00x" \
  "$(awk -v f="$stack1_floor" 'BEGIN { printf "%.3f s", f * 7689e-6 }')" "1.00x" ""
row "discovery to managed, 8 switches$(flag stack 'discovery to managed')" "${stack_discovery} s" \
  "$(ratio "$stack_discovery" "$(awk -v f="$stack_floor" 'BEGIN { print f * 1e-6 }')")" \
  "${stack1_discovery} s" "$(ratio "$stack1_discovery" "$(awk -v f="$stack1_floor" 'BEGIN { print f * 1e-6 }')")" ""
row "legacy capture (no immediate mode), per get" "${stack_legacy_ms} ms" \
  "$(ratio "$stack_legacy_ms" "$(awk -v f="$stack_floor" 'BEGIN { print f * 1e-3 }')")" \
  "${stack1_legacy_ms} ms" "$(ratio "$stack1_legacy_ms" "$(awk -v f="$stack1_floor" 'BEGIN { print f * 1e-3 }')")" \
  "bulk read extrapolated ${stack_legacy_bulk} s"
row "peak RSS of ntrctl managing 8 switches" "${rss} MiB" "-" "" "" "ntrctl discover, exit ${rss_exit}"
row "CPU of the idle core, 8 switches, ${IDLE_SECONDS} s" "${idle_cpu} %" "-" "" "" \
  "under 1 % of one core: $(under "$idle_cpu" 1)"
row "window: start to drawn, 8 switches" "${window_start} s" "-" "" "" \
  "managed, ready, polled, detailed, painted"
row "window: repaint of the whole top page, median" "${window_median} ms" "-" "" "" \
  "p90 ${window_p90} ms; under 5 ms: $(under "$window_median" 5)"
row "window idle, 8 switches detailed, ${IDLE_SECONDS} s" "${window_cpu} %" "-" "" "" \
  "under 1 % of one core: $(under "$window_cpu" 1); ${window_paints} paints"
row "monitor (ntrctl watch) idle, 32 switches, ${MONITOR_SECONDS} s" "${monitor_cpu} %" "-" "" "" \
  "under 1 % of one core: $(under "$monitor_cpu" 1); 8 in the tree, polls every 10 s"
row "discovery replies from 240 known MACs" "${flood_known}/s" "1.00x" "" "" \
  "${FLOOD_REPLIES} replies; RSS +${flood_known_rss} MiB"
row "discovery replies from ever-new MACs" "${flood_new}/s" "$(ratio "$flood_new" "$flood_known")" "" "" \
  "x known MACs; RSS +${flood_new_rss} MiB"
row "replies waiting, main thread held, 240 x 20" "${flood_waiting}" "-" "" "" \
  "one per switch; RSS +${flood_held_rss} MiB"
row "metrics scrape 32x24, render + serve, median" "${metrics_new} ms" "-" "" "" \
  "p90 ${metrics_new_p90} ms; under 10 ms: $(under "$metrics_new" 10); ${metrics_bytes} bytes"
row "  render alone, median" "${metrics_render} ms" "-" "" "" ""
row "  the same snapshot served again, median" "${metrics_same} ms" "-" "" "" ""
row "  with gzip (as Prometheus asks), median" "${metrics_gzip} ms" "-" "" "" ""
if [[ -n ${stack_exec_failed:-} && $stack_exec_failed != 0 ]] || [[ -n ${stack1_exec_failed:-} && $stack1_exec_failed != 0 ]]; then
  echo "note: some execute-function requests failed (${stack_exec_failed} / ${stack1_exec_failed})"
fi

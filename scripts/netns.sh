#!/usr/bin/env bash
# A private two-namespace network for demonstrations, the simulator and tests.
# Nothing is created on the machine's own interfaces: the veth pair is made
# directly inside the two namespaces. Needs root.
#
#   scripts/netns.sh run [--] COMMAND [ARGS...]
#       Creates the namespaces ntrs-<pid>-tool and ntrs-<pid>-peer, joined by a
#       veth pair (ntrs<pid>t in the tool namespace, ntrs<pid>p in the peer
#       namespace), both ends up. Runs COMMAND inside the tool namespace with
#         NTR_TOOL_NS, NTR_PEER_NS   the two namespace names
#         NTR_TOOL_IF, NTR_PEER_IF   the two interface names
#       in its environment (reach the peer side with
#       `ip netns exec "$NTR_PEER_NS" ...`). Deletes both namespaces when the
#       command ends, fails or the script is interrupted, and exits with the
#       command's status.
#
#   scripts/netns.sh sweep
#       Deletes the namespaces that runs of this script (ntrs-<pid>-*) and of
#       the C++ test fixture (ntrt-<pid>-*) left behind when their process
#       was killed. Namespaces of live processes are kept.
set -euo pipefail

usage() {
  sed -n '2,/^set -euo/p' "$0" | sed '$d' | sed 's/^# \{0,1\}//' >&2
  exit 2
}

sweep() {
  local name pid
  while read -r name _; do
    [[ $name =~ ^ntr[st]-([0-9]+)- ]] || continue
    pid=${BASH_REMATCH[1]}
    if [[ ! -d /proc/$pid ]]; then
      ip netns delete "$name" && echo "deleted stale namespace $name"
    fi
  done < <(ip netns list 2>/dev/null)
}

cleanup() {
  ip netns delete "$tool" 2>/dev/null || true
  ip netns delete "$peer" 2>/dev/null || true
}

run() {
  [[ ${1:-} == -- ]] && shift
  (($# > 0)) || usage
  # Global, so that the exit trap still knows them.
  tool=ntrs-$$-tool peer=ntrs-$$-peer
  toolIf=ntrs$$t peerIf=ntrs$$p
  trap cleanup EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  sweep >&2
  ip netns add "$tool"
  ip netns add "$peer"
  ip link add "$toolIf" netns "$tool" type veth peer name "$peerIf" netns "$peer"
  ip -n "$tool" link set "$toolIf" up
  ip -n "$peer" link set "$peerIf" up
  local status=0
  ip netns exec "$tool" env NTR_TOOL_NS="$tool" NTR_PEER_NS="$peer" \
    NTR_TOOL_IF="$toolIf" NTR_PEER_IF="$peerIf" "$@" || status=$?
  exit "$status"
}

case ${1:-} in
  run) shift; run "$@" ;;
  sweep) sweep ;;
  *) usage ;;
esac

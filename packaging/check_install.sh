#!/usr/bin/env bash
# Checks the installation and the Debian package of a build made by
# scripts/package.sh: installs into a temporary DESTDIR and checks the tree
# (programs and their --version, desktop entry, manual pages, bash
# completion, the dissector's function table), runs lintian on the package,
# and runs the packaged ntrctl as an unprivileged user with the capabilities
# the post-install step gives, on the private demonstration network.
# Prints one "ok"/"FAILED" line per check and exits non-zero on any failure.
#
#   packaging/check_install.sh BUILD_DIR DEB
set -uo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="$(cd "${1:?usage: check_install.sh BUILD_DIR DEB}" && pwd)"
DEB="$(realpath "${2:?usage: check_install.sh BUILD_DIR DEB}")"
WORK="$(mktemp -d "${TMPDIR:-/tmp}/ntr-install.XXXXXX")"
trap 'rm -rf "$WORK"' EXIT
STAGE="$WORK/stage"

passed=0
failed=0
check() {
  local name=$1
  shift
  if "$@" >"$WORK/check.out" 2>&1; then
    echo "ok      $name"
    passed=$((passed + 1))
  else
    echo "FAILED  $name"
    sed 's/^/        /' "$WORK/check.out" | head -n 20
    failed=$((failed + 1))
  fi
}

version=$(sed -nE 's/^project\(ntr_tool VERSION ([0-9.]+).*/\1/p' "$ROOT/CMakeLists.txt")
programs=(ntrctl ntr-switch-sim)
[[ -f $BUILD_DIR/ui/app/ntr-tool || -n $(find "$BUILD_DIR/ui" -name ntr-tool -type f 2>/dev/null) ]] &&
  programs+=(ntr-tool)

tree_has_files() {
  local file
  for file in "${programs[@]/#/usr/bin/}" "${programs[@]/#/usr/share/man/man1/}" \
      usr/share/bash-completion/completions/ntrctl lib/systemd/system/ntr-watch@.service \
      usr/lib/x86_64-linux-gnu/wireshark/plugins/ntr_protocol.lua \
      usr/share/doc/ntr-tool/copyright usr/share/doc/ntr-tool/changelog.Debian.gz \
      usr/share/doc/ntr-tool/README.md; do
    [[ $file == usr/share/man/man1/* ]] && file+=.1.gz
    [[ -e $STAGE/$file ]] || { echo "missing $file"; return 1; }
  done
}
versions_agree() {
  local program
  for program in "${programs[@]}"; do
    [[ $("$STAGE/usr/bin/$program" --version) == "$program $version" ]] ||
      { echo "$program --version: $("$STAGE/usr/bin/$program" --version)"; return 1; }
  done
}
desktop_entry_valid() {
  desktop-file-validate "$ROOT/packaging/ntr-tool.desktop"
  if [[ " ${programs[*]} " == *" ntr-tool "* ]]; then
    desktop-file-validate "$STAGE/usr/share/applications/ntr-tool.desktop" &&
      [[ -f $STAGE/usr/share/icons/hicolor/scalable/apps/ntr-tool.svg &&
         -f $STAGE/usr/share/icons/hicolor/48x48/apps/ntr-tool.png ]]
  fi
}
manual_pages_render() {
  local page
  for page in "$STAGE"/usr/share/man/man1/*.1.gz; do
    LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>"$WORK/man.err" | grep -q "^NAME" ||
      { echo "$page does not render"; return 1; }
    [[ ! -s $WORK/man.err ]] || { cat "$WORK/man.err"; return 1; }
  done
}
completion_loads() {
  # Loaded as bash-completion loads it, then asked for a command, an option's
  # answers, a setting's value words, a keyword after a MAC with colons (bash
  # splits the MAC at them) and the known switches' MACs and names (from the
  # installed ntrctl and a configuration file of one switch).
  local data="$WORK/completion-data/Kaldor/NTR_Application"
  mkdir -p "$data"
  printf '%s\r\n' "switch select 02:5C:71:00:00:02" "#switch control function get firmware-revision 1.00" \
    "#switch control function get serial-number COMPL000001" "#switch control function get model-name NTR7100-8G" \
    "switch control function set system-name core" >"$data/config_ntr.txt"
  XDG_DATA_HOME="$WORK/completion-data" PATH="$STAGE/usr/bin:$PATH" bash -c '
    source /usr/share/bash-completion/bash_completion
    source "$1"
    complete -p ntrctl >/dev/null || exit 1
    # ask LINE: the words as bash splits LINE (":" is a word break).
    ask() { COMP_LINE=$1; read -ra COMP_WORDS <<<"${1//:/ : }"; [[ $1 == *" " ]] && COMP_WORDS+=("");
            COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); COMP_POINT=${#COMP_LINE}; COMPREPLY=(); _ntrctl;
            echo "${COMPREPLY[*]}"; }
    expect() { [[ $(ask "$1") == "$2" ]] || { echo "\"$1\": \"$(ask "$1")\", not \"$2\""; exit 1; }; }
    expect "ntrctl disc" discover
    expect "ntrctl --new " "factory device"
    expect "ntrctl set SW port-speed 3 " "auto 10-hdx 10-fdx 100-hdx 100-fdx 1000-fdx"
    expect "ntrctl get 02:5C:71:00:00:02 vlan-a" vlan-access
    expect "ntrctl get core status-fan-r" status-fan-rpm
    expect "ntrctl show 02:5C:71:00:00:0" 02
    expect "ntrctl show co" core
    expect "ntrctl vlan mode 02:5C:71:00:00:02 3 tr" trunk
    expect "ntrctl apply --dry" --dry-run
    expect "ntrctl --verb" --verbose
    expect "ntrctl firmware --no-w" --no-wait
    expect "ntrctl get -q --raw core status-port-s" status-port-speed
    expect "ntrctl diff core --file nosuch-" ""
    expect "ntrctl wat" watch
    expect "ntrctl watch --temp" --temperature-limit
    expect "ntrctl topology --do" --dot
  ' completion "$STAGE/usr/share/bash-completion/completions/ntrctl"
}
function_table_current() {
  cmake -DGENERATOR="$BUILD_DIR/tools/wireshark/ntr-function-table" \
    -DDISSECTOR="$STAGE/usr/lib/x86_64-linux-gnu/wireshark/plugins/ntr_protocol.lua" \
    -P "$ROOT/tools/wireshark/check_function_table.cmake"
}
systemd_unit_verifies() {
  # systemd-analyze verify of an instance against a root holding the system's
  # units, the installed unit and the installed ntrctl (no running systemd
  # needed); any complaint fails, warnings included.
  local root="$WORK/unit-root"
  mkdir -p "$root/usr/lib/systemd" "$root/usr/bin" "$root/lib/systemd/system"
  cp -a /usr/lib/systemd/system "$root/usr/lib/systemd/"
  cp "$STAGE/usr/bin/ntrctl" "$root/usr/bin/"
  cp "$STAGE/lib/systemd/system/ntr-watch@.service" "$root/lib/systemd/system/"
  systemd-analyze verify --man=no --root="$root" ntr-watch@eth0.service >"$WORK/verify.out" 2>&1
  local status=$?
  cat "$WORK/verify.out"
  ((status == 0)) && [[ ! -s $WORK/verify.out ]]
}
package_matches_install() {
  dpkg-deb -x "$DEB" "$WORK/package"
  diff <(cd "$STAGE" && find . -type f | sort) <(cd "$WORK/package" && find . -type f | sort)
}
lintian_clean() {
  # No errors; the warnings allowed are those the README explains.
  lintian "$DEB" 2>/dev/null | tee "$WORK/lintian.txt"
  ! grep -v -E '^W: ntr-tool: initial-upload-closes-no-bugs' "$WORK/lintian.txt" | grep -q '^[EW]:'
}
unprivileged_discover() {
  # The packaged ntrctl with the post-install step's capabilities, run as
  # nobody in the demonstration network's tool namespace.
  local bin="$WORK/user-bin" data="$WORK/user-data"
  mkdir -p "$bin" "$data"
  cp "$WORK/package/usr/bin/ntrctl" "$bin/"
  sed -n '/^if \[ "\$1" = "configure" \]/,/^fi/p' "$ROOT/packaging/postinst" |
    sed "s#/usr/bin/#$bin/#g" | sh -s configure
  getcap "$bin/ntrctl" | grep -q cap_net_admin,cap_net_raw=ep || { getcap "$bin/ntrctl"; return 1; }
  chmod 755 "$WORK" "$bin"
  chown nobody "$data"
  BUILD_DIR="$BUILD_DIR" "$ROOT/scripts/demo-network.sh" setpriv --reuid=nobody --regid=nogroup \
    --clear-groups env XDG_DATA_HOME="$data" XDG_RUNTIME_DIR="$data" HOME="$data" \
    "$bin/ntrctl" --new device --timeout 20 discover >"$WORK/discover.out" 2>&1 ||
    { tail -n 5 "$WORK/discover.out"; return 1; }
  grep -cE '^ *02:5C:71:00:00:0[123] NTR7100-[^ ]+ serial=' "$WORK/discover.out" | grep -qx 3 ||
    { tail -n 5 "$WORK/discover.out"; return 1; }
}

unprivileged_watch() {
  # As the service runs it: the packaged ntrctl without file capabilities, as
  # nobody with CAP_NET_RAW and CAP_NET_ADMIN ambient (the unit's
  # AmbientCapabilities), its data folder a state folder of its own.
  local bin="$WORK/watch-bin" data="$WORK/watch-data"
  mkdir -p "$bin" "$data"
  cp "$WORK/package/usr/bin/ntrctl" "$bin/"
  chmod 755 "$WORK" "$bin"
  chown nobody "$data"
  chmod 700 "$data"
  BUILD_DIR="$BUILD_DIR" "$ROOT/scripts/demo-network.sh" setpriv --reuid=nobody --regid=nogroup \
    --clear-groups --inh-caps=+net_raw,+net_admin --ambient-caps=+net_raw,+net_admin \
    env XDG_DATA_HOME="$data" HOME="$data" "$bin/ntrctl" --json --timeout 20 watch --once \
    >"$WORK/watch.out" 2>&1 || { tail -n 5 "$WORK/watch.out"; return 1; }
  grep -c '"event":"switch-found"' "$WORK/watch.out" | grep -qx 3 || { tail -n 5 "$WORK/watch.out"; return 1; }
}

check "install into DESTDIR" env DESTDIR="$STAGE" cmake --install "$BUILD_DIR"
check "installed tree has every file (${programs[*]})" tree_has_files
check "--version of every program is the project's ($version)" versions_agree
check "desktop entry valid" desktop_entry_valid
check "manual pages render with man -l" manual_pages_render
check "bash completion loads and completes" completion_loads
check "dissector's function table is the descriptors'" function_table_current
check "systemd unit ntr-watch@.service verifies" systemd_unit_verifies
check "package holds the installed files" package_matches_install
check "lintian: no errors, no unexplained warnings" lintian_clean
check "packaged ntrctl discovers as nobody with its capabilities" unprivileged_discover
check "packaged ntrctl watches as nobody with the unit's ambient capabilities" unprivileged_watch
echo "install checks: $passed passed, $failed failed"
((failed == 0))

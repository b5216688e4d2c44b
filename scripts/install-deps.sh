#!/usr/bin/env bash
# Installs the Debian packages the project builds, tests and runs with.
# Idempotent: when everything is present it changes nothing.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ pkg-config
  clang-14 libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libpcap-dev zlib1g-dev libcpp-httplib-dev
  iproute2
  qt6-base-dev qt6-qpa-plugins qt6-translations-l10n
  fonts-ipafont-gothic fontconfig
  dpkg-dev lintian desktop-file-utils man-db bash-completion libcap2-bin librsvg2-bin tshark
  prometheus curl
  systemd
)

missing=()
for package in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

SUDO=""
if [[ $(id -u) -ne 0 ]]; then
  SUDO="sudo"
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# tshark's package asks whether non-root users may capture: they may not
# (the tests capture as root inside their own namespaces).
echo "wireshark-common wireshark-common/install-setuid boolean false" | $SUDO debconf-set-selections
$SUDO apt-get update -qq
$SUDO apt-get install -y --no-install-recommends "${missing[@]}"

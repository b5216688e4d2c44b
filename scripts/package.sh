#!/usr/bin/env bash
# Builds the Debian package: a Release build in build-package (or BUILD_DIR)
# with Debian's hardening flags, installed under /usr, packed by CPack. Prints
# the package's path on its last line.
#
#   scripts/package.sh
#
# It runs scripts/install-deps.sh first (which installs what is missing).
#
# Environment: BUILD_DIR (default build-package), JOBS, NTR_BUILD_UI (ON:
# the window is packaged when it is part of the build; OFF leaves Qt out).
set -euo pipefail
cd "$(dirname "$0")/.."

# What the build and the package need (apt-get when something is missing).
scripts/install-deps.sh

BUILD_DIR=${BUILD_DIR:-build-package}
JOBS=${JOBS:-$(nproc)}

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# With these flags GCC 12 warns falsely (-Wrestrict) inside std::string's
# operator+ (GCC bug 105329); the warning is off for the package build only.
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DNTR_BUILD_TESTS=OFF -DNTR_BUILD_BENCH=OFF -DNTR_BUILD_UI="${NTR_BUILD_UI:-ON}" \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS) -Wno-restrict" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$BUILD_DIR" -j "$JOBS"
(cd "$BUILD_DIR" && cpack -G DEB >/dev/null)
ls -1 "$PWD/$BUILD_DIR"/ntr-tool_*.deb | tail -n 1

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages Tovimaru needs (only when one is missing) and builds it in build/.
# Used by ./run.sh and ./test.sh; with --no-build it only installs.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  cmake ninja-build g++ pkg-config ccache
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite
  libsqlite3-dev mdbtools-dev libexif-dev libjpeg-turbo-progs
  libanthy-dev anthy-common
  fonts-motoya-l-maruberi fonts-ipafont-gothic
  poppler-utils cups printer-driver-cups-pdf qt6-translations-l10n
  xvfb xdotool openbox x11-utils
  at-spi2-core python3-pyatspi dbus-daemon dbus-session-bus-common
  qt6-svg-dev qt6-image-formats-plugins libheif-dev libde265-dev libpng-dev libwebp-dev
  qt6-speech-dev qt6-declarative-dev qt6-speech-speechd-plugin speech-dispatcher speech-dispatcher-espeak-ng espeak-ng alsa-utils
  desktop-file-utils appstream dpkg-dev file lintian
)

scripts/install-missing.sh "${packages[@]}"

[ "${1:-}" = "--no-build" ] && exit 0

# ccache keeps compiled objects between builds and between clones of the project.
export CCACHE_BASEDIR="$PWD"
# Objects built with debug information are shared between clones in other folders as well.
export CCACHE_NOHASHDIR=true
if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
fi
cmake --build build -j 2

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package of Tovimaru: installs what is missing, builds in build/, and lets
# CPack make build/tovimaru_VERSION_ARCH.deb, whose dependencies dpkg-shlibdeps computes.
# Install it with: sudo apt install ./build/tovimaru_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/prepare.sh
cmake --build build --target package
ls -l build/tovimaru_*.deb

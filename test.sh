#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and runs every test, headless.
set -euo pipefail
cd "$(dirname "$0")"
scripts/prepare.sh
ctest --test-dir build --output-on-failure -j 2

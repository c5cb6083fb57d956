#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test, headless.
set -euo pipefail
cd "$(dirname "$0")"
scripts/prepare.sh
ctest --test-dir build --output-on-failure -j 2

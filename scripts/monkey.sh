#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The long monkey run: scripts/monkey.sh [EVENTS [SEED]] (default 200000 events, seed 1) drives
# the whole program with random events and prints its resident memory every 10,000 events.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/prepare.sh
export QT_QPA_PLATFORM=offscreen
export TOVIMARU_MONKEY_EVENTS="${1:-200000}"
export TOVIMARU_MONKEY_SEED="${2:-1}"
export TOVIMARU_MONKEY_MEMORY_EVERY=10000
# A long run outlasts QtTest's five minutes for one test function.
export QTEST_FUNCTION_TIMEOUT=86400000
exec build/tests/tst_monkey -silent

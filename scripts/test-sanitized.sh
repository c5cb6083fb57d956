#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds a second tree, build-sanitized/, with AddressSanitizer and UndefinedBehaviorSanitizer and
# runs every test in it. Any error report of either fails the test that caused it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/prepare.sh --no-build

export CCACHE_BASEDIR="$PWD"
# Objects built with debug information are shared between clones in other folders as well.
export CCACHE_NOHASHDIR=true
if [ ! -f build-sanitized/CMakeCache.txt ]; then
  cmake -S . -B build-sanitized -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOVIMARU_SANITIZE=ON \
        -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
fi
cmake --build build-sanitized -j 2

# Leaks are not errors here: Qt keeps caches (fonts, plugins) until the process ends.
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# The monkey test runs twice here, with two seeds: 20,000 random events in all.
# The real voice is left to the plain suite: over the sanitized build its engine does not start
# within the test's minute.
export TOVIMARU_SANITIZED=1
export TOVIMARU_MONKEY_EVENTS="${TOVIMARU_MONKEY_EVENTS:-10000}"
ctest --test-dir build-sanitized --output-on-failure -j 2 "$@"

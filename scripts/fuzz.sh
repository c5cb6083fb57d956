#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets of fuzz/ with clang in build-fuzz/ and runs each for a bounded
# time, one job at a time.
#
#   scripts/fuzz.sh SECONDS [TARGET...]
#     targets: fuzz_wmf fuzz_picture fuzz_heif fuzz_exif fuzz_jet_answer fuzz_jet_file fuzz_posterfile; default: all
#
# fuzz_jet_file runs libmdb, which is not ours and which the program keeps in a helper process:
# it goes on after a crash (-fork), and what it finds goes into tests/regressions/jet/, where the
# suite checks that the program reads each such file as unreadable and carries on.
#
# Each target starts from its seed folders below plus what earlier runs found
# (build-fuzz/corpus/TARGET). Inputs that crash, leak or time out land in
# build-fuzz/artifacts/TARGET/; once fixed, copy them into the regression folder the test suite
# replays (tests/regressions/wmf/ for the metafile player, tests/regressions/picture/ for the loader,
# tests/regressions/exif/ for EXIF blocks and shared thumbnails, tests/regressions/moreformats/ for
# PNG, WebP and HEIF files).
# Leak detection is off: Qt and fontconfig keep caches for the life of the process.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -lt 1 ] || ! [[ "$1" =~ ^[0-9]+$ ]]; then
  echo "usage: $0 SECONDS [TARGET...]" >&2
  exit 2
fi
seconds=$1
shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_wmf fuzz_picture fuzz_heif fuzz_exif fuzz_jet_answer fuzz_jet_file fuzz_posterfile)

testdata=${TOVIMARU_TESTDATA:-../shared/testdata}/images
mdb=${TOVIMARU_TESTDATA:-../shared/testdata}/mdb
# The seed folders of each target: add a line for a new target.
seeds_of() {
  case "$1" in
    fuzz_wmf) echo "$testdata/wmf $testdata/bad samples tests/regressions/wmf" ;;
    fuzz_picture) echo "$testdata/bmp/bmpsuite/g $testdata/bmp/bmpsuite/b $testdata/dib_rle $testdata/gif/pygif $testdata/wmf $testdata/bad samples tests/regressions/picture tests/regressions/moreformats" ;;
    fuzz_heif) echo "tests/regressions/moreformats" ;;
    fuzz_exif) echo "tests/regressions/exif" ;;
    fuzz_jet_answer) echo "tests/regressions/jet-answer" ;;
    fuzz_jet_file) echo "$mdb tests/regressions/jet" ;;
    fuzz_posterfile) echo "tests/regressions/posterfile" ;;
    *) echo "unknown target $1" >&2; exit 2 ;;
  esac
}

scripts/prepare.sh --no-build
scripts/install-missing.sh clang libclang-rt-14-dev

if [ ! -f build-fuzz/CMakeCache.txt ]; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOVIMARU_FUZZ=ON
fi
cmake --build build-fuzz -j 2 --target "${targets[@]}"

status=0
for target in "${targets[@]}"; do
  corpus=build-fuzz/corpus/$target
  artifacts=build-fuzz/artifacts/$target
  mkdir -p "$corpus" "$artifacts"
  seeds=()
  for folder in $(seeds_of "$target"); do
    # Only what the target reads: small files (the huge JPEGs would only slow it down).
    [ -d "$folder" ] && seeds+=("$folder")
  done
  echo "== $target for ${seconds}s, seeds: ${seeds[*]}"
  # Seeds are only read; new inputs go into the first folder, the target's own corpus.
  extra=()
  [ "$target" = fuzz_jet_file ] && extra=(-fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1)
  ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=1 \
    "build-fuzz/fuzz/$target" "${extra[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -max_len=262144 -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" "${seeds[@]}" \
    || status=$?
  ls "$artifacts" | sed "s|^|  found: $artifacts/|"
done
exit $status

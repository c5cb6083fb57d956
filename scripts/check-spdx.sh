#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/check-spdx.sh [SOURCE_DIR] fails listing every source file and script of the project
# whose top lacks "SPDX-License-Identifier: GPL-3.0-or-later" (CC0-1.0 in AppStream metainfo;
# scripts/add-spdx.sh adds it).
# Run by the test suite as check_spdx.
set -euo pipefail
scripts="$(cd "$(dirname "$0")" && pwd)"
cd "${1:-$scripts/..}"
source "$scripts/spdx-files.sh"

checked=0
missing=0
mapfile -d '' files < <(spdx_all_files)
for file in "${files[@]}"; do
  kind="$(spdx_kind "$file")"
  [ -n "$kind" ] || continue
  checked=$((checked + 1))
  if ! spdx_has_line "$file"; then
    echo "check-spdx: no licence line: $file"
    missing=$((missing + 1))
  fi
done

if [ "$missing" -gt 0 ]; then
  echo "check-spdx: $missing of $checked file(s) without the licence line; scripts/add-spdx.sh adds it"
  exit 1
fi
echo "check-spdx: all $checked file(s) carry the licence line"

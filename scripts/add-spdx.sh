#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/add-spdx.sh [SOURCE_DIR] puts the line "SPDX-License-Identifier: GPL-3.0-or-later" at
# the top of every source file and script of the project that lacks it, in the file's own comment
# syntax: line 1 of C++ files, CMake files and desktop entries; after the #! line of a script;
# after the <?xml ...?> declaration of an XML file. Files that have it are left alone, so it can
# run again at any time. AppStream metainfo names its own licence, CC0-1.0, as its
# <metadata_license> does. scripts/check-spdx.sh (the test check_spdx) lists the files without it.
set -euo pipefail
scripts="$(cd "$(dirname "$0")" && pwd)"
cd "${1:-$scripts/..}"
source "$scripts/spdx-files.sh"

added=0
mapfile -d '' files < <(spdx_all_files)
for file in "${files[@]}"; do
  kind="$(spdx_kind "$file")"
  [ -n "$kind" ] || continue
  spdx_has_line "$file" && continue
  line="$(spdx_line "$kind" "$file")"
  temporary="$(mktemp "${file}.XXXXXX")"
  first="$(head -n 1 -- "$file")"
  if { [ "$kind" = script ] && [[ "$first" == '#!'* ]]; } || { [ "$kind" = xml ] && [[ "$first" == '<?xml'* ]]; }; then
    # After the #! line or the XML declaration, which must stay first.
    { printf '%s\n' "$first"; printf '%s\n' "$line"; tail -n +2 -- "$file"; } >"$temporary"
  else
    { printf '%s\n' "$line"; cat -- "$file"; } >"$temporary"
  fi
  chmod --reference="$file" "$temporary"
  mv -- "$temporary" "$file"
  echo "add-spdx: $file"
  added=$((added + 1))
done
echo "add-spdx: $added file(s) given the licence line"

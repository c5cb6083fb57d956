#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by scripts/add-spdx.sh and scripts/check-spdx.sh: which files of the project carry the
# licence line, and how each kind of file writes it.

# The project's licence; AppStream metainfo is the one exception: its line names the licence of
# the metadata, which its <metadata_license> states too, so that stores may copy it freely.
SPDX_ID="GPL-3.0-or-later"
SPDX_METADATA_ID="CC0-1.0"

# The identifier a file carries.
spdx_tag() {
  case "$1" in
    *.metainfo.xml.in) echo "SPDX-License-Identifier: $SPDX_METADATA_ID" ;;
    *) echo "SPDX-License-Identifier: $SPDX_ID" ;;
  esac
}

# The project's files, relative to the current folder (the source folder): from git where the
# tree is a checkout (tracked files and new ones not ignored), else every file outside the build
# folders.
spdx_all_files() {
  if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z --cached --others --exclude-standard
  else
    find . \( -path './.git' -o -path './build' -o -path './build-*' \) -prune -o -type f -print0 |
      sed -z 's|^\./||'
  fi
}

# The first five lines of a file (read by the shell itself: the check runs over every file).
spdx_top() {
  local line top="" n=0
  while [ $n -lt 5 ] && IFS= read -r line || [ -n "$line" ]; do
    top+="$line"$'\n'
    n=$((n + 1))
    line=""
  done <"$1"
  printf '%s' "$top"
}

# The comment syntax a file takes: cpp, script (after a #! line), hash, desktop, xml or man; nothing
# for a file that carries no licence line (pictures, sample and regression files, documents,
# the licence itself, generated files).
spdx_kind() {
  local file="$1"
  case "$file" in
    samples/* | tests/regressions/* | tests/reference/* | docs/* | COPYING | build/* | build-*/*) return 0 ;;
  esac
  [ -f "$file" ] || return 0
  # Generated files say so at their top.
  local top
  top="$(spdx_top "$file")"
  top="${top,,}"
  [[ "$top" == *"do not edit"* || "$top" == *"@generated"* ]] && return 0
  case "$file" in
    *.h | *.cpp) echo cpp ;;
    *.sh) echo script ;;
    CMakeLists.txt | */CMakeLists.txt | *.cmake) echo hash ;;
    *.desktop.in) echo desktop ;;
    *.xml.in) echo xml ;;
    *.[1-8] | *.[1-8].in) echo man ;;
    *)
      # Scripts without a suffix (.ci/run, ...).
      local first="${top%%$'\n'*}"
      if [[ "$first" =~ ^#!.*[/\ ](ba)?sh([[:space:]]|$) ]]; then
        echo script
      fi
      ;;
  esac
  return 0
}

# The line a file of that kind carries: spdx_line KIND FILE.
spdx_line() {
  local tag
  tag="$(spdx_tag "$2")"
  case "$1" in
    cpp) echo "// $tag" ;;
    script | hash | desktop) echo "# $tag" ;;
    xml) echo "<!-- $tag -->" ;;
    man) echo ".\\\" $tag" ;;
  esac
}

# True when the file carries the line near its top (the first five lines).
spdx_has_line() {
  local top
  top="$(spdx_top "$1")"
  [[ "$top" == *"$(spdx_tag "$1")"* ]]
}

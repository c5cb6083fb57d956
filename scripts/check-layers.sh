#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/check-layers.sh [SOURCE_DIR] fails when a library includes a header of a library above
# it or beside it: each folder is one library, and may include only its own headers and those of
# the folders its line below names. Run by the test suite.
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

# folder: the project folders its files may include, besides its own.
declare -A allowed=(
  [settings]=""
  [base]=""
  [wmf]="base"
  [pictures]="base wmf"
  [posterfile]="base wmf pictures"
  [platform]="base pictures"
  [input]="base platform"
  [form]="settings base pictures platform"
  [history]="settings base pictures posterfile platform form"
  [output]="settings base pictures platform"
  [drawing]="settings base pictures platform form history"
  [images]="settings base pictures platform form history"
  [text]="settings base pictures platform form input history"
  [registration]="settings base pictures platform form history"
  [access]="settings base pictures platform form history"
  [app]="settings base pictures posterfile platform input form history output drawing images text registration access"
)
# Folders whose files may include no widget header of Qt (pictures and the lowest layer); a
# folder named here links Qt Gui, not Widgets.
gui_only=(settings base wmf pictures posterfile)

failures=0
report() {
  echo "check-layers: $1"
  failures=$((failures + 1))
}

for folder in "${!allowed[@]}"; do
  [ -d "$folder" ] || { report "the folder $folder/ is missing"; continue; }
  while IFS= read -r -d '' file; do
    while IFS= read -r line; do
      include=${line#*\"}
      include=${include%%\"*}
      top=${include%%/*}
      [ "$top" = "$include" ] && continue # a header of the same folder, by its bare name
      [ -d "$top" ] || continue            # not one of the project's folders
      [ "$top" = "$folder" ] && continue
      case " ${allowed[$folder]} " in
        *" $top "*) ;;
        *) report "$file includes $include: $folder/ may not use $top/" ;;
      esac
    done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" || true)
  done < <(find "$folder" -name '*.h' -print0 -o -name '*.cpp' -print0)
done

widget_headers='Q(Widget|Application|Dialog|AbstractButton|PushButton|Label|LineEdit|TextEdit|ScrollBar|MessageBox|FileDialog|Menu|MenuBar|MainWindow|Style|StyleFactory|ListWidget|ComboBox|Frame|Layout|BoxLayout|Accessible)\b|QtWidgets'
for folder in "${gui_only[@]}"; do
  while IFS= read -r hit; do
    report "$hit: a widget header in $folder/, which links Qt Gui only"
  done < <(grep -nE "^[[:space:]]*#[[:space:]]*include[[:space:]]*<($widget_headers)" -r "$folder" --include='*.h' --include='*.cpp' || true)
  if grep -qE 'Qt6::Widgets|\b(platform|input|form)\b' "$folder/CMakeLists.txt" 2>/dev/null; then
    report "$folder/CMakeLists.txt links Widgets or a widget library, and $folder/ links Qt Gui only"
  fi
done

if [ "$failures" -gt 0 ]; then
  echo "check-layers: $failures include(s) across the layers"
  exit 1
fi
echo "check-layers: every library includes only itself and the libraries below it"

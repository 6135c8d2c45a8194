#!/usr/bin/env bash
# Writes a C++ header listing the DLLs that the import table of a program names (its
# delay-loaded ones excluded: those load when first called).
#   recorder_imports.sh OBJDUMP PROGRAM HEADER
set -euo pipefail
objdump=$1 program=$2 header=$3
names=$("$objdump" -p "$program" | awk '
  /^The Import Tables/ { inside = 1; next }
  /^The Delay Import|^The Export|^The Function Table|^PE File Base Relocations|^There is/ { inside = 0 }
  inside && /DLL Name:/ { print $3 }' | sort -u)
[ -n "$names" ] || { echo "no imports found in $program" >&2; exit 1; }
{
  echo "// Generated from $(basename "$program")'s import table by recorder_imports.sh."
  echo "#pragma once"
  echo "static const wchar_t* const kRecorderImports[] = {"
  for name in $names; do echo "    L\"$name\","; done
  echo "};"
} >"$header.new"
mv "$header.new" "$header"

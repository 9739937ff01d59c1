#!/usr/bin/env bash
# Every module binary may import only system DLLs: the C and C++ runtimes are
# linked in, so a user needs nothing but Windows to load the module.
# usage: check_imports.sh <objdump> <binary> ...
set -eu
objdump=$1
shift
system='kernel32|user32|ole32|oleaut32|shell32|advapi32|gdi32|msvcrt|ucrtbase|ntdll|shlwapi'
allowed="^($system|api-ms-win-[a-z0-9-]+)\\.dll\$"
status=0
for binary in "$@"; do
  if [ ! -f "$binary" ]; then
    echo "missing: $binary" >&2
    status=1
    continue
  fi
  names=$("$objdump" -p "$binary" | sed -n 's/^[[:space:]]*DLL Name: //p')
  if [ -z "$names" ]; then
    echo "$binary: no import table found" >&2
    status=1
  fi
  for name in $names; do
    lower=$(printf '%s' "$name" | tr 'A-Z' 'a-z')
    if [[ ! $lower =~ $allowed ]]; then
      echo "$binary imports $name, which is not a system DLL" >&2
      status=1
    fi
  done
  echo "$binary: $(echo $names)"
done
exit $status

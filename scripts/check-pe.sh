#!/usr/bin/env bash
# Checks a built PE image: it imports only from Windows system DLLs (the
# runtimes and zlib are linked in), nothing from PSAPI.DLL or VDMDBG.DLL and
# no function that old Windows lacks; and it exports every name listed in
# the given files (one name per line, '#' comments).
#
#   check-pe.sh IMAGE [EXPORT-LIST...]
set -euo pipefail
image=$1; shift
# The MinGW-w64 objdump reads both PE flavours.
dump=$(x86_64-w64-mingw32-objdump -p "$image")
status=0

allowed='^(KERNEL32|USER32|GDI32|ADVAPI32|msvcrt|SHELL32|OLE32|OLEAUT32|COMCTL32|COMDLG32|VERSION|Varnet01)\.dll$'
while read -r dll; do
  if ! grep -qiE "$allowed" <<<"$dll"; then
    echo "$image: imports from $dll" >&2; status=1
  fi
done < <(sed -n 's/^\s*DLL Name: //p' <<<"$dump")

# Looked up at run time so the release loads on Windows 95 and NT 4.
for fn in GetDiskFreeSpaceExA EnumProcesses EnumProcessModules GetModuleBaseNameA \
          VDMEnumTaskWOWEx CreateToolhelp32Snapshot Process32First Process32Next \
          OleLoadPicture CreateWaitableTimerA SetWaitableTimer; do
  if sed -n '/The Import Tables/,/The Export Tables/p' <<<"$dump" | grep -qw "$fn"; then
    echo "$image: imports $fn statically" >&2; status=1
  fi
done

exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | sed -n 's/^\s*\[\s*[0-9]*\] //p')
for list in "$@"; do
  while read -r name; do
    name=${name%%#*}; name=$(tr -d '[:space:]' <<<"$name")
    [ -n "$name" ] || continue
    if ! grep -qxF "$name" <<<"$exports"; then
      echo "$image: does not export $name" >&2; status=1
    fi
  done <"$list"
done
[ $status -eq 0 ] && echo "$image: imports and exports as expected"
exit $status

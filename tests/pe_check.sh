#!/bin/sh
# Checks a Windows build without running it: a stripped console program of
# the given format that imports Sleep from KERNEL32.dll and needs no DLL
# beyond the system's own (KERNEL32 and the C runtime, msvcrt or the UCRT).
#
#   pe_check.sh OBJDUMP EXE FORMAT KIND      e.g. ... pei-i386 PE32
set -u
objdump=$1 exe=$2 format=$3 kind=$4
[ -f "$exe" ] || { echo "skipped: no build at $exe; build its preset first"; exit 77; }
headers=$("$objdump" -p "$exe") || exit 1
status=0
fail() { echo "$exe: $*"; status=1; }

printf '%s\n' "$headers" | grep -q "file format $format\$" || fail "not $format"
printf '%s\n' "$headers" | grep -q "^Magic.*($kind)\$" || fail "not $kind"
printf '%s\n' "$headers" | grep -q '^Subsystem.*(Windows CUI)$' || fail "not a console program"
printf '%s\n' "$headers" | grep -q 'symbols stripped$' || fail "has a symbol table: not stripped"
imports=$(printf '%s\n' "$headers" | awk '
	/DLL Name:/ { dll = $3; print dll; next }
	dll != "" && NF >= 3 && $1 ~ /^[0-9a-f]+$/ { print dll ":" $3 }
	/^$/ { dll = "" }')
printf '%s\n' "$imports" | grep -qx 'KERNEL32.dll:Sleep' || fail "does not import Sleep from KERNEL32.dll"
for dll in $(printf '%s\n' "$imports" | grep -v :); do
	case $dll in
	KERNEL32.dll | msvcrt.dll | ucrtbase.dll | api-ms-win-crt-*.dll) ;;
	*) fail "needs $dll" ;;
	esac
done
[ $status -eq 0 ] && echo "$exe: $format, $kind, console, stripped, Sleep from KERNEL32.dll, no DLL beyond the system's"
exit $status

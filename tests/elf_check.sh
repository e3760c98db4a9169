#!/bin/sh
# Checks the Linux release binary without running it: static (no program
# interpreter, so no loader and no library runs before main) and stripped.
#   elf_check.sh DELAY
set -u
delay=$1
status=0
readelf -lW "$delay" | grep -q 'INTERP' && { echo "$delay: has a program interpreter: not static"; status=1; }
readelf -SW "$delay" | grep -q ' \.symtab ' && { echo "$delay: has a symbol table: not stripped"; status=1; }
[ $status -eq 0 ] && echo "$delay: static, stripped"
exit $status

#!/bin/sh
# delay opens no file and reads nothing, on the usage path and the wait path.
#   no_files.sh DELAY
set -u
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
for arg in none 0 1; do
	if [ $arg = none ]; then set -- "$1"; else set -- "$1" $arg; fi
	strace -f -qq -o "$log" -e trace=open,openat,openat2,creat,read,readv,pread64 "$@" >/dev/null || status=1
	if [ -s "$log" ]; then
		echo "$*:"
		cat "$log"
		status=1
	fi
	set -- "$1"
done
[ $status -eq 0 ] && echo "no open, openat, openat2, creat, read, readv or pread64 on either path"
exit $status

#!/bin/sh
# delay opens no file and reads nothing, on the usage path and the wait path.
#   no_files.sh DELAY
set -u
delay=$1
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
for args in "" 0 1; do
	# $args unquoted: the first run has no argument at all.
	strace -f -qq -o "$log" -e trace=open,openat,openat2,creat,read,readv,pread64 "$delay" $args >/dev/null ||
		status=1
	if [ -s "$log" ]; then
		echo "delay $args:"
		cat "$log"
		status=1
	fi
done
[ $status -eq 0 ] && echo "no open, openat, openat2, creat, read, readv or pread64 on either path"
exit $status

#!/bin/sh
# The Wine prefix that the tests of both Windows builds share, at $WINEPREFIX.
#
#   wine_prefix.sh start WINE64    makes the prefix if need be and starts its
#                                  server, kept running until stop
#   wine_prefix.sh wow64 WINE32    fills the prefix's 32-bit half (syswow64)
#                                  with the 32-bit Wine
#   wine_prefix.sh stop WINE64     stops the server and the services it runs
#
# Wine's services (services.exe, winedevice.exe, ...) start with the first
# program and inherit its pipes. Started here with output to /dev/null, under
# a server that does not exit between the tests, they are never started by a
# test, so no test's pipes stay open after its program has ended.
set -eu
action=$1 wine=$2
quiet() { "$@" >/dev/null 2>&1 </dev/null; }
case $action in
start)
	wineserver=$(dirname "$wine")/wineserver
	[ -f "$WINEPREFIX/system.reg" ] || quiet "$wine" wineboot -i
	# A server left from an earlier run would not be persistent.
	quiet "$wineserver" -k || true
	quiet "$wineserver" -w || true
	quiet "$wineserver" -p
	quiet "$wine" cmd /c exit
	echo "prefix $WINEPREFIX, server running"
	;;
wow64)
	[ -x "$wine" ] || { echo "no 32-bit Wine at $wine: sh scripts/wine32 $(dirname "$wine") sets one up"; exit 1; }
	syswow64=$WINEPREFIX/drive_c/windows/syswow64
	if [ ! -f "$syswow64/kernel32.dll" ]; then
		WINEBOOTSTRAPMODE=1 quiet "$wine" 'C:\windows\syswow64\rundll32.exe' \
			setupapi,InstallHinfSection Wow64Install 128 '\\?\unix/usr/share/wine/wine.inf'
	fi
	[ -f "$syswow64/kernel32.dll" ] || { echo "$wine did not fill $syswow64"; exit 1; }
	echo "32-bit half of $WINEPREFIX filled"
	;;
stop)
	"$(dirname "$wine")/wineserver" -k
	;;
esac

#!/bin/sh
# Measures delay's release builds against baselines taken in the same run and
# prints one table: instructions, start-up time, memory, size, the precision
# of the wake-up, CPU time while waiting, and files touched.
#
#   sh bench/run.sh [PAIRS]      PAIRS of alternating start-up runs, at least 400
set -eu
cd "$(dirname "$0")/.."
pairs=${1:-1000}
sh scripts/need cmake make g++ musl-tools g++-mingw-w64-i686 g++-mingw-w64-x86-64 valgrind strace busybox-static
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for preset in release windows-x86 windows-x64; do
	cmake --preset $preset >/dev/null
	cmake --build --preset $preset --target delay >/dev/null
	cmake --install build/$preset --prefix "$work/$preset" >/dev/null
done

g++ -O2 -o "$work/alternate" bench/alternate.cpp
g++ -O2 -o "$work/peak_memory" bench/peak_memory.cpp
gcc -O2 -nostdlib -static -o "$work/bare" bench/bare_exit.c

delay=$work/release/bin/delay
bare=$work/bare
true=/bin/true
sleep=$(command -v sleep)
busybox=$(command -v busybox)

instructions() {
	valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 | sed -n 's/.*Collected : *//p'
}
field() { echo "$1" | cut -d' ' -f"$2"; }
# calc EXPRESSION: awk arithmetic on the shell's numbers
calc() { awk "BEGIN { printf \"%.3f\", $1 }"; }
micro() { awk "BEGIN { printf \"%.1f\", $1 }"; }
verdict() { awk "BEGIN { print ($1) ? \"met\" : \"NOT MET\" }"; }

i_delay=$(instructions "$delay" 0)
i_bare=$(instructions "$bare")
i_true=$(instructions "$true")
i_sleep=$(instructions "$sleep" 0)
i_busybox=$(instructions "$busybox" sleep 0)

vs_bare=$("$work/alternate" "$pairs" "$delay" 0 -- "$bare")
vs_true=$("$work/alternate" "$pairs" "$delay" 0 -- "$true")
vs_sleep=$("$work/alternate" "$pairs" "$delay" 0 -- "$sleep" 0)
vs_busybox=$("$work/alternate" "$pairs" "$delay" 0 -- "$busybox" sleep 0)

m_delay=$("$work/peak_memory" 20 "$delay" 0)
m_bare=$("$work/peak_memory" 20 "$bare")
m_true=$("$work/peak_memory" 20 "$true")
m_sleep=$("$work/peak_memory" 20 "$sleep" 0)

s_linux=$(stat -c %s "$delay")
s_x86=$(stat -c %s "$work/windows-x86/bin/delay.exe")
s_x64=$(stat -c %s "$work/windows-x64/bin/delay.exe")

# Overshoot: wall time less the 100 ms asked for less the command's own
# start-up (its median for 0 above).
wake=$("$work/alternate" 100 "$delay" 1 -- "$sleep" 0.1)
over_delay=$(micro "$(field "$wake" 1) - 100000 - $(field "$vs_sleep" 1)")
over_sleep=$(micro "$(field "$wake" 2) - 100000 - $(field "$vs_sleep" 2)")

busy=$("$work/alternate" 9 "$delay" 10 -- "$delay" 0)
cpu_extra=$(micro "$(field "$busy" 4) - $(field "$busy" 5)")

if sh tests/no_files.sh "$delay" >/dev/null; then files=none; files_met=met; else files=some; files_met="NOT MET"; fi

cat <<EOF
$(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1), Linux $(uname -r)

| figure | delay | baselines | ratio | target | |
| --- | --- | --- | --- | --- | --- |
| instructions, \`delay 0\` (callgrind) | $i_delay | bare exit $i_bare; /bin/true $i_true; GNU sleep 0 $i_sleep; BusyBox sleep 0 $i_busybox | | ≤ 2000 | $(verdict "$i_delay <= 2000") |
| start-up, \`delay 0\` vs bare exit, µs (medians, $pairs pairs) | $(field "$vs_bare" 1) | $(field "$vs_bare" 2) | $(field "$vs_bare" 3) | ≤ 1.25 | $(verdict "$(field "$vs_bare" 3) <= 1.25") |
| start-up, \`delay 0\` vs /bin/true, µs | $(field "$vs_true" 1) | $(field "$vs_true" 2) | $(field "$vs_true" 3) | ≤ 0.55 | $(verdict "$(field "$vs_true" 3) <= 0.55") |
| start-up, \`delay 0\` vs GNU sleep 0, µs | $(field "$vs_sleep" 1) | $(field "$vs_sleep" 2) | $(field "$vs_sleep" 3) | ≤ 0.6 | $(verdict "$(field "$vs_sleep" 3) <= 0.6") |
| start-up, \`delay 0\` vs BusyBox sleep 0, µs | $(field "$vs_busybox" 1) | $(field "$vs_busybox" 2) | $(field "$vs_busybox" 3) | (none) | |
| peak resident memory of the image, KiB (VmHWM at exit, least of 20) | $m_delay | bare exit $m_bare; /bin/true $m_true; GNU sleep 0 $m_sleep | $(calc "$m_delay / $m_bare") of bare exit | ≤ 1 | $(verdict "$m_delay <= $m_bare") |
| size as installed, bytes | $s_linux; delay.exe x86 $s_x86; x64 $s_x64 | | | ≤ 32768 each | $(verdict "$s_linux <= 32768 && $s_x86 <= 32768 && $s_x64 <= 32768") |
| overshoot of 100 ms, µs (\`delay 1\` vs GNU sleep 0.1, 100 pairs) | $over_delay | $over_sleep | | ≤ GNU sleep's | $(verdict "$over_delay <= $over_sleep") |
| CPU time of \`delay 10\` beyond \`delay 0\`, µs (user + system) | $cpu_extra | | | ≤ 1000 | $(verdict "$cpu_extra <= 1000") |
| files opened or read (strace, both paths) | $files | | | none | $files_met |
EOF

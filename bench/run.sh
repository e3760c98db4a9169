#!/bin/sh
# Measures delay's release build against baselines taken in the same run and
# prints one table: instructions, start-up time, memory, the precision of
# the wake-up, CPU time while waiting, and files touched.
#
#   sh bench/run.sh [PAIRS]      PAIRS of alternating start-up runs, at least 400
set -eu
cd "$(dirname "$0")/.."
pairs=${1:-1000}
sh scripts/need cmake make g++ valgrind strace busybox-static time
cmake --preset release >/dev/null
cmake --build --preset release --target delay >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
g++ -O2 -o "$work/alternate" bench/alternate.cpp
printf 'int main(void){return 0;}\n' >"$work/empty.cpp"
g++ -O2 -static -o "$work/empty" "$work/empty.cpp"

delay=$PWD/build/release/delay
true=/bin/true
sleep=$(command -v sleep)
busybox=$(command -v busybox)

instructions() {
	valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 | sed -n 's/.*Collected : *//p'
}
peak_kib() { # the least of 20 runs
	for _ in $(seq 20); do /usr/bin/time -f %M "$@" 2>&1 >/dev/null; done | sort -n | head -1
}
field() { echo "$1" | cut -d' ' -f"$2"; }
# calc EXPRESSION: awk arithmetic on the shell's numbers
calc() { awk "BEGIN { printf \"%.3f\", $1 }"; }
micro() { awk "BEGIN { printf \"%.1f\", $1 }"; }
verdict() { awk "BEGIN { print ($1) ? \"met\" : \"NOT MET\" }"; }

i_delay=$(instructions "$delay" 0)
i_empty=$(instructions "$work/empty")
i_true=$(instructions "$true")
i_sleep=$(instructions "$sleep" 0)
i_busybox=$(instructions "$busybox" sleep 0)

vs_true=$("$work/alternate" "$pairs" "$delay" 0 -- "$true")
vs_sleep=$("$work/alternate" "$pairs" "$delay" 0 -- "$sleep" 0)
vs_busybox=$("$work/alternate" "$pairs" "$delay" 0 -- "$busybox" sleep 0)

m_delay=$(peak_kib "$delay" 0)
m_true=$(peak_kib "$true")
m_sleep=$(peak_kib "$sleep" 0)

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
| instructions, \`delay 0\` (callgrind) | $i_delay | empty static program $i_empty; /bin/true $i_true; GNU sleep 0 $i_sleep; BusyBox sleep 0 $i_busybox | $(calc "$i_delay / $i_empty") of empty | ≤ 1.03 | $(verdict "$i_delay <= 1.03 * $i_empty") |
| start-up, \`delay 0\` vs /bin/true, µs (medians, $pairs pairs) | $(field "$vs_true" 1) | $(field "$vs_true" 2) | $(field "$vs_true" 3) | ≤ 0.85 | $(verdict "$(field "$vs_true" 3) <= 0.85") |
| start-up, \`delay 0\` vs GNU sleep 0, µs | $(field "$vs_sleep" 1) | $(field "$vs_sleep" 2) | $(field "$vs_sleep" 3) | ≤ 0.6 | $(verdict "$(field "$vs_sleep" 3) <= 0.6") |
| start-up, \`delay 0\` vs BusyBox sleep 0, µs | $(field "$vs_busybox" 1) | $(field "$vs_busybox" 2) | $(field "$vs_busybox" 3) | (none) | |
| peak resident memory, KiB (least of 20) | $m_delay | /bin/true $m_true; GNU sleep 0 $m_sleep | $(calc "$m_delay / $m_true") of /bin/true | ≤ 1 | $(verdict "$m_delay <= $m_true") |
| overshoot of 100 ms, µs (\`delay 1\` vs GNU sleep 0.1, 100 pairs) | $over_delay | $over_sleep | | ≤ GNU sleep's | $(verdict "$over_delay <= $over_sleep") |
| CPU time of \`delay 10\` beyond \`delay 0\`, µs (user + system) | $cpu_extra | | | ≤ 1000 | $(verdict "$cpu_extra <= 1000") |
| files opened or read (strace, both paths) | $files | | | none | $files_met |
EOF

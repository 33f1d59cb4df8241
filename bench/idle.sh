#!/usr/bin/env bash
# Idle cost: Lumivane in the notification area (-quiet) against a bare program
# that keeps a notification icon and updates it from a 500 ms timer. Both run
# side by side in one Wine desktop of their own (build/bench-idle); the CPU
# time each Wine process used is read from Linux's /proc over the same period.
#   bench/idle.sh [SECONDS]   default 60
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
state=build/bench-idle
bin=$(pwd)/build/mingw/bin
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target lumivane_bench >/dev/null
mkdir -p "$state"
unset LUMIVANE_DISPLAY
trap 'bash cmake/wine-env.sh down "$state"' EXIT
bash cmake/wine-env.sh up "$state" >/dev/null

bash cmake/wine-env.sh exec "$state" "$bin/Lumivane.exe" -quiet >/dev/null 2>&1 &
bash cmake/wine-env.sh exec "$state" "$bin/lumivane_bench_bare_tray.exe" >/dev/null 2>&1 &

pid_of() {  # the Linux process of a Windows program of this prefix
  for p in $(pgrep -f "$1"); do
    tr '\0' '\n' < "/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$(pwd)/$state/wine/prefix" \
      && { echo "$p"; return 0; }
  done
  return 0
}
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
anon() { awk '/^RssAnon/ { print $2 }' "/proc/$1/status"; }

sleep 8  # both started and settled
lum=$(pid_of 'Lumivane.exe'); bare=$(pid_of 'lumivane_bench_bare_tray.exe')
[ -n "$lum" ] && [ -n "$bare" ] || { echo "idle.sh: a program did not start" >&2; exit 1; }
hz=$(getconf CLK_TCK)
l0=$(ticks "$lum"); b0=$(ticks "$bare"); la0=$(anon "$lum"); ba0=$(anon "$bare")
sleep "$seconds"
l1=$(ticks "$lum"); b1=$(ticks "$bare"); la1=$(anon "$lum"); ba1=$(anon "$bare")

awk -v l=$((l1 - l0)) -v b=$((b1 - b0)) -v hz="$hz" -v s="$seconds" \
    -v la0="$la0" -v la1="$la1" -v ba0="$ba0" -v ba1="$ba1" 'BEGIN {
  printf "Idle for %d s, side by side in one Wine desktop\n\n", s
  printf "| %-34s | %10s | %10s | %6s |\n", "metric", "Lumivane", "bare tray", "ratio"
  printf "|------------------------------------|------------|------------|--------|\n"
  printf "| %-34s | %10.0f | %10.0f | %6s |\n", "CPU time (ms)", l * 1000 / hz, b * 1000 / hz, \
    b ? sprintf("%.2f", l / b) : "n/a"
  printf "| %-34s | %10d | %10d |        |\n", "RssAnon at start of period (KiB)", la0, ba0
  printf "| %-34s | %10d | %10d |        |\n", "RssAnon at end of period (KiB)", la1, ba1
  printf "\nTarget: CPU ratio at most 1.5; Lumivane memory flat over the period.\n"
}'

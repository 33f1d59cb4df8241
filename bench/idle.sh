#!/usr/bin/env bash
# Idle cost: Lumivane in the notification area (-quiet), once as installed and
# once with the automatic deactivation watching ten program names, full
# screen and a schedule of ten windows, against a bare program that keeps a notification icon and updates
# it from a 500 ms timer. Each runs
# alone, one after the other, in one Wine desktop of its own
# (build/bench-idle), so that the desktop process's CPU time (explorer.exe,
# which draws the icons) is each program's own cost to it. CPU times are read
# from Linux's /proc over the same length of time.
#   bench/idle.sh [SECONDS]   default 60, for each program
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
state=build/bench-idle
bin=$(pwd)/build/mingw/bin
source bench/common.sh
bench_up "$state"
prefix=$(pwd)/$state/wine/prefix

pid_of() {  # the Linux process of a Windows program of this prefix
  for p in $(pgrep -f "$1"); do
    tr '\0' '\n' < "/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$prefix" && { echo "$p"; return 0; }
  done
  return 0
}
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
anon() { awk '/^RssAnon/ { print $2 }' "/proc/$1/status"; }
hz=$(getconf CLK_TCK)

# measure NAME EXE ARGS...: prints "cpu_ms desktop_ms anon_start anon_end"
measure() {
  local name=$1; shift
  bash cmake/wine-env.sh exec "$state" "$@" >/dev/null 2>&1 &
  sleep 8  # started and settled
  local p d
  p=$(pid_of "$name"); d=$(pid_of 'explorer.exe')
  [ -n "$p" ] && [ -n "$d" ] || { echo "idle.sh: $name or the desktop did not start" >&2; exit 1; }
  local p0 d0 a0 p1 d1 a1
  p0=$(ticks "$p"); d0=$(ticks "$d"); a0=$(anon "$p")
  sleep "$seconds"
  p1=$(ticks "$p"); d1=$(ticks "$d"); a1=$(anon "$p")
  kill "$p" 2>/dev/null || true
  sleep 2
  echo "$(( (p1 - p0) * 1000 / hz )) $(( (d1 - d0) * 1000 / hz )) $a0 $a1"
}

read -r lc ld la0 la1 < <(measure Lumivane.exe "$bin/Lumivane.exe" -quiet)
key='HKCU\Software\Tessaly\Lumivane\Triggers'
names='POWERPNT.EXE\0vlc.exe\0mstsc.exe\0mpc-hc64.exe\0wmplayer.exe\0Teams.exe\0zoom.exe\0obs64.exe\0chrome.exe\0msedge.exe'
bash cmake/wine-env.sh exec "$state" reg add "$key" /v Programs /t REG_MULTI_SZ /d "$names" /f >/dev/null 2>&1
bash cmake/wine-env.sh exec "$state" reg add "$key" /v FullScreen /t REG_DWORD /d 1 /f >/dev/null 2>&1
windows='Mon 03:00-03:10\0Tue 03:00-03:10\0Wed 03:00-03:10\0Thu 03:00-03:10\0Fri 03:00-03:10\0Sat 03:00-03:10\0Sun 03:00-03:10\0Mon,Wed 04:00-04:10\0Tue,Thu 04:00-04:10\0Sat-Sun 04:00-04:10'
bash cmake/wine-env.sh exec "$state" reg add "$key" /v Schedule /t REG_MULTI_SZ /d "$windows" /f >/dev/null 2>&1
read -r tc td ta0 ta1 < <(measure Lumivane.exe "$bin/Lumivane.exe" -quiet)
bash cmake/wine-env.sh exec "$state" reg delete "$key" /f >/dev/null 2>&1
read -r bc bd ba0 ba1 < <(measure lumivane_bench_bare_tray.exe "$bin/lumivane_bench_bare_tray.exe")

awk -v lc="$lc" -v ld="$ld" -v bc="$bc" -v bd="$bd" -v s="$seconds" \
    -v la0="$la0" -v la1="$la1" -v ba0="$ba0" -v ba1="$ba1" \
    -v tc="$tc" -v td="$td" -v ta1="$ta1" 'BEGIN {
  printf "Idle for %d s each, one after the other in one Wine desktop\n\n", s
  printf "| %-34s | %10s | %10s | %6s |\n", "metric", "Lumivane", "bare tray", "ratio"
  printf "|------------------------------------|------------|------------|--------|\n"
  printf "| %-34s | %10d | %10d | %6s |\n", "CPU time (ms)", lc, bc, bc ? sprintf("%.2f", lc / bc) : "n/a"
  printf "| %-34s | %10d | %10d | %6s |\n", "desktop process CPU time (ms)", ld, bd, bd ? sprintf("%.2f", ld / bd) : "n/a"
  printf "| %-34s | %10d | %10d |        |\n", "RssAnon at start of period (KiB)", la0, ba0
  printf "| %-34s | %10d | %10d |        |\n", "RssAnon at end of period (KiB)", la1, ba1
  printf "| %-34s | %10d | %10d | %6s |\n", "CPU time, both triggers on (ms)", tc, bc, bc ? sprintf("%.2f", tc / bc) : "n/a"
  printf "| %-34s | %10d | %10d | %6s |\n", "desktop CPU, both triggers on (ms)", td, bd, bd ? sprintf("%.2f", td / bd) : "n/a"
  printf "| %-34s | %10d | %10d |        |\n", "RssAnon at end, triggers on (KiB)", ta1, ba1
  printf "\nTarget: Lumivane CPU at most 1.0 times the bare program (with the triggers on too), its cost to the desktop\n"
  printf "clearly below the bare program'"'"'s, its memory flat over the period.\n"
}'

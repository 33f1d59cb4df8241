#!/usr/bin/env bash
# Why a -screensaver run measured from the shell and the same run measured
# by the driver differ. Both programs carry an end mark (the traced builds):
# the time from the process's creation to the end of its main function.
# Each is run RUNS times from this script through `wine` and RUNS times by
# the driver, in turn; the rest of each total (the launch before the
# process exists, the teardown after its main function) is total - end.
#   bench/exit-paths.sh [RUNS]   default 21
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-21}
state=build/bench
bin=build/mingw/bin
source bench/common.sh
bench_up "$state"
export WINEPREFIX=$PWD/$state/wine/prefix WINEDEBUG=-all WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" DISPLAY=$(cat "$state/wine/display")
winpath() { echo "Z:$(cd "$(dirname "$1")" && pwd -P | tr / '\\')\\$(basename "$1")"; }
programs=(lumivane_bench_traced.exe lumivane_bench_bare_traced.exe)
rm -f "$state"/paths-*.txt
for ((round = -2; round < runs; ++round)); do
  for p in "${programs[@]}"; do
    LUMIVANE_BENCH_MARKS_FILE=$(winpath "$state/paths-shell-$p.txt")
    export LUMIVANE_BENCH_MARKS_FILE
    t0=$(date +%s%N)
    (cd "$bin" && wine "$p" -screensaver >/dev/null 2>&1) || true
    t1=$(date +%s%N)
    [ "$round" -ge 0 ] && echo "$(( (t1 - t0) / 1000 ))" >> "$state/paths-shell-total-$p.txt"
    LUMIVANE_BENCH_MARKS_FILE=$(winpath "$state/paths-driver-$p.txt")
    (cd "$bin" && wine lumivane_bench_driver.exe --runs 1 --warmup 0 --phase exit \
       --program x "$p" x) | tr -d '\r' | awk -v r="$round" 'r >= 0 && $1 == "run" {
         for (i = 5; i <= NF; ++i) if ($i ~ /^exit_ms=/) { sub("exit_ms=", "", $i); print $i * 1000 } }' \
       >> "$state/paths-driver-total-$p.txt"
  done
done
spread() { stats | awk '{ printf "%s (%s-%s)", $1, $2, $3 }'; }
ends() { tr -d '\r' < "$1" | tail -n "$runs" | sed 's/.* end=//' ; }
echo
echo "-screensaver, $runs runs of each, ms: median (first to third quartile)"
echo
printf "| %-30s | %-22s | %-22s |\n" "" Lumivane bare
echo "|--------------------------------|------------------------|------------------------|"
for path in shell driver; do
  cells=(); ecells=(); rcells=()
  for p in "${programs[@]}"; do
    cells+=("$(awk '{ print $1 / 1000 }' "$state/paths-$path-total-$p.txt" | spread)")
    ecells+=("$(ends "$state/paths-$path-$p.txt" | spread)")
    rcells+=("$(paste <(awk '{ print $1 / 1000 }' "$state/paths-$path-total-$p.txt") \
                      <(ends "$state/paths-$path-$p.txt") | awk '{ print $1 - $2 }' | spread)")
  done
  printf "| %-30s | %-22s | %-22s |\n" "$path: total" "${cells[@]}"
  printf "| %-30s | %-22s | %-22s |\n" "$path: creation to end of main" "${ecells[@]}"
  printf "| %-30s | %-22s | %-22s |\n" "$path: total less that" "${rcells[@]}"
done

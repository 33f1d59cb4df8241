#!/usr/bin/env bash
# Benchmark of Lumivane.exe against a bare Win32 program (bench/bare.cpp),
# both built with the mingw preset and run under Wine in a prefix and on an
# Xvfb of their own (build/bench), torn down however the run ends.
#
#   bench/run.sh [RUNS]            RUNS counted runs of each program (default 21)
#   bench/run.sh --explain [RUNS]  where the start-up time and memory go: the
#                                  bare program with Lumivane's pieces added
#                                  back one at a time (bench/probe.cpp)
#
# Prints one table: metric, Lumivane median and spread, bare median and
# spread, Lumivane / bare; every figure is a ratio within this one run. The
# spread is the interquartile range (first to third quartile). Then the
# -screensaver run timed from the shell through `wine`, both programs in
# turn, and where the start-up goes (the marks of lumivane_bench_traced).
# BENCH_WARMUP=N sets the uncounted warm-up runs (default 2). The driver's
# own output (every run) stays in build/bench/driver.log.
set -euo pipefail
cd "$(dirname "$0")/.."
explain=0
if [ "${1:-}" = "--explain" ]; then
  explain=1
  shift
fi
runs=${1:-21}
warmup=${BENCH_WARMUP:-2}
state=build/bench
bin=build/mingw/bin
target_ratio=1.2

source bench/common.sh
bench_up "$state" "$([ $explain -eq 1 ] && echo lumivane_bench_explain || echo lumivane_bench)"

log=$state/driver.log
status=0
# driver ARGS...: runs the driver from the bin folder, so that it gets the
# programs by their plain names; its output goes to the log ($log).
driver() {
  (
    cd "$bin"
    bash ../../../cmake/wine-env.sh exec ../../bench lumivane_bench_driver.exe \
      --runs "$runs" --warmup "$warmup" "$@"
  ) > "$log" 2> "$state/driver.err" || status=$?
  tr -d '\r' < "$log" > "$log.tmp" && mv "$log.tmp" "$log"
  grep '^note' "$log" || true
}

# median LABEL METRIC -> value or n/a
median() {
  awk -v l="$1" -v m="$2" '$1 == "median" && $2 == l && $3 == m { v = $4 }
    END { print (v == "" ? "n/a" : v) }' "$log"
}

# spread LABEL METRIC -> "q1-q3" or empty
spread() {
  awk -v l="$1" -v m="$2" '$1 == "median" && $2 == l && $3 == m && $11 == "q1" {
      v = sprintf("%.1f-%.1f", $12, $14) }
    END { print v }' "$log"
}

# stats: numbers on stdin, one a line -> "median q1 q3" (n/a when none)

size_kib() { awk -v b="$(stat -c %s "$1")" 'BEGIN { printf "%.1f", b / 1024 }'; }

finish() {
  echo
  echo "Every run: $log"
  [ "$status" -eq 0 ] || echo "The driver reported a failed run (exit $status): see $log" >&2
  exit "$status"
}

if [ $explain -eq 1 ]; then
  probe="lumivane_bench_probe_res.exe LumivaneBenchProbe"
  driver --phase startup \
    --program bare lumivane_bench_bare.exe LumivaneBenchBare \
    --program-args imports lumivane_bench_probe.exe LumivaneBenchProbe "" \
    --program-args manifest $probe "" \
    --program-args com $probe com \
    --program-args controls $probe controls \
    --program-args icons $probe icons \
    --program-args notify $probe notify \
    --program-args all $probe all \
    --program lumivane Lumivane.exe TfMain_lumivane
  echo
  echo "Where Lumivane's start-up goes: medians of $runs runs each (after $warmup warm-up runs), taken in turn"
  echo
  printf "| %-58s | %11s | %9s | %13s | %12s |\n" program "start-up ms" "vs bare" "peak WS KiB" "pagefile KiB"
  echo "|------------------------------------------------------------|-------------|-----------|---------------|--------------|"
  base=$(median bare startup_ms)
  while IFS='|' read -r label text; do
    awk -v t="$text" -v s="$(median "$label" startup_ms)" -v b="$base" \
        -v w="$(median "$label" peak_ws_kib)" -v p="$(median "$label" pagefile_kib)" 'BEGIN {
      d = (s == "n/a" || b == "n/a") ? "n/a" : sprintf("%+.1f", s - b)
      printf "| %-58s | %11s | %9s | %13s | %12s |\n", t, s == "n/a" ? s : sprintf("%.1f", s), d,
        w == "n/a" ? w : sprintf("%.0f", w), p == "n/a" ? p : sprintf("%.0f", p)
    }'
  done <<'EOF'
bare|bare program
imports|+ Lumivane's system libraries (comctl32, ole32, shell32)
manifest|+ Lumivane's resources (manifest: comctl32 v6; icons)
com|+ CoInitialize
controls|+ fonts, group boxes and labels
icons|+ class and small icon, 8 state icons in an image list
notify|+ notification icon and menu
all|+ all of the above
lumivane|Lumivane.exe
EOF
  echo
  echo "Each '+' line is the row 'manifest' (the probe with Lumivane's resources) plus that piece"
  echo "alone, except 'imports' (no resources) and 'all'."
  finish
fi

# Z:\proc is Linux's /proc as Wine shows it: the driver reads the programs'
# Linux memory figures there as a cross-check.
# BENCH_BEFORE=DIR: an earlier build's Lumivane.exe and
# lumivane_bench_traced.exe, run in turn with this one's, so that before and
# after are compared within one run.
before=()
if [ -n "${BENCH_BEFORE:-}" ]; then
  before_dir=$(cd "$BENCH_BEFORE" && pwd -P)
  before=(--program before "Z:$before_dir/Lumivane.exe" TfMain_lumivane
          --program-args beforequiet "Z:$before_dir/Lumivane.exe" TfMain_lumivane -quiet)
fi
driver --phase both --exit-args -screensaver --proc-root 'Z:\proc' \
  --program lumivane Lumivane.exe TfMain_lumivane \
  --program bare lumivane_bench_bare.exe LumivaneBenchBare \
  --program-args quiet Lumivane.exe TfMain_lumivane -quiet \
  "${before[@]}" --show-command 209

# row NAME LABEL METRIC BARELABEL BAREMETRIC TARGETED [LIMIT]: the medians,
# their spreads and the ratio of the medians.
row() {
  awk -v n="$1" -v a="$(median "$2" "$3")" -v sa="$(spread "$2" "$3")" \
      -v b="$(median "$4" "$5")" -v sb="$(spread "$4" "$5")" -v t="$6" -v limit="${7:-$target_ratio}" 'BEGIN {
    if (a == "n/a" || b == "n/a" || b + 0 == 0) { r = "n/a"; v = "" }
    else {
      r = sprintf("%.2f", a / b)
      v = t == "yes" ? (r + 0 <= limit ? "ok" : "over " limit) : ""
    }
    fa = a == "n/a" ? a : sprintf("%.1f", a)
    fb = b == "n/a" ? b : sprintf("%.1f", b)
    printf "| %-38s | %9s | %-13s | %9s | %-13s | %6s | %-8s |\n", n, fa, sa, fb, sb, r, v
  }'
}
header() {
  printf "| %-38s | %9s | %-13s | %9s | %-13s | %6s | %-8s |\n" metric "$1" spread "$2" spread ratio target
  echo "|----------------------------------------|-----------|---------------|-----------|---------------|--------|----------|"
}

echo
echo "Lumivane against the bare Win32 program: medians of $runs runs each (after $warmup warm-up runs), taken in turn"
echo
header Lumivane bare
row "start-up to idle message loop (ms)" lumivane startup_ms bare startup_ms yes 1.1
row "start-up with -quiet, no window (ms)" quiet startup_ms bare startup_ms yes 1.1
row "-screensaver run, start to exit (ms)" lumivane exit_ms bare exit_ms yes
row "peak working set (KiB)" lumivane peak_ws_kib bare peak_ws_kib yes
row "pagefile usage (KiB)" lumivane pagefile_kib bare pagefile_kib yes
row "pagefile usage with -quiet (KiB)" quiet pagefile_kib bare pagefile_kib yes
row "private usage (KiB)" lumivane private_kib bare private_kib no
row "Linux VmHWM, cross-check (KiB)" lumivane linux_vmhwm_kib bare linux_vmhwm_kib no
row "Linux RssAnon, cross-check (KiB)" lumivane linux_rssanon_kib bare linux_rssanon_kib no
row "close: WM_CLOSE to exit (ms)" lumivane close_ms bare close_ms no
row "first showing from hidden (ms)" quiet show_ms none none no
if [ ${#before[@]} -gt 0 ]; then
  row "before: start-up (ms)" before startup_ms bare startup_ms yes 1.1
  row "before: start-up with -quiet (ms)" beforequiet startup_ms bare startup_ms yes 1.1
  row "before: -screensaver run (ms)" before exit_ms bare exit_ms yes
  row "before: pagefile usage (KiB)" before pagefile_kib bare pagefile_kib yes
  row "before: first showing from hidden (ms)" beforequiet show_ms none none no
fi
exe=$(size_kib "$bin/Lumivane.exe")
printf "| %-38s | %9s | %-13s | %9s | %-13s | %6s | %-8s |\n" "executable size (KiB)" "$exe" "" \
  "$(size_kib "$bin/lumivane_bench_bare.exe")" "" "" \
  "$(awk -v v="$exe" 'BEGIN { print v + 0 <= 900 ? "ok" : "over 900" }')"

# The settings window made, shown and painted, against the same window
# written by hand (handmade.cpp): both in turn, in a run of their own.
main_log=$log
log=$state/driver-handmade.log
driver --phase startup --shown \
  --program lumivane Lumivane.exe TfMain_lumivane \
  --program handmade lumivane_bench_handmade.exe LumivaneBenchHandmade
echo
header Lumivane hand-written
row "window shown and painted, driver (ms)" lumivane shown_ms handmade shown_ms yes 1.1
row "window shown, loop idle, driver (ms)" lumivane startup_ms handmade startup_ms no
row "pagefile usage: against hand-written" lumivane pagefile_kib handmade pagefile_kib no
log=$main_log

# The same window shown and painted, timed from the shell: from just before
# `wine PROGRAM` until the window is visible and answers. The driver's
# watcher, started and ready before each run, says when on the clock of
# `date +%s%N`, then closes the window and waits for the program's end.
(
  export WINEPREFIX=$PWD/$state/wine/prefix WINEDEBUG=-all WINEARCH=win64
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" DISPLAY=$(cat "$state/wine/display")
  cd "$bin"
  for ((round = -warmup; round < runs; ++round)); do
    for p in Lumivane.exe:TfMain_lumivane lumivane_bench_handmade.exe:LumivaneBenchHandmade; do
      coproc watch { wine lumivane_bench_driver.exe --watch-shown "${p#*:}" 2>/dev/null; }
      # Its own copy: bash closes the coprocess's when it has ended.
      exec {from_watch}<&"${watch[0]}"
      watcher=$watch_PID
      read -r ready <&"$from_watch" || true
      t0=$(date +%s%N)
      wine "${p%%:*}" >/dev/null 2>&1 &
      program=$!
      read -r t1 <&"$from_watch" || t1=
      exec {from_watch}<&-
      wait "$watcher" "$program" || true
      t1=${t1%$'\r'}
      [ "$round" -ge 0 ] && [ -n "$t1" ] && echo "${p%%:*} $(( (t1 - t0) / 1000 ))"
    done
  done
) > "$state/shown-shell.log"
read -r lm lq1 lq3 < <(awk '$1 == "Lumivane.exe" { print $2 / 1000 }' "$state/shown-shell.log" | stats)
read -r hm hq1 hq3 < <(awk '$1 == "lumivane_bench_handmade.exe" { print $2 / 1000 }' "$state/shown-shell.log" | stats)
awk -v n="window shown and painted, shell (ms)" -v a="$lm" -v b="$hm" -v sa="$lq1-$lq3" -v sb="$hq1-$hq3" 'BEGIN {
  r = (a == "n/a" || b == "n/a") ? "n/a" : sprintf("%.2f", a / b)
  printf "| %-38s | %9s | %-13s | %9s | %-13s | %6s | %-8s |\n", n, a, sa, b, sb, r,
    r == "n/a" ? "" : r + 0 <= 1.1 ? "ok" : "over 1.1" }'

# The -screensaver run as a user's shell sees it: `wine PROGRAM -screensaver`
# from this script, from just before the start until the Linux process has
# ended, both programs in turn. Wine's own start (the loader, its connection
# to the running wineserver) falls on both alike.
(
  export WINEPREFIX=$PWD/$state/wine/prefix WINEDEBUG=-all WINEARCH=win64
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" DISPLAY=$(cat "$state/wine/display")
  cd "$bin"
  for ((round = -warmup; round < runs; ++round)); do
    for p in Lumivane.exe lumivane_bench_bare.exe ${before_dir:+"$before_dir/Lumivane.exe"}; do
      t0=$(date +%s%N)
      wine "$p" -screensaver >/dev/null 2>&1 || true
      t1=$(date +%s%N)
      label=$p
      [ "$p" = "${before_dir:-}/Lumivane.exe" ] && label=before
      [ "$round" -ge 0 ] && echo "$label $(( (t1 - t0) / 1000 ))"
    done
  done
) > "$state/shell.log"
shell_row() {  # shell_row NAME LABEL: from the shell, LABEL against bare
  read -r lm lq1 lq3 < <(awk -v l="$2" '$1 == l { print $2 / 1000 }' "$state/shell.log" | stats)
  read -r bm bq1 bq3 < <(awk '$1 == "lumivane_bench_bare.exe" { print $2 / 1000 }' "$state/shell.log" | stats)
  awk -v n="$1" -v a="$lm" -v b="$bm" -v sa="$lq1-$lq3" -v sb="$bq1-$bq3" -v limit="$target_ratio" 'BEGIN {
    r = sprintf("%.2f", a / b)
    printf "| %-38s | %9s | %-13s | %9s | %-13s | %6s | %-8s |\n", n, a, sa, b, sb, r,
      r + 0 <= limit ? "ok" : "over " limit }'
}
shell_row "-screensaver from the shell (ms)" Lumivane.exe
[ -n "${before_dir:-}" ] && shell_row "before: -screensaver from the shell" before

# Where the start-up goes: lumivane_bench_traced marks each step, in ms
# from the process's creation (src/base/BenchMarks.h).
main_log=$log
log=$state/driver-marks.log
# marks_table TITLE DIR: runs DIR's lumivane_bench_traced.exe and prints its marks.
marks_table() {
  local marks=$state/marks.txt exe="Z:$2/lumivane_bench_traced.exe"
  rm -f "$marks"
  export LUMIVANE_BENCH_MARKS_FILE="Z:$(pwd -P | tr / '\\')\\$(echo "$marks" | tr / '\\')"
  driver --phase startup --show-command 209 \
    --program plain "$exe" TfMain_lumivane --program-args quiet "$exe" TfMain_lumivane -quiet
  driver --phase exit --exit-args -screensaver --program screensaver "$exe" TfMain_lumivane
  unset LUMIVANE_BENCH_MARKS_FILE
  echo
  echo "$1: ms from the process's creation, medians (first to third quartile)"
  echo
  printf "| %-9s | %-19s | %-19s | %-19s |\n" mark start -quiet -screensaver
  echo "|-----------|---------------------|---------------------|---------------------|"
  for m in entry com composed window menus icon captured options created shown showdone painted added loopend endsteps end; do
    cells=()
    for a in - -quiet -screensaver; do
      read -r md q1 q3 < <(tr -d '\r' < "$marks" | awk -v a="$a" -v m="$m" -v w="$warmup" '$2 == a && ++seen > w {
          for (i = 3; i <= NF; ++i) { split($i, kv, "="); if (kv[1] == m) print kv[2] } }' | stats)
      cells+=("$([ "$md" = n/a ] && echo "" || echo "$md ($q1-$q3)")")
    done
    printf "| %-9s | %-19s | %-19s | %-19s |\n" "$m" "${cells[@]}"
  done
  echo "(-quiet: shown and painted at the driver's show command, after start-up.)"
}
marks_table "Where the start-up goes" "$(pwd -P)/$bin"
[ -n "${before_dir:-}" ] && marks_table "Where the start-up went before" "$before_dir"
log=$main_log

# A control command handed to a running copy (the messenger), from its start
# until the copy has made the change and answered, against a bare process
# that only starts. BENCH_CONTROL=0 leaves it out.
if [ "${BENCH_CONTROL:-1}" = 1 ]; then
  log=$state/driver-control.log
  (cd "$bin" && exec bash ../../../cmake/wine-env.sh exec ../../bench Lumivane.exe -quiet) >/dev/null 2>&1 &
  sleep 3
  driver --phase exit \
    --program-exit toggle Lumivane.exe TfMain_lumivane -toggle \
    --program-exit start lumivane_bench_bare.exe LumivaneBenchBare -exit
  (cd "$bin" && bash ../../../cmake/wine-env.sh exec ../../bench Lumivane.exe -exit) >/dev/null 2>&1 || true
  echo
  header "-toggle" "bare -exit"
  row "-toggle to a running copy (ms)" toggle exit_ms start exit_ms no
  toggle=$(median toggle exit_ms)
  start=$(median start exit_ms)
  echo "-toggle over a bare start: $(awk -v a="$toggle" -v b="$start" 'BEGIN {
    print (a == "n/a" || b == "n/a") ? "n/a" : sprintf("%.1f ms (target at most 50)", a - b) }')"
  log=$main_log
fi
echo
echo "Targets: Lumivane / bare at most 1.1 for the start-up, $target_ratio for the -screensaver run and"
echo "the memory; the executable at most 900 KiB. Idle CPU: bench/idle.sh."
finish

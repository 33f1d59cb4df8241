#!/usr/bin/env bash
# Benchmark of Lumivane.exe against a bare Win32 program (bench/bare.cpp),
# both built with the mingw preset and run under Wine in a prefix and on an
# Xvfb of their own (build/bench), torn down however the run ends.
#
#   bench/run.sh [RUNS]            RUNS counted runs of each program (default 15)
#   bench/run.sh --explain [RUNS]  where the start-up time and memory go: the
#                                  bare program with Lumivane's pieces added
#                                  back one at a time (bench/probe.cpp)
#
# Prints one table: metric, Lumivane median, bare median, Lumivane / bare.
# BENCH_WARMUP=N sets the uncounted warm-up runs (default 2). The driver's
# own output (every run) stays in build/bench/driver.log.
set -euo pipefail
cd "$(dirname "$0")/.."
explain=0
if [ "${1:-}" = "--explain" ]; then
  explain=1
  shift
fi
runs=${1:-15}
warmup=${BENCH_WARMUP:-2}
state=build/bench
bin=build/mingw/bin
target_ratio=1.3

cmake --preset mingw >/dev/null
if [ $explain -eq 1 ]; then
  cmake --build --preset mingw --target lumivane_bench_explain
else
  cmake --build --preset mingw --target lumivane_bench
fi

mkdir -p "$state"
# Never someone else's display: the timings need a quiet one.
unset LUMIVANE_DISPLAY
trap 'bash cmake/wine-env.sh down "$state"' EXIT
bash cmake/wine-env.sh up "$state" >/dev/null

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
driver --phase both --exit-args -screensaver --proc-root 'Z:\proc' \
  --program lumivane Lumivane.exe TfMain_lumivane \
  --program bare lumivane_bench_bare.exe LumivaneBenchBare \
  --program-args quiet Lumivane.exe TfMain_lumivane -quiet \
  --show-command 209

row() {  # row NAME LUMIVANE BARE TARGETED [LIMIT]
  awk -v n="$1" -v a="$2" -v b="$3" -v t="$4" -v limit="${5:-$target_ratio}" 'BEGIN {
    if (a == "n/a" || b == "n/a" || b + 0 == 0) { r = "n/a"; v = "" }
    else {
      r = sprintf("%.2f", a / b)
      v = t == "yes" ? (r + 0 <= limit ? "ok" : "over " limit) : ""
    }
    fa = a == "n/a" ? a : sprintf("%.1f", a)
    fb = b == "n/a" ? b : sprintf("%.1f", b)
    printf "| %-38s | %12s | %12s | %6s | %-8s |\n", n, fa, fb, r, v
  }'
}

echo
echo "Lumivane against the bare Win32 program: medians of $runs runs each (after $warmup warm-up runs), taken in turn"
echo
printf "| %-38s | %12s | %12s | %6s | %-8s |\n" metric Lumivane bare ratio target
echo "|----------------------------------------|--------------|--------------|--------|----------|"
row "start-up to idle message loop (ms)" "$(median lumivane startup_ms)" "$(median bare startup_ms)" yes 1.5
row "start-up with -quiet, no window (ms)" "$(median quiet startup_ms)" "$(median bare startup_ms)" yes 1.1
row "-screensaver run, start to exit (ms)" "$(median lumivane exit_ms)" "$(median bare exit_ms)" yes
row "peak working set (KiB)" "$(median lumivane peak_ws_kib)" "$(median bare peak_ws_kib)" yes
row "pagefile usage (KiB)" "$(median lumivane pagefile_kib)" "$(median bare pagefile_kib)" yes
row "pagefile usage with -quiet (KiB)" "$(median quiet pagefile_kib)" "$(median bare pagefile_kib)" yes
row "private usage (KiB)" "$(median lumivane private_kib)" "$(median bare private_kib)" no
row "Linux VmHWM, cross-check (KiB)" "$(median lumivane linux_vmhwm_kib)" "$(median bare linux_vmhwm_kib)" no
row "Linux RssAnon, cross-check (KiB)" "$(median lumivane linux_rssanon_kib)" "$(median bare linux_rssanon_kib)" no
row "close: WM_CLOSE to exit (ms)" "$(median lumivane close_ms)" "$(median bare close_ms)" no
bare_exit=$(median bare exit_ms)
row "executable size (KiB)" "$(size_kib "$bin/Lumivane.exe")" "$(size_kib "$bin/lumivane_bench_bare.exe")" no
show=$(median quiet show_ms)
printf "| %-38s | %12s | %12s | %6s | %-8s |\n" "first showing from hidden (ms)" \
  "$(awk -v v="$show" 'BEGIN { print v == "n/a" ? v : sprintf("%.1f", v) }')" "" "" \
  "$(awk -v v="$show" 'BEGIN { print v == "n/a" ? "" : (v + 0 <= 150 ? "ok" : "over 150") }')"

# A control command handed to a running copy (the messenger), from its start
# until the copy has made the change and answered, against the bare
# program's -screensaver run and against a process that only starts.
main_log=$log
log=$state/driver-control.log
(cd "$bin" && exec bash ../../../cmake/wine-env.sh exec ../../bench Lumivane.exe -quiet) >/dev/null 2>&1 &
sleep 3
runs_before=$runs
runs=20
driver --phase exit \
  --program-exit toggle Lumivane.exe TfMain_lumivane -toggle \
  --program-exit start lumivane_bench_bare.exe LumivaneBenchBare -exit
(cd "$bin" && bash ../../../cmake/wine-env.sh exec ../../bench Lumivane.exe -exit) >/dev/null 2>&1 || true
runs=$runs_before
row "-toggle to a running copy (ms)" "$(median toggle exit_ms)" "$bare_exit" yes 1.2
toggle=$(median toggle exit_ms)
start=$(median start exit_ms)
printf "| %-38s | %12s | %12s | %6s | %-8s |\n" "-toggle over a bare start (ms)" \
  "$(awk -v a="$toggle" -v b="$start" 'BEGIN { print (a == "n/a" || b == "n/a") ? "n/a" : sprintf("%.1f", a - b) }')" \
  "$(awk -v b="$start" 'BEGIN { print b == "n/a" ? b : sprintf("%.1f", b) }')" "" \
  "$(awk -v a="$toggle" -v b="$start" 'BEGIN { print (a == "n/a" || b == "n/a") ? "" : (a - b <= 50 ? "ok" : "over 50") }')"
echo
echo "Targets: Lumivane / bare at most 1.5 for the start-up with the window shown, 1.1 with -quiet,"
echo "$target_ratio for the rest, 1.2 for a command to a running copy (20 runs), which may add at most"
echo "50 ms to a bare process start; the first showing of the hidden window within 150 ms."
echo "Every control run: $log"
log=$main_log
finish

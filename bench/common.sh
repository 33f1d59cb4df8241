# Sourced by the bench scripts, from the project's root.
#
# bench_up STATE [TARGET]: builds the benchmark programs (TARGET, default
# lumivane_bench) and brings up a Wine prefix and an Xvfb of their own in
# STATE, never $DISPLAY: the timings need a quiet one. Both are torn down
# however the script ends.
bench_up() {
  cmake --preset mingw >/dev/null
  cmake --build --preset mingw --target "${2:-lumivane_bench}" >&2
  mkdir -p "$1"
  unset LUMIVANE_DISPLAY
  trap "bash cmake/wine-env.sh down '$1'" EXIT
  bash cmake/wine-env.sh up "$1" >/dev/null
}

# stats: the numbers on stdin, one a line, as "median first-quartile
# third-quartile" (the quartiles as medians of the lower and upper halves).
stats() {
  sort -g | awk '{ v[NR] = $1 }
    function med(a, b,   n) { n = b - a + 1; return n % 2 ? v[a + (n - 1) / 2] : (v[a + n / 2 - 1] + v[a + n / 2]) / 2 }
    END { if (!NR) { print "n/a n/a n/a"; exit }
      h = int((NR + 1) / 2); printf "%.1f %.1f %.1f\n", med(1, NR), med(1, h), med(NR - h + 1, NR) }'
}

#!/usr/bin/env bash
# The Wine side of a build folder: its own prefix (never the user's), one
# virtual desktop for every process of that prefix, and, when no display is
# given, a private Xvfb.
#
#   wine-env.sh up BUILD            prepare prefix and display, print the display
#   wine-env.sh exec BUILD PROG...  run a Windows program there (the test launcher)
#   wine-env.sh down BUILD          stop Wine and the private Xvfb
#
# LUMIVANE_DISPLAY=:N uses that display instead of a private Xvfb.
# LUMIVANE_DLLOVERRIDES=name=n;... adds DLL overrides for that program only.
set -euo pipefail

cmd=${1:?usage: wine-env.sh up|exec|down BUILD [PROG ARGS...]}
build=$(cd "${2:?build folder}" && pwd)
shift 2
state=$build/wine
mkdir -p "$state"

export WINEPREFIX=$state/prefix
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer; and no menu builder, which would write menu
# entries and .desktop files into the user's home, pointing at this prefix.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d${LUMIVANE_DLLOVERRIDES:+;$LUMIVANE_DLLOVERRIDES}"
export WINEARCH=win64

alive() { [ -n "${1:-}" ] && kill -0 "$1" 2>/dev/null; }

start_xvfb() {
  local pid dpy
  if [ -f "$state/xvfb.pid" ] && alive "$(cat "$state/xvfb.pid")"; then return; fi
  # -displayfd picks a free display number and tells us which.
  exec 3> "$state/xvfb.display.tmp"
  # fd 9 is the lock: Xvfb must not inherit it.
  setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$state/xvfb.log" 2>&1 < /dev/null 9>&- &
  pid=$!
  exec 3>&-
  for _ in $(seq 100); do
    dpy=$(tr -dc '0-9' < "$state/xvfb.display.tmp" 2>/dev/null || true)
    [ -n "$dpy" ] && break
    sleep 0.05
  done
  [ -n "$dpy" ] || { echo "wine-env: Xvfb did not start (see $state/xvfb.log)" >&2; exit 1; }
  echo "$pid" > "$state/xvfb.pid"
  echo ":$dpy" > "$state/display"
}

init_prefix() {
  [ -f "$WINEPREFIX/.lumivane-ready" ] && return
  wineboot -i >/dev/null 2>&1 || true
  # Debian's Wine does not find its own fonts (Tahoma, and Marlett for the
  # caption buttons) by itself: put them where every Windows program looks.
  if [ -d /usr/share/wine/fonts ]; then
    cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  fi
  # Every process of the prefix runs in one virtual desktop, so that
  # broadcasts reach all of them and each keeps its output and exit code.
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
  # A taskbar with a notification area, as a user's desktop has.
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops\Default' /v EnableShell /t REG_DWORD /d 1 /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.lumivane-ready"
}

up() {
  (
    flock 9
    if [ -n "${LUMIVANE_DISPLAY:-}" ]; then
      echo "$LUMIVANE_DISPLAY" > "$state/display"
    else
      start_xvfb
    fi
    export DISPLAY=$(cat "$state/display")
    init_prefix
  ) 9> "$state/lock"
  export DISPLAY=$(cat "$state/display")
}

case $cmd in
  up)
    up
    echo "$DISPLAY"
    ;;
  exec)
    up
    # Whoever reads a pipe (ctest, a "$(...)") waits until every writer has
    # closed it. Wine's server and services, and any console host or stray
    # copy a program leaves, inherit the descriptors of the wine that started
    # them and can outlive the program by far. So a program whose output goes
    # to a pipe writes to files instead, which are copied out while it runs:
    # the pipe closes when the program ends, whatever it left behind.
    if ! [ -p /dev/stdout ] && ! [ -p /dev/stderr ]; then exec wine "$@"; fi
    out=$(mktemp "$state/out.XXXXXX")
    err=$(mktemp "$state/err.XXXXXX")
    wine "$@" 0<&0 >"$out" 2>"$err" &
    pid=$!
    trap 'kill -TERM "$pid" 2>/dev/null || true' TERM INT HUP
    tail -q -n +1 -s 0.05 --pid="$pid" -f "$out" & copy_out=$!
    tail -q -n +1 -s 0.05 --pid="$pid" -f "$err" >&2 & copy_err=$!
    # A signal ends the wait early: wait again until the program has ended.
    rc=0
    while :; do
      wait "$pid" && rc=0 || rc=$?
      alive "$pid" || break
    done
    wait "$copy_out" "$copy_err" || true
    rm -f "$out" "$err"
    exit "$rc"
    ;;
  down)
    wineserver -k 2>/dev/null || true
    if [ -f "$state/xvfb.pid" ]; then
      pid=$(cat "$state/xvfb.pid")
      alive "$pid" && kill "$pid" 2>/dev/null || true
      rm -f "$state/xvfb.pid" "$state/display"
    fi
    ;;
  *)
    echo "wine-env: unknown command $cmd" >&2
    exit 2
    ;;
esac

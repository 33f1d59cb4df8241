#!/usr/bin/env bash
# The Windows Installer packages under Wine, as an administrator deploys them:
# each flavour installed silently with its program answering, upgraded to a
# newer version while a copy runs (the old version's uninstall ends it), not
# downgraded, and removed leaving nothing. The per-user package refuses where
# the setup program installed Lumivane for this user. Run by ctest in the
# mingw build folder:
#   msi_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
env="$source/cmake/wine-env.sh"
run() { bash "$env" exec "$build" "$@"; }
fail() { echo "FAIL: $*" >&2; exit 1; }
wait_for() {  # wait_for SECONDS COMMAND...
  local end=$((SECONDS + $1)); shift
  until "$@"; do [ $SECONDS -lt $end ] || return 1; sleep 0.2; done
}

work=$build/msi-test
rm -rf "$work"
cmake --install "$build" --prefix "$work/stage" >/dev/null
python3 "$source/tools/msi.py" "$work/stage" "$work/old"
python3 "$source/tools/msi.py" "$work/stage" "$work/new" 9.99
bash "$env" up "$build" >/dev/null
prefix=$build/wine/prefix
user=$(ls "$prefix/drive_c/users" | grep -vx Public | head -1)
nsis_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumivane'
# Wine records even a per-user product under HKLM: every place counts.
entries() {
  for key in 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall' \
             'HKLM\Software\Classes\Installer\Products' 'HKCU\Software\Microsoft\Installer\Products'; do
    run reg query "$key" /s 2>/dev/null || true
  done | tr -d '\r' | grep -cE '^ +(DisplayName|ProductName) +REG_SZ +Lumivane$' || true
}
version() { run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
  tr -d '\r' | awk '/^HKEY/ { n = v = "" } $1 == "DisplayName" { n = $3 } $1 == "DisplayVersion" { v = $3 }
                  n == "Lumivane" && v != "" { print v; n = "" }'; }
ended() { ! pgrep -f "$1.Lumivane.exe" >/dev/null; }
[ "$(entries)" = 0 ] || fail "Lumivane is installed in this prefix before the test"

# Windows puts a per-machine package's shortcut into every user's Start menu
# (ProgramData); Wine 8 puts it into the installing user's.
link="$prefix/drive_c/users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Lumivane.lnk"
for flavour in user machine; do
  case $flavour in
    user) dir="$prefix/drive_c/users/$user/AppData/Local/Programs/Lumivane" pattern='Programs.Lumivane' ;;
    machine) dir="$prefix/drive_c/Program Files/Lumivane" pattern='Program Files.Lumivane' ;;
  esac
  old=$(ls "$work"/old/Lumivane-*-win64-$flavour.msi) new=$work/new/Lumivane-9.99-win64-$flavour.msi
  if [ $flavour = user ]; then
    run reg add "$nsis_key" /v UninstallString /d '"C:\Setup\Uninstall.exe"' /f >/dev/null
    run msiexec /i "$old" /qn && fail "user: installed beside the setup program's installation"
    [ ! -e "$dir" ] || fail "user: refused, but put files"
    run reg delete "$nsis_key" /f >/dev/null
  fi
  run msiexec /i "$old" /qn || fail "$flavour: install failed: exit code $?"
  for f in Lumivane.exe Lumivane.com Help.html LICENSE.txt README.txt; do
    [ -f "$dir/$f" ] || fail "$flavour: $f not installed"
  done
  [ -f "$link" ] || fail "$flavour: no Start-menu shortcut"
  installed=$(entries)
  [ "$installed" -gt 0 ] || fail "$flavour: no entry"
  code=0
  run "$dir/Lumivane.com" -status >/dev/null 2>&1 || code=$?
  [ $code = 3 ] || fail "$flavour: the installed Lumivane.com -status: exit code $code, not 3 (not running)"

  # A copy runs: the old version's uninstall, within the upgrade, ends it.
  (run "$dir/Lumivane.exe" -quiet >/dev/null 2>&1 &)
  answers() { local c=0; run "$dir/Lumivane.com" -status >/dev/null 2>&1 || c=$?; [ $c -le 2 ]; }
  wait_for 30 answers || fail "$flavour: the installed program does not answer"
  copy=$(pgrep -f "$pattern.Lumivane.exe")
  trap 'kill $copy 2>/dev/null || true' EXIT
  run msiexec /i "$new" /qn || fail "$flavour: upgrade failed: exit code $?"
  wait_for 20 ended "$pattern" || fail "$flavour: the upgrade left the running copy"
  [ "$(version)" = 9.99.0 ] && [ "$(entries)" = "$installed" ] || fail "$flavour: upgrade gave $(version), $(entries) entries"
  run msiexec /i "$old" /qn && fail "$flavour: an older version installed over a newer one"

  # Nothing runs now: -exit's "not running" must not stop the uninstall.
  run msiexec /x "$new" /qn || fail "$flavour: uninstall failed: exit code $?"
  [ ! -e "$dir" ] || fail "$flavour: left $(ls "$dir")"
  [ ! -e "$link" ] || fail "$flavour: left the shortcut"
  [ "$(entries)" = 0 ] || fail "$flavour: left $(entries) entries"
done
rm -rf "$work"
echo "msi test: 1 passed, 0 failed"

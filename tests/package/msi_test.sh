#!/usr/bin/env bash
# The MSI packages under Wine: each flavour installed, upgraded over a running
# copy (the old version's uninstall ends it), not downgraded, removed without
# a trace; the per-user one refused beside the setup program's installation.
#   msi_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd) source=$(cd "$2" && pwd)
env="$source/cmake/wine-env.sh"
run() { bash "$env" exec "$build" "$@"; }
fail() { echo "FAIL: $*" >&2; exit 1; }
source "$source/tests/package/wait.sh"
work=$build/msi-test
rm -rf "$work"
cmake --install "$build" --prefix "$work/stage" >/dev/null
python3 "$source/tools/msi.py" "$work/stage" "$work/old"
python3 "$source/tools/msi.py" "$work/stage" "$work/new" 9.99
# However the test ends, nothing of it stays installed for the next run.
trap 'for m in "$work"/new/*.msi "$work"/old/*.msi; do run msiexec /x "$m" /qn >/dev/null 2>&1 || true; done' EXIT
bash "$env" up "$build" >/dev/null
prefix=$build/wine/prefix; user=$(ls "$prefix/drive_c/users" | grep -vx Public | head -1)
arp='Software\Microsoft\Windows\CurrentVersion\Uninstall'
startup=('HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
         'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run')
startup_left() { for key in "${startup[@]}"; do run reg query "$key" /v Lumivane 2>/dev/null; done | grep -c Lumivane; }
# Wine records even a per-user product under HKLM: every place counts.
entries() {
  for key in "HKLM\\$arp" "HKCU\\$arp" 'HKLM\Software\Classes\Installer\Products' 'HKCU\Software\Microsoft\Installer\Products'; do
    run reg query "$key" /s 2>/dev/null || true
  done | tr -d '\r' | grep -cE "^ +(DisplayName|ProductName|DisplayVersion) +REG_SZ +(Lumivane${1:+|$1})$" || true
}
status() { local c=0; run "$dir/Lumivane.com" -status >/dev/null 2>&1 || c=$?; echo $c; }
# A run that was killed may have left its packages: removed by their product codes first.
for code in $(python3 -c "import sys; sys.path.insert(0, sys.argv[1]); import msi
for v in (msi.version(), '9.99'): print(msi.product_code(v, 'user'), msi.product_code(v, 'machine'))" "$source/tools"); do
  run msiexec /x "$code" /qn >/dev/null 2>&1 || true
done
[ "$(entries)" = 0 ] || fail "Lumivane is installed in this prefix before the test"
# Windows puts a per-machine package's shortcut into every user's Start menu
# (ProgramData); Wine 8 puts it into the installing user's.
link="$prefix/drive_c/users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Lumivane.lnk"
for flavour in user machine; do
  echo "msi test, ${SECONDS}s: the $flavour package installed, upgraded over a running copy, not downgraded, removed"
  dir=$prefix/drive_c/$([ $flavour = user ] && echo "users/$user/AppData/Local/Programs" || echo "Program Files")/Lumivane
  old=$(ls "$work"/old/Lumivane-*-win64-$flavour.msi) new=$work/new/Lumivane-9.99-win64-$flavour.msi
  if [ $flavour = user ]; then
    run reg add "HKCU\\$arp\\Lumivane" /v UninstallString /d '"C:\Setup\Uninstall.exe"' /f >/dev/null
    run msiexec /i "$old" /qn || [ -e "$dir" ] || ok=1
    run reg delete "HKCU\\$arp\\Lumivane" /f >/dev/null
    [ "${ok:-}" = 1 ] || fail "user: installed beside the setup program's installation"
  fi
  # The folder is the package's: not one named on the command line.
  run msiexec /i "$old" /qn 'INSTALLDIR=C:\Apps\T\' || fail "$flavour: install failed: exit code $?"
  [ ! -e "$prefix/drive_c/Apps" ] || fail "$flavour: installed where the command line said"
  for f in Lumivane.exe Lumivane.com Help.html LICENSE.txt README.txt; do [ -f "$dir/$f" ] || fail "$flavour: no $f"; done
  [ -f "$link" ] || fail "$flavour: no Start-menu shortcut"
  installed=$(entries)
  [ "$installed" -gt 0 ] && [ "$(status)" = 3 ] || fail "$flavour: $installed entries, -status exit code $(status), not 3"
  (run "$dir/Lumivane.exe" -quiet >/dev/null 2>&1 &)
  wait_for 30 eval '[ "$(status)" -le 2 ]' || fail "$flavour: the installed program does not answer"
  copy=$(pgrep -f "${dir##*/drive_c/}/Lumivane.exe")
  trap 'kill $copy 2>/dev/null || true' EXIT
  run msiexec /i "$new" /qn || fail "$flavour: upgrade failed: exit code $?"
  wait_for 20 eval '! kill -0 $copy 2>/dev/null' || fail "$flavour: the upgrade left the running copy"
  [ "$(entries 9.99.0)" = $((installed + 1)) ] || fail "$flavour: upgrade gave $(entries 9.99.0) entries and versions"
  run msiexec /i "$old" /qn && fail "$flavour: an older version installed over a newer one"
  # The user's start-up entry of this folder, and its Task Manager mark. (An
  # upgrade keeps them on Windows; Wine's installer removes the old version
  # without saying that it is an upgrade, so they are set after it.)
  win=$([ $flavour = user ] && echo "C:\\users\\$user\\AppData\\Local\\Programs" || echo 'C:\Program Files')\\Lumivane
  run reg add "${startup[0]}" /v Lumivane /d "\"$win\\Lumivane.exe\" -quiet" /f >/dev/null
  run reg add "${startup[1]}" /v Lumivane /t REG_BINARY /d 03000000 /f >/dev/null
  # Nothing runs now: -exit's "not running" must not stop the uninstall.
  run msiexec /x "$new" /qn || fail "$flavour: uninstall failed: exit code $?"
  [ "$(startup_left)" = 0 ] || fail "$flavour: the start-up entry or its mark stayed"
  [ ! -e "$dir" ] && [ ! -e "$link" ] || fail "$flavour: left $(ls "$dir" 2>/dev/null) or the shortcut"
  [ "$(entries)" = 0 ] || fail "$flavour: left $(entries) entries"
done
rm -rf "$work"
echo "msi test: 1 passed, 0 failed"

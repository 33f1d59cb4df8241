#!/usr/bin/env bash
# The installer under Wine, as a user would use it: a silent install, the
# installed program started, an upgrade over a running copy, and a silent
# uninstall. Run by ctest in the mingw build folder:
#   package_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
env="$source/cmake/wine-env.sh"
run() { bash "$env" exec "$build" "$@"; }
fail() { echo "FAIL: $*" >&2; exit 1; }

# Two installers: this version, and one a version newer.
cpack --config "$build/CPackConfig.cmake" -G NSIS -B "$build/package-test/old" >/dev/null
cpack --config "$build/CPackConfig.cmake" -G NSIS -B "$build/package-test/new" \
  -D CPACK_PACKAGE_VERSION=9.99 -D CPACK_PACKAGE_FILE_NAME=Lumivane-9.99-win64 >/dev/null
old=$(ls "$build"/package-test/old/Lumivane-*-setup.exe)
new=$(ls "$build"/package-test/new/Lumivane-9.99-win64-setup.exe)

bash "$env" up "$build" >/dev/null
prefix=$build/wine/prefix
user=$(ls "$prefix/drive_c/users" | grep -vx Public | head -1)
dir="$prefix/drive_c/users/$user/AppData/Local/Programs/Lumivane"
link="$prefix/drive_c/users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Lumivane.lnk"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumivane'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
windir="C:\\users\\$user\\AppData\\Local\\Programs\\Lumivane"
reg_value() { run reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v n="$2" '$1 == n { $1 = ""; $2 = ""; sub(/^  /, ""); print }'; }
running() { pgrep -f 'Programs.Lumivane.Lumivane.exe' >/dev/null; }
not_running() { ! running; }
# Copies of the program left running in this prefix by earlier tests would be
# asked to end by the installer too: none may be there at the start.
for p in $(pgrep -f 'Lumivane\.exe' || true); do
  tr '\0' '\n' < "/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$prefix" && kill "$p" 2>/dev/null || true
done
wait_for() {  # wait_for SECONDS COMMAND...
  local end=$((SECONDS + $1)); shift
  until "$@"; do [ $SECONDS -lt $end ] || return 1; sleep 0.2; done
}

# A silent install puts the files, the shortcut and the uninstall entry in place.
run "$old" /S
for f in Lumivane.exe Help.html LICENSE.txt README.txt Uninstall.exe; do
  [ -f "$dir/$f" ] || fail "$f not installed"
done
[ -f "$link" ] || fail "no Start-menu shortcut"
[ "$(reg_value "$uninstall_key" DisplayName)" = "Lumivane" ] || fail "no uninstall entry"
[ "$(reg_value "$uninstall_key" QuietUninstallString)" = "\"$windir\\Uninstall.exe\" /S" ] ||
  fail "quiet uninstall string: $(reg_value "$uninstall_key" QuietUninstallString)"

# The installed program starts hidden; a newer version installs over it while
# it runs: the running copy is asked to end and does.
run reg add 'HKCU\Software\Tessaly\Lumivane' /v 'Start with Windows' /t REG_DWORD /d 1 /f >/dev/null
(run "$dir/Lumivane.exe" -quiet >/dev/null 2>&1 &)
wait_for 20 running || fail "the installed program did not start"
sleep 2
run "$new" /S
wait_for 20 not_running || fail "the running copy did not end"
[ "$(reg_value "$uninstall_key" DisplayVersion)" = "9.99" ] || fail "not upgraded"
[ "$(run reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall' 2>/dev/null | tr -d '\r' | grep -c 'Uninstall\\Lumivane')" = 1 ] ||
  fail "more than one uninstall entry"
# The running copy ended with its end steps: it saved the start-up entry.
[ "$(reg_value "$run_key" Lumivane)" = "\"$windir\\Lumivane.exe\" -quiet" ] ||
  fail "start-up entry: $(reg_value "$run_key" Lumivane)"

# The silent uninstall copies itself away and returns at once: wait for it.
run "$dir/Uninstall.exe" /S
wait_for 30 test ! -e "$dir/Lumivane.exe" || fail "files left behind"
wait_for 10 test ! -d "$dir" || fail "folder left behind"
[ ! -f "$link" ] || fail "shortcut left behind"
[ -z "$(reg_value "$uninstall_key" DisplayName)" ] || fail "uninstall entry left behind"
[ -z "$(reg_value "$run_key" Lumivane)" ] || fail "start-up entry of this installation left behind"
run reg query 'HKCU\Software\Tessaly\Lumivane' >/dev/null 2>&1 || fail "the options key is gone"

# A start-up entry that points elsewhere stays.
run "$old" /S
run reg add "$run_key" /v Lumivane /d '"C:\Tools\Lumivane.exe" -quiet' /f >/dev/null
run "$dir/Uninstall.exe" /S
wait_for 30 test ! -d "$dir" || fail "second uninstall left the folder"
[ "$(reg_value "$run_key" Lumivane)" = '"C:\Tools\Lumivane.exe" -quiet' ] || fail "a foreign start-up entry was removed"
run reg delete "$run_key" /v Lumivane /f >/dev/null

# The zip: one folder that runs where it is unpacked, without installing.
cpack --config "$build/CPackConfig.cmake" -G ZIP -B "$build/package-test/zip" >/dev/null
zip=$(ls "$build"/package-test/zip/Lumivane-*-win64.zip)
portable="$prefix/drive_c/portable"
rm -rf "$portable"
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$portable"
folder=$(basename "$zip" .zip)
for f in Lumivane.exe Help.html README.txt LICENSE.txt; do
  [ -f "$portable/$folder/$f" ] || fail "$f not in the zip's folder"
done
(run "$portable/$folder/Lumivane.exe" -quiet >/dev/null 2>&1 &)
wait_for 20 pgrep -f 'portable.Lumivane-.*Lumivane.exe' >/dev/null || fail "the unpacked program did not start"
pkill -f 'portable.Lumivane-.*Lumivane.exe' || true
sleep 1
rm -rf "$portable"
run reg delete 'HKCU\Software\Tessaly\Lumivane' /f >/dev/null 2>&1 || true
echo "package test: 1 passed, 0 failed"

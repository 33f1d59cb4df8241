#!/usr/bin/env bash
# The installer under Wine, as a user would use it: a silent install, the
# installed program started, an upgrade refused while a copy does not answer,
# an upgrade over a running copy, and a silent uninstall. Run by ctest in the mingw build folder:
#   package_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
env="$source/cmake/wine-env.sh"
run() { bash "$env" exec "$build" "$@"; }
fail() { echo "FAIL: $*" >&2; exit 1; }
step() { echo "package test, ${SECONDS}s: $*"; }

# The version resource of an executable (VS_FIXEDFILEINFO, a.b.c.d), or with a
# second argument its new file and product version, written in place.
work=$build/package-test
mkdir -p "$work"
cat > "$work/pe_version.py" <<'EOF'
import struct, sys

def fixed_info(data):
    pe, = struct.unpack_from('<I', data, 0x3C)
    if data[pe:pe + 4] != b'PE\0\0':
        sys.exit('not a PE file')
    count, opt_size = struct.unpack_from('<H12xH', data, pe + 6)
    opt = pe + 24
    dirs = opt + (112 if struct.unpack_from('<H', data, opt)[0] == 0x20B else 96)
    rsrc, = struct.unpack_from('<I', data, dirs + 2 * 8)
    sections = [struct.unpack_from('<8xIIII', data, opt + opt_size + 40 * i) for i in range(count)]
    def at(rva):
        for vsize, va, size, raw in sections:
            if va <= rva < va + max(vsize, size):
                return raw + rva - va
        sys.exit('resource outside the file')
    base = at(rsrc)
    def entry(table, want=None):
        named, ids = struct.unpack_from('<12xHH', data, base + table)
        for i in range(named + ids):
            name, target = struct.unpack_from('<II', data, base + table + 16 + 8 * i)
            if want is None or name == want:
                return target & 0x7FFFFFFF
        sys.exit('no version resource')
    leaf = entry(entry(entry(0, 16)))  # RT_VERSION, its first name, its first language
    info = at(struct.unpack_from('<I', data, base + leaf)[0])
    key = 'VS_VERSION_INFO\0'.encode('utf-16-le')
    if data[info + 6:info + 6 + len(key)] != key:
        sys.exit('not a VS_VERSIONINFO block')
    fixed = (info + 6 + len(key) + 3) & ~3
    if struct.unpack_from('<I', data, fixed)[0] != 0xFEEF04BD:
        sys.exit('no fixed file information')
    return fixed

data = bytearray(open(sys.argv[1], 'rb').read())
fixed = fixed_info(data)
if len(sys.argv) > 2:
    a, b, c, d = map(int, sys.argv[2].split('.'))
    struct.pack_into('<IIII', data, fixed + 8, a << 16 | b, c << 16 | d, a << 16 | b, c << 16 | d)
    open(sys.argv[1], 'wb').write(data)
else:
    ms, ls = struct.unpack_from('<II', data, fixed + 8)
    print(f'{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}')
EOF
pe_version() { python3 "$work/pe_version.py" "$@"; }

step "two installers packed: this version and a newer one"
# Two installers: this version, and one a version newer whose executable says
# so too, so that an upgrade that left the old program in place shows. CPack
# runs the pre-build script on its staged copy, never on the build's own file.
cat > "$work/newer_exe.cmake" <<EOF
execute_process(COMMAND python3 [[$work/pe_version.py]]
  "\${CPACK_TEMPORARY_INSTALL_DIRECTORY}/Lumivane.exe" 9.99.0.0 COMMAND_ERROR_IS_FATAL ANY)
EOF
cpack --config "$build/CPackConfig.cmake" -G NSIS -B "$work/old" >/dev/null
cpack --config "$build/CPackConfig.cmake" -G NSIS -B "$work/new" \
  -D CPACK_PACKAGE_VERSION=9.99 -D CPACK_PACKAGE_FILE_NAME=Lumivane-9.99-win64 \
  -D "CPACK_PRE_BUILD_SCRIPTS=$work/newer_exe.cmake" >/dev/null
old=$(ls "$work"/old/Lumivane-*-setup.exe)
new=$(ls "$work"/new/Lumivane-9.99-win64-setup.exe)
old_version=$(basename "$old" | sed 's/^Lumivane-\(.*\)-win64-setup\.exe$/\1/')

bash "$env" up "$build" >/dev/null
prefix=$build/wine/prefix
user=$(ls "$prefix/drive_c/users" | grep -vx Public | head -1)
dir="$prefix/drive_c/users/$user/AppData/Local/Programs/Lumivane"
link="$prefix/drive_c/users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Lumivane.lnk"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumivane'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
approved_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run'
# Task Manager's "disabled" switch: a flag of four bytes, then when it was set.
disabled_mark=03000000102A5C7E914DDA01
windir="C:\\users\\$user\\AppData\\Local\\Programs\\Lumivane"
odd="$prefix/drive_c/R&D^(x)"
reg_value() { run reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v n="$2" '$1 == n { $1 = ""; $2 = ""; sub(/^  /, ""); print }'; }
running() { pgrep -f 'Programs.Lumivane.Lumivane.exe' >/dev/null; }
not_running() { ! running; }
# Copies of the program left running in this prefix by earlier tests would be
# asked to end by the installer too: none may be there at the start. Nor may
# an installation that a failed run left: its start-up entry would start a
# copy beside the later tests whenever the prefix boots.
end_copies() {
  for p in $(pgrep -f 'Lumivane\.exe' || true); do
    tr '\0' '\n' 2>/dev/null < "/proc/$p/environ" | grep -qx "WINEPREFIX=$prefix" && kill -CONT "$p" 2>/dev/null &&
      kill "$p" 2>/dev/null || true
  done
}
clean() {
  end_copies
  rm -rf "$dir" "$link" "$odd"
  run reg delete "$uninstall_key" /f >/dev/null 2>&1 || true
  run reg delete "$run_key" /v Lumivane /f >/dev/null 2>&1 || true
  # The stand-in power library of the lost-run step below.
  run reg delete 'HKCU\Software\Wine\AppDefaults\Lumivane.exe\DllOverrides' /v powrprof /f >/dev/null 2>&1 || true
  run reg delete 'HKCU\Software\Lumivane test\Power' /f >/dev/null 2>&1 || true
  run reg delete 'HKCU\Environment' /v Path /f >/dev/null 2>&1 || true
}
clean
trap clean EXIT
source "$source/tests/package/wait.sh"

# The launcher gives the caller's pipe back when the program ends, even while
# a process it started lives on (as Wine's services and a stray console host do).
[ "$(run cmd /c 'start /b ping -n 900 127.0.0.1 >nul & echo started' | tr -d '\r ')" = started ] &&
  pgrep -fi 'ping\.exe' >/dev/null || fail "the launcher kept the pipe until the process left behind ended"
pkill -KILL -fi 'ping\.exe' || true

# The installer refuses a system older than Windows 10 1809: Wine's prefix
# says Windows 7 unless told otherwise per program.
appdefaults='HKCU\Software\Wine\AppDefaults'
for setup in "$old" "$new"; do
  run reg add "$appdefaults\\${setup##*/}" /v Version /d win7 /f >/dev/null
done
code=0
run "$old" /S || code=$?
[ "$code" = 2 ] || fail "the installer ran on Windows 7: exit code $code, not 2"
[ ! -e "$dir/Lumivane.exe" ] || fail "the installer put files on Windows 7"
for setup in "$old" "$new"; do
  run reg add "$appdefaults\\${setup##*/}" /v Version /d win10 /f >/dev/null
done

step "a silent install, with a long PATH"
# A silent install puts the files, the shortcut and the uninstall entry in place,
# and the folder into the user's PATH: after a PATH longer than the setup
# program's strings (1,024 characters) and the options' values (4 KiB), its
# type and its empty entries kept.
long_path="C:\Tools;;$(printf 'C:\Some Long Folder %04d;' $(seq 1 120))C:\Last"
run reg add 'HKCU\Environment' /v Path /t REG_SZ /d "$long_path" /f >/dev/null
user_path() { run reg query 'HKCU\Environment' /v Path 2>/dev/null | tr -d '\r' | awk '$1 == "Path" { print $2 }'; reg_value 'HKCU\Environment' Path; }
run "$old" /S
[ "$(user_path)" = "$(printf 'REG_SZ\n%s' "$long_path;$windir")" ] || fail "the user's PATH after the install: $(user_path)"
for f in Lumivane.exe Lumivane.com Help.html LICENSE.txt README.txt Uninstall.exe; do
  [ -f "$dir/$f" ] || fail "$f not installed"
done
[ -f "$link" ] || fail "no Start-menu shortcut"
[ "$(reg_value "$uninstall_key" DisplayName)" = "Lumivane" ] || fail "no uninstall entry"
case $(reg_value "$uninstall_key" QuietUninstallString) in
  *"cd /d $windir&& "*"/S _?=$windir&& "*) ;;
  *) fail "quiet uninstall string: $(reg_value "$uninstall_key" QuietUninstallString)" ;;
esac
case $(pe_version "$dir/Lumivane.exe") in
  "$old_version".*) ;;
  *) fail "installed executable is version $(pe_version "$dir/Lumivane.exe"), not $old_version" ;;
esac

step "the installed program started; upgrades while it hangs and while it runs"
# The installed program starts hidden; a newer version installs over it while
# it runs: the running copy is asked to end and does.
run reg add 'HKCU\Software\Tessaly\Lumivane' /v 'Start with Windows' /t REG_DWORD /d 1 /f >/dev/null
(run "$dir/Lumivane.exe" -quiet >/dev/null 2>&1 &)
wait_for 20 running || fail "the installed program did not start"
# Its window is up and reads its messages once it answers a status request:
# the window the installer looks for.
answers() { local code=0; run "$dir/Lumivane.com" -status >/dev/null 2>&1 || code=$?; [ "$code" -le 2 ]; }
wait_for 30 answers || fail "the installed program does not answer"

# A copy that does not answer (its process stopped) cannot be asked to end:
# the installer gives up after its wait, says so (in silent mode, by its exit
# code: aborted by the script), and leaves the old installation as it was.
hung=$(pgrep -f 'Programs.Lumivane.Lumivane.exe')
trap 'kill -CONT $hung 2>/dev/null || true; clean' EXIT
installed() { (cd "$dir" && sha256sum -- *); }
before=$(installed)
kill -STOP $hung
status=0
run "$new" /S || status=$?
kill -CONT $hung
trap clean EXIT
[ "$status" = 2 ] || fail "installer over a copy that does not end: exit code $status, not 2"
[ "$(installed)" = "$before" ] || fail "installer over a copy that does not end changed the files"
[ "$(reg_value "$uninstall_key" DisplayVersion)" = "$old_version" ] ||
  fail "installer over a copy that does not end registered $(reg_value "$uninstall_key" DisplayVersion)"
# An answer comes after whatever reached the copy while it was stopped.
wait_for 30 answers && running || fail "the resumed copy ended before the real upgrade"

status=0
run "$new" /S || status=$?
wait_for 20 not_running || fail "the running copy did not end (the installer's exit code: $status)"
[ "$(reg_value "$uninstall_key" DisplayVersion)" = "9.99" ] || fail "not upgraded"
# A running executable cannot be overwritten (under Wine too): files copied
# before the copy ended would leave the old program behind a new entry.
[ "$(pe_version "$dir/Lumivane.exe")" = 9.99.0.0 ] ||
  fail "upgrade left executable version $(pe_version "$dir/Lumivane.exe")"
[ "$(run reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall' 2>/dev/null | tr -d '\r' | grep -c 'Uninstall\\Lumivane')" = 1 ] ||
  fail "more than one uninstall entry"
# The running copy ended with its end steps: it saved the start-up entry.
[ "$(reg_value "$run_key" Lumivane)" = "\"$windir\\Lumivane.exe\" -quiet" ] ||
  fail "start-up entry: $(reg_value "$run_key" Lumivane)"

# Switched off in Task Manager: this program's switch and another's.
run reg add "$approved_key" /v Lumivane /t REG_BINARY /d $disabled_mark /f >/dev/null
run reg add "$approved_key" /v OtherProgram /t REG_BINARY /d $disabled_mark /f >/dev/null

step "the quiet uninstall after a lost run"
# A run lost while it had the power plan changed, and no start since: the
# uninstall puts the user's values back before the program goes. The plan is
# the stand-in power library's (tests/standin), loaded by Lumivane.exe only.
standin_key='HKCU\Software\Lumivane test\Power' balanced='{381B4222-F694-41F0-9685-FF5BB260DF2E}'
overrides='HKCU\Software\Wine\AppDefaults\Lumivane.exe\DllOverrides'
cp "$build/bin/powrprof.dll" "$prefix/drive_c/windows/system32/powrprof.dll"
run reg add "$overrides" /v powrprof /d native /f >/dev/null
run reg add "$standin_key" /v "$balanced AC" /t REG_DWORD /d 900 /f >/dev/null
run reg add "$standin_key" /v "$balanced DC" /t REG_DWORD /d 180 /f >/dev/null
run reg add 'HKCU\Software\Tessaly\Lumivane' /v 'Control power off' /t REG_DWORD /d 1 /f >/dev/null
plan() { for s in AC DC; do run reg query "$standin_key" /v "$balanced $s" | tr -d '\r' | grep -o '0x[0-9a-f]*$'; done | xargs; }
(run "$dir/Lumivane.exe" -quiet >/dev/null 2>&1 &)
wait_for 30 answers && run "$dir/Lumivane.com" -deactivate >/dev/null || fail "no copy took -deactivate"
wait_for 20 eval '[ "$(plan)" = "0x0 0x0" ]' || fail "not deactivated on the plan: $(plan)"
kill -KILL $(pgrep -f 'Programs.Lumivane.Lumivane.exe') && wait_for 20 not_running || fail "the copy was not killed"

# The quiet uninstall the entry declares is done when it returns: nothing is
# waited for here.
x86_64-w64-mingw32-gcc -municode -O2 -o "$work/quiet_uninstall.exe" "$source/tests/package/quiet_uninstall.c"
run "$work/quiet_uninstall.exe" || fail "the quiet uninstall failed: exit code $?"
[ ! -e "$dir/Lumivane.exe" ] || fail "files left behind when the quiet uninstall returned"
[ ! -d "$dir" ] || fail "folder left behind when the quiet uninstall returned: $(ls "$dir")"
[ ! -f "$link" ] || fail "shortcut left behind"
[ -z "$(reg_value "$uninstall_key" DisplayName)" ] || fail "uninstall entry left behind"
[ "$(user_path)" = "$(printf 'REG_SZ\n%s' "$long_path")" ] || fail "the user's PATH after the uninstall: $(user_path)"
[ -z "$(reg_value "$run_key" Lumivane)" ] || fail "start-up entry of this installation left behind"
[ -z "$(reg_value "$approved_key" Lumivane)" ] || fail "start-up switch of this installation left behind"
[ "$(reg_value "$approved_key" OtherProgram | tr a-f A-F)" = $disabled_mark ] ||
  fail "another program's start-up switch: $(reg_value "$approved_key" OtherProgram)"
run reg delete "$approved_key" /v OtherProgram /f >/dev/null
[ "$(plan)" = '0x384 0xb4' ] || fail "the uninstall left the lost run's plan: $(plan), not 900 and 180 s"
run reg delete "$overrides" /v powrprof /f >/dev/null
run reg delete "$standin_key" /f >/dev/null
run reg query 'HKCU\Software\Tessaly\Lumivane' >/dev/null 2>&1 || fail "the options key is gone"

step "uninstalls beside another start-up entry and PATHs of the user's"
# A start-up entry that points elsewhere stays. With no PATH of the user's,
# one is made (REG_EXPAND_SZ, as the system's editor makes it) and a new
# console finds "Lumivane" there: Wine reads only the first 1,024 characters
# of the registry's PATH into a new process, so not after the long one.
# (Wine's cmd /c does not hand back a program's exit code: its words tell.)
run reg delete 'HKCU\Environment' /v Path /f >/dev/null
run "$old" /S
[ "$(user_path)" = "$(printf 'REG_EXPAND_SZ\n%s' "$windir")" ] || fail "a PATH made by the install: $(user_path)"
said=$(run cmd /c Lumivane -status 2>&1 | tr -d '\r') || true
[ "$said" = "not running" ] || fail "a new console did not run Lumivane from the PATH: $said"
run reg add "$run_key" /v Lumivane /d '"C:\Tools\Lumivane.exe" -quiet' /f >/dev/null
run reg add "$approved_key" /v Lumivane /t REG_BINARY /d $disabled_mark /f >/dev/null
run "$dir/Uninstall.exe" /S
wait_for 30 test ! -d "$dir" || fail "second uninstall left the folder"
[ -z "$(user_path)" ] || fail "the PATH the install made stayed: $(user_path)"
[ "$(reg_value "$run_key" Lumivane)" = '"C:\Tools\Lumivane.exe" -quiet' ] || fail "a foreign start-up entry was removed"
[ "$(reg_value "$approved_key" Lumivane | tr a-f A-F)" = $disabled_mark ] || fail "the foreign entry's switch was removed"
run reg delete "$run_key" /v Lumivane /f >/dev/null
run reg delete "$approved_key" /v Lumivane /f >/dev/null

# The folder on the PATH before the install (in other letters) is the user's:
# the install records that it did not add it, and the uninstall leaves it.
run reg add 'HKCU\Environment' /v Path /t REG_SZ /d "C:\Tools;${windir^^}" /f >/dev/null
run "$old" /S
[ "$(reg_value "$uninstall_key" AddedToPath)" = 0x0 ] || fail "recorded as added: $(reg_value "$uninstall_key" AddedToPath)"
run "$dir/Uninstall.exe" /S
wait_for 30 test ! -d "$dir" || fail "third uninstall left the folder"
[ "$(user_path)" = "$(printf 'REG_SZ\n%s' "C:\Tools;${windir^^}")" ] || fail "the user's own entry went: $(user_path)"

step "a folder whose name cmd would take for commands"
# A folder whose name cmd would take for commands: the setup makes it for
# this user alone (Wine turns its access list into the Unix mode: nothing
# for others), and the quiet uninstall takes it all away.
run "$old" /S "/D=C:\R&D^(x)\Lumivane"
[ "$(stat -c %A "$odd/Lumivane" | cut -c8-)" = --- ] || fail "the chosen folder is open to others: $(stat -c %A "$odd/Lumivane")"
run "$work/quiet_uninstall.exe" || fail "the quiet uninstall from $odd failed: exit code $?"
[ ! -e "$odd/Lumivane" ] || fail "the quiet uninstall left $(ls "$odd/Lumivane")"

step "the zip: one folder that runs where it is unpacked, without installing"
cpack --config "$build/CPackConfig.cmake" -G ZIP -B "$build/package-test/zip" >/dev/null
zip=$(ls "$build"/package-test/zip/Lumivane-*-win64.zip)
portable="$prefix/drive_c/portable"
rm -rf "$portable"
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$portable"
folder=$(basename "$zip" .zip)
for f in Lumivane.exe Lumivane.com Help.html README.txt LICENSE.txt; do
  [ -f "$portable/$folder/$f" ] || fail "$f not in the zip's folder"
done
(run "$portable/$folder/Lumivane.exe" -quiet >/dev/null 2>&1 &)
wait_for 20 pgrep -f 'portable.Lumivane-.*Lumivane.exe' >/dev/null || fail "the unpacked program did not start"
# Killed until none is left: a signal that comes while Wine still starts the
# program can be lost, and a copy left running holds the prefix for the tests after.
wait_for 20 eval '! pkill -KILL -f "portable.Lumivane-.*Lumivane.exe"' || fail "the unpacked program did not end"
rm -rf "$portable"
run reg delete 'HKCU\Software\Tessaly\Lumivane' /f >/dev/null 2>&1 || true
echo "package test: 1 passed, 0 failed"

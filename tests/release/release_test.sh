#!/usr/bin/env bash
# The release command refused with nothing built, then twice, from two copies of the sources at
# different paths and times: the executable, the zip and the installer must be the same bytes.
# Then the first build signed and packed again, and what the release page and the package
# managers read: every hash, the manifests' required keys, and the installer run with exactly
# the switches the winget manifest declares, in a Wine prefix of its own, removed again by the
# quiet uninstall of its entry. Run by ctest in the mingw build folder:
#   release_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
env="$source/cmake/wine-env.sh"
fail() { echo "FAIL: $*" >&2; exit 1; }
step() { echo "release test, ${SECONDS}s: $*"; }
work=$build/release-test
rm -rf "$work"
mkdir -p "$work"
trap 'bash "$env" down "$work" >/dev/null 2>&1 || true' EXIT

# The sources as they are now (tracked files), dated by the last commit.
SOURCE_DATE_EPOCH=$(git -C "$source" log -1 --format=%ct)
export SOURCE_DATE_EPOCH
copies=("$work/a/src" "$work/a-longer-second-folder/lumivane")
for copy in "${copies[@]}"; do
  mkdir -p "$copy"
  git -C "$source" ls-files -z | (cd "$source" && tar --null -T - -c) | tar -x -C "$copy"
done
one=${copies[0]}; two=${copies[1]}

# Refused with a reason, nothing built: no address, and a version without a dated entry of its own.
step "releases refused: no address, a version without a dated entry, an earlier one's, one dated twice"
while IFS='|' read -r edit reason; do
  rm -rf "$work/refused" && cp -r "$one" "$work/refused" && code=0
  (cd "$work/refused" && base=https://downloads.invalid/ && eval "$edit" && LUMIVANE_DOWNLOAD_BASE=$base bash tools/release >../refused.log 2>&1) || code=$?
  [ $code = 2 ] && grep -q "$reason" "$work/refused.log" && [ ! -e "$work/refused/build" ] || fail "after \`$edit\` (exit code $code): $(cat "$work/refused.log")"
done <<'ROWS'
base=|set LUMIVANE_DOWNLOAD_BASE
sed -i 's/STRING ".*"/STRING "9.99.9"/' res/version.h|has no dated entry for 9.99.9
sed -i 's/STRING ".*"/STRING "1.61"/' res/version.h|1.61 was released on 2026-12-07
sed -n '/^## \[[0-9]/{p;q}' CHANGELOG.md >> CHANGELOG.md|was released on
ROWS

for copy in "${copies[@]}"; do
  step "building the release in ${copy#"$work"/}"
  (cd "$copy" && LUMIVANE_DOWNLOAD_BASE=https://downloads.invalid/lumivane LUMIVANE_HOMEPAGE=https://lumivane.invalid/ \
    bash tools/release >"$copy.log" 2>&1) || { tail -20 "$copy.log"; fail "tools/release in $copy"; }
  sleep 2  # the second build at another time
done
for f in Lumivane.exe Lumivane.com; do
  cmp -s "$one/build/release-work/stage/$f" "$two/build/release-work/stage/$f" || fail "$f differs between the builds"
done
rel1=$one/build/release rel2=$two/build/release
# wixl's packages differ each build: they and their hashes are left out.
masked() { sed -E "s/$(grep '\.msi$' "$2/SHA256SUMS" | cut -d' ' -f1 | paste -sd'|')/MSI/gI" "$1"; }
for f in "$rel1"/*; do
  [[ $f == *.msi ]] || cmp -s <(masked "$f" "$rel1") <(masked "$rel2/${f##*/}" "$rel2") || fail "${f##*/} differs between the builds"
done
step "same bytes twice:"
cat "$rel1/SHA256SUMS"

step "the first build signed with a throw-away certificate and packed again: every signed file verifies"
# What follows reads and installs this release: its hashes are of the signed
# files, and a signed setup program and uninstaller still work.
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 \
  -subj '/CN=Lumivane test' -addext extendedKeyUsage=codeSigning 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/test.pfx" -passout pass:test
# Its password in a file that only its owner may read: one open to others is refused.
echo test > "$work/password" && chmod 640 "$work/password"
code=0; LUMIVANE_SIGN_PFX="$work/test.pfx" LUMIVANE_SIGN_PFX_PASSWORD_FILE="$work/password" bash "$source/tools/sign" \
  "$work/none.exe" 2>"$work/sign.log" || code=$?
[ $code = 2 ] && grep -q 'chmod 600' "$work/sign.log" || fail "a password file others may read was taken: $(cat "$work/sign.log")"
chmod 600 "$work/password"
(cd "$one" && LUMIVANE_SIGN_PFX="$work/test.pfx" LUMIVANE_SIGN_PFX_PASSWORD_FILE="$work/password" LUMIVANE_DOWNLOAD_BASE=https://downloads.invalid/lumivane \
  LUMIVANE_HOMEPAGE=https://lumivane.invalid/ bash tools/release --again --out build/signed >"$one.signed.log" 2>&1) ||
  { tail -20 "$one.signed.log"; fail "the signed release"; }
verify() { for f; do osslsigncode verify -CAfile "$work/cert.pem" -in "$f" >/dev/null 2>&1 || fail "${f##*/} is not signed"; done; }
rel1=$one/build/signed
verify "$one"/build/release-work/stage/Lumivane.{exe,com} "$rel1"/*-setup.exe "$rel1"/*.msi

python3 - "$rel1" "$source" <<'PY'
import hashlib, json, os, re, sys, zipfile
import yaml
out, source = sys.argv[1:3]
def fail(text): sys.exit('FAIL: ' + text)
version = re.search(r'LUMIVANE_VERSION_STRING "([^"]+)"', open(os.path.join(source, 'res/version.h')).read()).group(1)
setup, archive = f'Lumivane-{version}-win64-setup.exe', f'Lumivane-{version}-win64.zip'
templates = f'Lumivane-{version}-policy-templates.zip'
sha = lambda name: hashlib.sha256(open(os.path.join(out, name), 'rb').read()).hexdigest()
sums = dict(reversed(line.split('  ')) for line in open(os.path.join(out, 'SHA256SUMS')).read().splitlines())
user_msi, machine_msi = (f'Lumivane-{version}-win64-{f}.msi' for f in ('user', 'machine'))
if sorted(sums) != sorted([setup, archive, templates, user_msi, machine_msi]): fail(f'SHA256SUMS names {sorted(sums)}')
for name, digest in sums.items():
    if digest != sha(name): fail(f'SHA256SUMS is wrong for {name}')
def load(name):
    data = yaml.safe_load(open(os.path.join(out, name), encoding='utf-8'))
    for key in ('PackageIdentifier', 'PackageVersion', 'ManifestType', 'ManifestVersion'):
        if key not in data: fail(f'{name} lacks {key}')
    if data['PackageIdentifier'] != 'Tessaly.Lumivane' or data['PackageVersion'] != version or data['ManifestVersion'] != '1.6.0':
        fail(f'{name}: identifier, version or schema')
    return data
ver = load('Tessaly.Lumivane.yaml')
if ver['ManifestType'] != 'version' or ver['DefaultLocale'] != 'en-US': fail('version manifest')
inst = load('Tessaly.Lumivane.installer.yaml')
loc = load('Tessaly.Lumivane.locale.en-US.yaml')
if inst['ManifestType'] != 'installer' or inst['InstallerType'] != 'nullsoft' or inst['Scope'] != 'user' \
        or inst['MinimumOSVersion'] != '10.0.17763.0' or inst['Commands'] != ['lumivane']: fail('installer manifest')
[entry, wix] = inst['Installers']
if entry['Architecture'] != 'x64' or not entry['InstallerUrl'].endswith('/' + setup): fail('installer entry')
if entry['InstallerSha256'] != sha(setup).upper(): fail('the installer manifest\'s hash')
# An installer takes the root's switches that it does not name itself.
switches, wix_switches = ({**inst['InstallerSwitches'], **e['InstallerSwitches']} for e in (entry, wix))
if (wix['InstallerType'], wix['Scope'], wix['InstallerSha256']) != ('wix', 'user', sha(user_msi).upper()) \
        or not wix['InstallerUrl'].endswith('/' + user_msi) or '/S' in wix_switches.values() \
        or 'InstallLocation' in wix_switches: fail('the MSI entry')
for key in ('PackageLocale', 'Publisher', 'PackageName', 'License', 'ShortDescription', 'Description', 'Tags', 'ReleaseNotesUrl',
            'PublisherUrl', 'LicenseUrl', 'Copyright'):
    if key not in loc: fail(f'locale manifest lacks {key}')
if loc['ManifestType'] != 'defaultLocale' or loc['License'] != 'MIT' or not loc['ReleaseNotesUrl'].endswith('CHANGELOG.md'):
    fail('locale manifest')
scoop = json.load(open(os.path.join(out, 'lumivane.json')))
for key in ('version', 'description', 'homepage', 'license', 'architecture', 'extract_dir', 'bin', 'shortcuts',
            'pre_uninstall', 'notes', 'checkver', 'autoupdate'):
    if key not in scoop: fail(f'lumivane.json lacks {key}')
x64 = scoop['architecture']['64bit']
if scoop['version'] != version or x64['hash'] != sha(archive) or x64['url'] != 'https://downloads.invalid/lumivane/' + archive \
        or scoop['bin'] != 'Lumivane.com' or '-exit' not in scoop['pre_uninstall'][0]: fail('scoop manifest')
names = zipfile.ZipFile(os.path.join(out, archive)).namelist()
if f"{scoop['extract_dir']}/{scoop['bin']}" not in names: fail(f'the zip has no {scoop["bin"]} under {scoop["extract_dir"]}')
if re.search(scoop['checkver']['regex'], archive).group(1) != version: fail('checkver does not find the version')
with zipfile.ZipFile(os.path.join(out, templates)) as z:
    for name in ('Lumivane.admx', 'en-US/Lumivane.adml'):
        if z.read('PolicyDefinitions/' + name) != open(os.path.join(source, 'policy', name), 'rb').read(): fail(f'{templates}: {name}')
open(os.path.join(out, '..', 'switches'), 'w').write(switches['Silent'] + '\n' + switches['InstallLocation'] + '\n')
print('manifests and hashes: checked')
PY

step "the installer with the manifest's switches, into a folder of the user's choice, out again by the entry's quiet uninstall"
run() { bash "$env" exec "$work" "$@"; }
bash "$env" up "$work" >/dev/null
setup=$(ls "$rel1"/Lumivane-*-win64-setup.exe)
run reg add "HKCU\\Software\\Wine\\AppDefaults\\${setup##*/}" /v Version /d win10 /f >/dev/null
{ read -r silent; read -r location; } < "$rel1/../switches"
target='C:\winget-test\Lumivane'
run "$setup" "$silent" "${location/<INSTALLPATH>/$target}"
dir=$work/wine/prefix/drive_c/winget-test/Lumivane
[ -f "$dir/Lumivane.exe" ] || fail "the manifest's switches did not install into $target"
verify "$dir/Uninstall.exe" "$dir/Lumivane.exe"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumivane'
x86_64-w64-mingw32-gcc -municode -O2 -o "$work/quiet_uninstall.exe" "$source/tests/package/quiet_uninstall.c"
run "$work/quiet_uninstall.exe" || fail "the quiet uninstall failed: exit code $?"
[ ! -d "$dir" ] || fail "the quiet uninstall returned before removing $(ls "$dir")"
run reg query "$key" >/dev/null 2>&1 && fail "the uninstall entry stayed"
bash "$env" down "$work"
rm -rf "$work"
echo "release test: 1 passed, 0 failed"

#!/usr/bin/env python3
"""The release's files beside the installer: the portable zip, the policy
templates' zip, SHA256SUMS, the winget manifests (schema 1.6, three files) and
the Scoop manifest.

    release.py STAGE OUT DOWNLOAD_BASE HOMEPAGE
    release.py --check-version


STAGE holds the installed files; OUT holds the installer and the MSI packages
already. The winget manifest offers the per-user MSI beside the installer. The zip's
entries come in name order with the date of SOURCE_DATE_EPOCH, so the same
files give the same bytes."""
import datetime
import hashlib
import json
import os
import re
import sys
import zipfile

import msi

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
IDENTIFIER = 'Tessaly.Lumivane'
PUBLISHER = 'Tessaly'
COPYRIGHT = 'Copyright (c) 2025-2026 Tessaly'
SHORT = 'Takes charge of the screen saver and the monitor power-off from the notification area.'
DESCRIPTION = ('Lumivane lives in the notification area and switches the screen saver and the monitor '
               'power-off off and on, off for a while or until a time, keeps a chosen setting in force against '
               'other programs, deactivates them by itself while a chosen program or a full-screen program '
               'runs, and puts the start-up setting back when it ends. It starts the screen saver or powers '
               'the monitor off now, from the menu, hot keys or the command line.')
TAGS = ['screen-saver', 'monitor', 'power', 'display', 'presentation', 'tray', 'utility']


def sha256(path):
    digest = hashlib.sha256()
    with open(path, 'rb') as f:
        for block in iter(lambda: f.read(1 << 16), b''):
            digest.update(block)
    return digest.hexdigest()


def files_under(stage):
    # Relative names with '/', in name order, so that the walk's order never
    # reaches the zip.
    found = []
    for top, _, names in os.walk(stage):
        found += [os.path.relpath(os.path.join(top, n), stage).replace(os.sep, '/') for n in names]
    return sorted(found)


def make_zip(stage, path, folder, epoch):
    # Zip dates start in 1980 and have two-second steps.
    moment = datetime.datetime.fromtimestamp(max(epoch, 315532800), datetime.timezone.utc)
    date = (moment.year, moment.month, moment.day, moment.hour, moment.minute, moment.second // 2 * 2)
    with zipfile.ZipFile(path, 'w') as archive:
        for name in files_under(stage):
            entry = zipfile.ZipInfo(f'{folder}/{name}', date)
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.create_system = 0       # made on Windows: no Unix permissions
            entry.external_attr = 0x20    # FILE_ATTRIBUTE_ARCHIVE
            with open(os.path.join(stage, name), 'rb') as f:
                archive.writestr(entry, f.read(), compresslevel=9)


def yaml_text(value):
    return "'" + value.replace("'", "''") + "'"


def winget(out, ver, setup, setup_hash, user_msi, user_msi_hash, base, home, released):
    head = f'PackageIdentifier: {IDENTIFIER}\nPackageVersion: {yaml_text(ver)}\n'
    schema = '# yaml-language-server: $schema=https://aka.ms/winget-manifest.{}.1.6.0.schema.json\n\n'
    files = {
        f'{IDENTIFIER}.yaml': schema.format('version') + head +
        'DefaultLocale: en-US\nManifestType: version\nManifestVersion: 1.6.0\n',
        f'{IDENTIFIER}.installer.yaml': schema.format('installer') + head +
        'InstallerType: nullsoft\n'
        'Scope: user\n'
        'MinimumOSVersion: 10.0.17763.0\n'
        # `lumivane -status` in a console: the Lumivane.com beside the program.
        'Commands:\n- lumivane\n'
        'InstallModes:\n- silent\n- silentWithProgress\n'
        'InstallerSwitches:\n  Silent: /S\n  SilentWithProgress: /S\n'
        'UpgradeBehavior: install\n'
        f'ReleaseDate: {released}\n'
        'Installers:\n'
        '- Architecture: x64\n'
        f'  InstallerUrl: {base}{setup}\n'
        f'  InstallerSha256: {setup_hash.upper()}\n'
        # The setup program's alone: the MSI's folder is fixed, and an
        # installer takes every switch the root names that it does not.
        '  InstallerSwitches:\n    InstallLocation: /D=<INSTALLPATH>\n'
        # The MSI takes msiexec's switches, not the setup program's.
        '- Architecture: x64\n'
        '  InstallerType: wix\n'
        '  Scope: user\n'
        f'  InstallerUrl: {base}{user_msi}\n'
        f'  InstallerSha256: {user_msi_hash.upper()}\n'
        f'  ProductCode: {yaml_text(msi.product_code(ver, "user"))}\n'
        '  InstallerSwitches:\n    Silent: /quiet /norestart\n    SilentWithProgress: /passive /norestart\n'
        'ManifestType: installer\nManifestVersion: 1.6.0\n',
        f'{IDENTIFIER}.locale.en-US.yaml': schema.format('defaultLocale') + head +
        'PackageLocale: en-US\n'
        f'Publisher: {PUBLISHER}\n'
        f'PackageName: Lumivane\n'
        + (f'PackageUrl: {home}\nPublisherUrl: {home}\nLicenseUrl: {home}LICENSE\n' if home else '') +
        'License: MIT\n'
        f'Copyright: {yaml_text(COPYRIGHT)}\n'
        f'ShortDescription: {yaml_text(SHORT)}\n'
        f'Description: {yaml_text(DESCRIPTION)}\n'
        'Tags:\n' + ''.join(f'- {t}\n' for t in TAGS) +
        f'ReleaseNotesUrl: {base}CHANGELOG.md\n'
        'ManifestType: defaultLocale\nManifestVersion: 1.6.0\n',
    }
    for name, text in files.items():
        with open(os.path.join(out, name), 'w', encoding='utf-8', newline='\n') as f:
            f.write(text)


def scoop(out, ver, archive, archive_hash, base, home):
    folder = archive[:-len('.zip')]
    manifest = {
        'version': ver,
        'description': SHORT,
        **({'homepage': home} if home else {}),
        'license': 'MIT',
        'architecture': {'64bit': {'url': f'{base}{archive}', 'hash': archive_hash}},
        'extract_dir': folder,
        # The console's way in: prints, and sets the exit code.
        'bin': 'Lumivane.com',
        'shortcuts': [['Lumivane.exe', 'Lumivane']],
        'pre_uninstall': ['& "$dir\\Lumivane.com" -exit | Out-Null'],
        'notes': 'Lumivane keeps its options under HKCU\\Software\\Tessaly\\Lumivane; an uninstall leaves them.',
        'checkver': {'url': base, 'regex': r'Lumivane-([\d.]+)-win64\.zip'},
        'autoupdate': {'architecture': {'64bit': {'url': f'{base}Lumivane-$version-win64.zip'}},
                       'extract_dir': 'Lumivane-$version-win64'},
    }
    with open(os.path.join(out, 'lumivane.json'), 'w', encoding='utf-8', newline='\n') as f:
        json.dump(manifest, f, indent=4)
        f.write('\n')


def version_refusal(ver, changelog):
    """Why VER cannot be released, or None: the CHANGELOG's dated headings
    ("## [1.61.1] - 2026-12-09") must have one for VER, above every other.
    A version an earlier heading names was released already; 1.61 is 1.61.0."""
    def number(v):
        fields = (v.split('.') + ['0', '0'])[:3]
        return tuple(int(f) for f in fields) if all(f.isdigit() for f in fields) else v
    dated = re.findall(r'^## \[([^\]]+)\] - (\d{4}-\d{2}-\d{2})\s*$', changelog, re.M)
    same = [date for v, date in dated if number(v) == number(ver)]
    if not same:
        return f'CHANGELOG.md has no dated entry for {ver} ("## [{ver}] - YYYY-MM-DD")'
    if number(dated[0][0]) != number(ver) or len(same) > 1:
        return (f'{ver} was released on {same[-1]}: raise LUMIVANE_VERSION_PATCH in res/version.h '
                'and give the new version its entry in CHANGELOG.md')
    return None


def main():
    if sys.argv[1:] == ['--check-version']:
        with open(os.path.join(ROOT, 'CHANGELOG.md'), encoding='utf-8') as f:
            refusal = version_refusal(msi.version(), f.read())
        if refusal:
            print(f'tools/release: {refusal}', file=sys.stderr)
            sys.exit(2)
        return
    stage, out, base, home = sys.argv[1:5]
    epoch = int(os.environ['SOURCE_DATE_EPOCH'])
    ver = msi.version()
    setup = f'Lumivane-{ver}-win64-setup.exe'
    archive = f'Lumivane-{ver}-win64.zip'
    packages = [msi.file_name(ver, flavour) for flavour in msi.FLAVOURS]
    for name in [setup] + packages:
        if not os.path.isfile(os.path.join(out, name)):
            sys.exit(f'release.py: {name} is not in {out}')
    make_zip(stage, os.path.join(out, archive), archive[:-len('.zip')], epoch)
    # Laid out as the policy store is, so that the folder unpacks over
    # %WINDIR%\PolicyDefinitions or the domain's central store as it is.
    templates = f'Lumivane-{ver}-policy-templates.zip'
    make_zip(os.path.join(ROOT, 'policy'), os.path.join(out, templates), 'PolicyDefinitions', epoch)
    hashes = {name: sha256(os.path.join(out, name)) for name in [setup, archive, templates] + packages}
    with open(os.path.join(out, 'SHA256SUMS'), 'w', encoding='ascii', newline='\n') as f:
        f.writelines(f'{hashes[name]}  {name}\n' for name in sorted(hashes))
    released = datetime.datetime.fromtimestamp(epoch, datetime.timezone.utc).date().isoformat()
    user_msi = msi.file_name(ver, 'user')
    winget(out, ver, setup, hashes[setup], user_msi, hashes[user_msi], base, home, released)
    scoop(out, ver, archive, hashes[archive], base, home)


if __name__ == '__main__':
    main()

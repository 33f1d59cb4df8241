#!/usr/bin/env python3
"""The two Windows Installer packages, built with wixl from cmake/package/Lumivane.wxs:

    msi.py STAGE OUT [VERSION]

STAGE holds the installed files (cmake --install); OUT receives
Lumivane-<version>-win64-user.msi and Lumivane-<version>-win64-machine.msi.
VERSION is res/version.h's unless given. wixl writes a new package code and
the build's time into every package: the bytes differ from one build to the
next, unlike the setup program's and the zip's."""
import os
import re
import subprocess
import sys
import uuid

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FLAVOURS = ('user', 'machine')
# Product codes are derived, not drawn: one version of one flavour has one
# code, which the winget manifest can name and a rebuild keeps.
PRODUCT_NAMESPACE = uuid.UUID('5f0c7a2e-3b8d-4c61-9e2f-7d4a1b6c8e90')


def version():
    text = open(os.path.join(ROOT, 'res', 'version.h'), encoding='utf-8').read()
    return re.search(r'#define LUMIVANE_VERSION_STRING "([^"]+)"', text).group(1)


def file_name(ver, flavour):
    return f'Lumivane-{ver}-win64-{flavour}.msi'


def product_code(ver, flavour):
    return '{' + str(uuid.uuid5(PRODUCT_NAMESPACE, f'{flavour} {ver}')).upper() + '}'


def installer_version(ver):
    # Windows Installer compares three numeric fields: "1.61" is 1.61.0.
    fields = (ver.split('.') + ['0', '0'])[:3]
    if not all(f.isdigit() for f in fields):
        sys.exit(f'msi.py: {ver} is not a version of numbers')
    return '.'.join(fields)


def build(stage, out, ver):
    stage, out = os.path.abspath(stage), os.path.abspath(out)
    wxs = os.path.join(ROOT, 'cmake', 'package', 'Lumivane.wxs')
    icon = os.path.join(ROOT, 'res', 'Lumivane.ico')
    # The package lists its files by name: a file the install step gained
    # must not be left out of it unnoticed.
    listed = sorted(re.findall(r'<File [^>]*Name="([^"]+)"', open(wxs, encoding='utf-8').read()))
    if listed != sorted(os.listdir(stage)):
        sys.exit(f'msi.py: {wxs} lists {listed}, the install step gives {sorted(os.listdir(stage))}')
    os.makedirs(out, exist_ok=True)
    for flavour in FLAVOURS:
        package = os.path.join(out, file_name(ver, flavour))
        if os.path.exists(package):
            os.remove(package)
        # wixl finds sources only by paths relative to where it runs, and
        # ends with 0 even when it could not write the package.
        subprocess.run(['wixl', '-a', 'x64', '-o', package,
                        '-D', f'Flavour={flavour}', '-D', f'Version={installer_version(ver)}',
                        '-D', f'ProductCode={product_code(ver, flavour)}', '-D', 'StageDir=.',
                        '-D', f'IconFile={os.path.relpath(icon, stage)}', wxs], cwd=stage, check=True)
        if not os.path.isfile(package):
            sys.exit(f'msi.py: wixl did not write {package}')


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit('usage: msi.py STAGE OUT [VERSION]')
    build(sys.argv[1], sys.argv[2], sys.argv[3] if len(sys.argv) == 4 else version())


if __name__ == '__main__':
    main()

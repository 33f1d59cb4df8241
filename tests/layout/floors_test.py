#!/usr/bin/env python3
"""floors_test.py SOURCE_DIR: every include of src/ runs from a folder to one on a
lower floor (or to its own folder), so a folder can be understood, tested and
changed without the ones above it."""
import os, re, sys

# Top to bottom; folders on one floor may include each other only without a cycle.
FLOORS = [
    ['app'],
    ['ui'],
    ['tray', 'hotkeys'],
    ['options'],
    ['commands', 'status'],
    ['config'],
    ['sources'],
    ['display'],
    ['win32', 'base'],
]
source = os.path.join(sys.argv[1], 'src')
floor = {folder: level for level, folders in enumerate(FLOORS) for folder in folders}
errors, sideways = [], {}
for folder in sorted(os.listdir(source)):
    if folder not in floor:
        errors.append(f'src/{folder}: on no floor')
        continue
    for name in sorted(os.listdir(os.path.join(source, folder))):
        text = open(os.path.join(source, folder, name), encoding='utf-8').read()
        for target in re.findall(r'^\s*#\s*include\s+"(\w+)/[^"]+"', text, re.M):
            if target not in floor:
                errors.append(f'src/{folder}/{name}: includes {target}/, on no floor')
            elif floor[target] < floor[folder]:
                errors.append(f'src/{folder}/{name}: includes {target}/, a higher floor')
            elif floor[target] == floor[folder] and target != folder:
                sideways.setdefault(folder, set()).add(target)
def reaches(start, goal, seen=()):
    return any(t == goal or (t not in seen and reaches(t, goal, seen + (t,))) for t in sideways.get(start, ()))
errors += [f'src/{folder}: in a cycle of includes on its own floor' for folder in sideways if reaches(folder, folder)]
sys.exit('\n'.join(errors) or None)

#!/usr/bin/env python3
"""The pictures the docs show exist and are recorded in docs/pictures.txt, and
the notification menu's items recorded there are the ones the program has now
(as lumivane_menu_texts prints them): a renamed item fails here until
tools/screenshots has made the pictures again.
    pictures_test.py SOURCE_DIR MENU_TEXTS_PROGRAM"""
import os
import re
import subprocess
import sys

source, dump = sys.argv[1], sys.argv[2]
docs_dir = os.path.join(source, 'docs')
failures = []

pages = ['README.md', 'CONTRIBUTING.md'] + ['docs/' + f for f in sorted(os.listdir(docs_dir)) if f.endswith('.md')]
for page in pages:
    text = open(os.path.join(source, page), encoding='utf-8').read()
    for target in re.findall(r'!\[[^\]]*\]\(([^)\s]+)', text):
        if not os.path.isfile(os.path.join(source, os.path.dirname(page), target)):
            failures.append(f'{page} shows {target}, which does not exist')

record, current = {}, None
for line in open(os.path.join(docs_dir, 'pictures.txt'), encoding='utf-8').read().splitlines():
    if line.startswith('  ') and current:
        record[current].append(line[2:])
    elif line and not line.startswith('#'):
        current = line.split(':', 1)[0]
        record[current] = []
for picture in sorted(f for f in os.listdir(docs_dir) if f.endswith('.png')):
    if picture not in record:
        failures.append(f'docs/{picture} is not in docs/pictures.txt: make it with tools/screenshots')
menu = subprocess.run([dump], check=True, capture_output=True, text=True, encoding='utf-8').stdout.splitlines()
for picture, shown in record.items():
    if not os.path.isfile(os.path.join(docs_dir, picture)):
        failures.append(f'docs/pictures.txt names {picture}, which does not exist')
    if shown and shown != menu:
        failures.append(f'docs/{picture} shows the menu {shown}, the program has {menu}: run tools/screenshots')

for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)

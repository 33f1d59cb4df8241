#!/usr/bin/env python3
"""templates_test.py SOURCE_DIR: the policy templates write the key, values and ranges
(Disabled 0, Enabled 1) that src/sources/Policies.h reads, and every reference resolves."""
import os, re, sys, xml.etree.ElementTree as ET
source = sys.argv[1]
NS = '{http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions}'
errors = []
check = lambda ok, text: ok or errors.append(text)
header = open(os.path.join(source, 'src/sources/Policies.h'), encoding='utf-8').read()
key = re.search(r'kPolicyKey\[\] = L"([^"]+)"', header).group(1).replace('\\\\', '\\')
table = re.search(r'kPolicyValues\[\] = \{(.*?)\n\};', header, re.S).group(1)
rows = re.findall(r'\{L"(\w+)", (\d+), (\d+)(, TPolicyKind::List)?\},', table)
wanted = {n: (int(lo), int(hi), 'list' if kind else 'dword') for n, lo, hi, kind in rows}
check(wanted and len(wanted) == table.count('{L"'), f'Policies.h: read {sorted(wanted)}')
admx_text = open(os.path.join(source, 'policy/Lumivane.admx'), encoding='utf-8').read()
admx = ET.fromstring(admx_text)
adml = ET.parse(os.path.join(source, 'policy/en-US/Lumivane.adml')).getroot()
check(admx.tag == NS + 'policyDefinitions', f'ADMX root {admx.tag}')
check(admx.find(f'{NS}policyNamespaces/{NS}target').get('namespace') == 'Tessaly.Policies.Lumivane', 'namespace')
check(float(adml.get('revision')) >= float(admx.find(NS + 'resources').get('minRequiredRevision')), 'ADML revision')
presentations = {p.get('id'): p for p in adml.iter(NS + 'presentation')}
for kind, found in (('string', {s.get('id') for s in adml.iter(NS + 'string')}), ('presentation', presentations)):
    for ref in re.findall(r'\$\(' + kind + r'\.(\w+)\)', admx_text):
        check(ref in found, f'$({kind}.{ref}) is not in the ADML')
names = lambda tag: {e.get('name') for e in admx.iter(NS + tag)}
written = {}
for policy in admx.iter(NS + 'policy'):
    name = policy.get('name')
    check(policy.get('class') == 'Both', f'{name}: class {policy.get("class")}')
    check(policy.find(NS + 'parentCategory').get('ref') in names('category'), f'{name}: category')
    check(policy.find(NS + 'supportedOn').get('ref') in names('definition'), f'{name}: supportedOn')
    for e in policy.iter():
        k = e.get('key', policy.get('key'))
        check(k == key and 'policies\\microsoft' not in k.lower(), f'{name}: key {k}')
    if policy.get('valueName'):
        on, off = (int(policy.find(f'{NS}{s}Value/{NS}decimal').get('value')) for s in ('enabled', 'disabled'))
        written[policy.get('valueName')] = (off, on, 'dword')
    shown = presentations.get(re.sub(r'\$\(presentation\.(\w+)\)', r'\1', policy.get('presentation', '')))
    for d in [*policy.iter(NS + 'decimal'), *policy.iter(NS + 'multiText')]:
        if d.get('id'):
            written[d.get('valueName')] = ((0, int(d.get('maxStrings', 0)), 'list') if d.tag == NS + 'multiText'
                                           else (int(d.get('minValue')), int(d.get('maxValue')), 'dword'))
            check(shown is not None and d.get('id') in {b.get('refId') for b in shown}, f'{name}: no box for {d.get("id")}')
check(written == wanted, f'the templates write {written}, the program reads {wanted}')
print(f'policy templates: {len(written)} values, {len(errors)} faults')
sys.exit('\n'.join('FAIL: ' + e for e in errors) or None)

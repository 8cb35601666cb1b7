#!/usr/bin/env python3
"""Runs tests against deliberately broken copies of the code (mutants).

usage: scripts/mutants.py TREE BUILD MUTANTS.txt RESULTS.json [--only N,N]

TREE is a copy of the sources (the mutants are written into it, so not a checkout you are
editing), BUILD a configured build folder of it. tests/mutants/ holds the lists; each of their
mutants is caught by the suite, and by the tests of its own layer alone:
    tests/mutants/core-script-cli.txt   MUTANT_TEST_DIRS="tests/core tests/script tests/cli"
    tests/mutants/ui.txt                MUTANT_TEST_DIRS=tests/ui
    tests/mutants/qt.txt                MUTANT_TEST_DIRS=tests/qt CTEST_FILTER="-E PlatformContract"
    tests/mutants/win32.txt             the same in tests/win32, on a MinGW build run under Wine

Environment (optional):
  MUTANT_TARGETS="t1 t2"        build only these targets (default: all)
  MUTANT_TEST_DIRS="a b"        run only the tests registered under these folders of BUILD
  CTEST_FILTER="-R regex"       extra ctest arguments

A list holds blocks separated by lines of '===':
    file: core/HexUnit.cpp
    name: short description
    old: exact text (a literal \\n stands for a line break; 'old:' may repeat for more lines)
    new: replacement text
Each mutant is applied to TREE, BUILD is rebuilt, the tests run, and the file is restored. A
mutant that does not compile is reported as 'invalid', one that makes a test fail as 'caught',
one that passes every test as 'SURVIVED'; 'missing' means the code no longer has the old text.
"""
import os, json, subprocess, sys, time, pathlib

def parse(path):
    mutants, cur = [], {}
    for line in open(path, encoding='utf-8').read().split('\n'):
        if line.strip() == '===':
            if cur: mutants.append(cur); cur = {}
            continue
        if not line.strip() or line.startswith('#'): continue
        key, _, value = line.partition(': ')
        if key in ('old', 'new'):
            cur[key] = cur[key] + '\n' + value if key in cur else value
        else:
            cur[key] = value
    if cur: mutants.append(cur)
    return mutants

def main():
    if len(sys.argv) < 5:
        sys.exit(__doc__)
    tree, build, spec, out = map(pathlib.Path, sys.argv[1:5])
    only = None
    if len(sys.argv) > 6 and sys.argv[5] == '--only':
        only = {int(x) for x in sys.argv[6].split(',')}
    mutants = parse(spec)
    results = json.loads(out.read_text()) if out.exists() else {}
    for i, m in enumerate(mutants):
        if only is not None and i not in only: continue
        key = f"{i}:{m['file']}:{m['name']}"
        f = tree / m['file']
        text = f.read_text(encoding='utf-8')
        old, new = m['old'].replace('\\n', '\n'), m['new'].replace('\\n', '\n')
        if text.count(old) != 1:
            results[key] = 'missing' if old not in text else 'ambiguous'
            print(key, results[key], flush=True)
            continue
        f.write_text(text.replace(old, new), encoding='utf-8')
        start = time.time()
        try:
            targets = os.environ.get('MUTANT_TARGETS', '').split()
            b = subprocess.run(['cmake', '--build', str(build), '-j2'] + (['--target'] + targets if targets else []), capture_output=True)
            if b.returncode != 0:
                results[key] = 'invalid'
            else:
                dirs = os.environ.get('MUTANT_TEST_DIRS', '').split() or ['.']
                for d in dirs:
                    t = subprocess.run(['ctest', '--test-dir', str(build / d), '-j2', '--timeout', '120',
                                        '--stop-on-failure'] + os.environ.get('CTEST_FILTER', '').split(),
                                       capture_output=True, text=True)
                    if t.returncode != 0: break
                results[key] = 'caught' if t.returncode != 0 else 'SURVIVED'
                if t.returncode != 0:
                    failed = [l.strip() for l in t.stdout.split('\n') if 'Failed' in l or '***' in l]
                    results[key + ':by'] = failed[:3]
        finally:
            f.write_text(text, encoding='utf-8')
        print(key, results[key], f"{time.time() - start:.0f}s", flush=True)
        out.write_text(json.dumps(results, indent=1))
    # Rebuild the unmutated tree so the build folder is left clean.
    targets = os.environ.get('MUTANT_TARGETS', '').split()
    subprocess.run(['cmake', '--build', str(build), '-j2'] + (['--target'] + targets if targets else []), capture_output=True)

main()
